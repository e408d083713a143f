// Pictures as the virtual register keeps them: BMP and PNG files decoded to one-bit rasters,
// written back as one-bit BMP files, and the refusals of damaged, unreadable and oversized
// images and of picture numbers outside the memory.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "driver/Fptr.h"
#include "emulator/Bench.h"
#include "emulator/Constants.h"
#include "emulator/PictureImage.h"
#include "emulator/PictureStore.h"
#include "emulator/VirtualRegister.h"

using namespace drv::names;

namespace {

struct Rgb {
    int r, g, b;
};
Rgb rgb(int r, int g, int b) {
    return {r, g, b};
}

// A BMP of 24 bits per pixel from rows of RGB triples, top row first.
QByteArray bmp24(const QList<QList<Rgb>>& rows) {
    const int w = int(rows[0].size()), h = int(rows.size());
    const int stride = ((w * 24 + 31) / 32) * 4;
    QByteArray out(54 + stride * h, '\0');
    auto* d = reinterpret_cast<uchar*>(out.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(quint32(out.size()), d + 2);
    qToLittleEndian<quint32>(54, d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(w, d + 18);
    qToLittleEndian<qint32>(h, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(24, d + 28);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uchar* p = d + 54 + (h - 1 - y) * stride + x * 3;
            p[0] = uchar(rows[y][x].b);
            p[1] = uchar(rows[y][x].g);
            p[2] = uchar(rows[y][x].r);
        }
    return out;
}

QByteArray chunk(const char* type, const QByteArray& data) {
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), reinterpret_cast<uchar*>(out.data()));
    out += type;
    out += data;
    out += QByteArray(4, '\0');  // the check sum is not what this register looks at
    return out;
}

// A PNG from raw filtered scanlines (each starting with its filter byte).
QByteArray png(int w, int h, int depth, int type, const QByteArray& scanlines,
               const QByteArray& palette = {}) {
    QByteArray ihdr(13, '\0');
    auto* d = reinterpret_cast<uchar*>(ihdr.data());
    qToBigEndian<quint32>(quint32(w), d);
    qToBigEndian<quint32>(quint32(h), d + 4);
    d[8] = uchar(depth);
    d[9] = uchar(type);
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    out += chunk("IHDR", ihdr);
    if (!palette.isEmpty()) out += chunk("PLTE", palette);
    out += chunk("IDAT", qCompress(scanlines).mid(4));
    out += chunk("IEND", {});
    return out;
}

QByteArray dots(std::initializer_list<int> v) {
    QByteArray out;
    for (int i : v) out += char(i);
    return out;
}

class EmulatorPictures : public ::testing::Test {
  protected:
    void SetUp() override { drv::setDispatchFactory(&emu::VirtualRegister::create); }
    void TearDown() override { emu::World::instance().loadDemo(); }
    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

}  // namespace

TEST(PictureImage, BmpPixelsBecomeDots) {
    const Rgb k = rgb(0, 0, 0), w = rgb(255, 255, 255), red = rgb(255, 0, 0),
              yellow = rgb(255, 255, 0);
    const auto image = emu::decodeImage(bmp24({{k, w, red}, {w, yellow, k}}));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    // pure red is dark on thermal paper, yellow is light
    EXPECT_EQ(image->dots, dots({1, 0, 1, 0, 0, 1}));
    // written back as one bit per dot, read again the same
    const QByteArray mono = emu::encodeMonoBmp(*image);
    EXPECT_EQ(qFromLittleEndian<quint16>(mono.constData() + 28), 1);
    EXPECT_EQ(emu::decodeImage(mono), image);
    EXPECT_EQ(emu::PictureStore::imageSize(mono), std::make_pair(3, 2));
}

TEST(PictureImage, PngColourTypesFiltersAndTransparency) {
    // grey 8 bit, rows filtered None, Sub, Up: 0 255 / 0 255 (sub: 0, 255) / same as above
    const QByteArray grey = png(2, 3, 8, 0,
                                QByteArray("\x00\x00\xff"
                                           "\x01\x00\xff"
                                           "\x02\x00\x00",
                                           9));
    auto image = emu::decodeImage(grey);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->dots, dots({1, 0, 1, 0, 1, 0}));

    // RGBA: opaque black, transparent black (paper), half-transparent black (grey 127: prints)
    const QByteArray rgba = png(3, 1, 8, 6,
                                QByteArray("\x00"
                                           "\x00\x00\x00\xff"
                                           "\x00\x00\x00\x00"
                                           "\x00\x00\x00\x81",
                                           13));
    image = emu::decodeImage(rgba);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->dots, dots({1, 0, 1}));

    // palette of two, one bit per pixel: 1 0 1 1 0 with index 1 black
    const QByteArray palette("\xff\xff\xff\x00\x00\x00", 6);
    image = emu::decodeImage(png(5, 1, 1, 3, QByteArray("\x00\xb0", 2), palette));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->dots, dots({1, 0, 1, 1, 0}));
    // an index past the palette is damage
    EXPECT_FALSE(emu::decodeImage(png(2, 1, 8, 3, QByteArray("\x00\x00\x05", 3), palette)));
}

TEST(PictureImage, DamagedFilesAreNoImages) {
    const QByteArray good = bmp24({{rgb(0, 0, 0), rgb(255, 255, 255)}});
    EXPECT_TRUE(emu::decodeImage(good).has_value());
    EXPECT_FALSE(emu::decodeImage(good.left(good.size() - 4)));  // pixels cut short
    QByteArray compressed = good;
    compressed[30] = 1;  // run-length compression is not taken
    EXPECT_FALSE(emu::decodeImage(compressed));
    QByteArray grey = png(2, 2, 8, 0, QByteArray("\x00\x00\xff\x00\x00\xff", 6));
    EXPECT_TRUE(emu::decodeImage(grey).has_value());
    // a scanline short, a bad filter, a broken stream, no end chunk
    EXPECT_FALSE(emu::decodeImage(png(2, 2, 8, 0, QByteArray("\x00\x00\xff\x00\x00", 5))));
    EXPECT_FALSE(emu::decodeImage(png(2, 2, 8, 0, QByteArray("\x07\x00\xff\x00\x00\xff", 6))));
    QByteArray broken = grey;
    broken[grey.indexOf("IDAT") + 6] = '\x55';
    EXPECT_FALSE(emu::decodeImage(broken));
    EXPECT_FALSE(emu::decodeImage(grey.left(grey.indexOf("IEND") - 4)));
    EXPECT_FALSE(emu::decodeImage("GIF89a"));
}

TEST_F(EmulatorPictures, UploadKeepsTheDotsAndRefusesWithTheRegistersCodes) {
    emu::World::instance().loadJson(R"({"registers": [{"com": "COM7", "platform": "3"}]})", "t");
    auto f = drv::Fptr::create();
    ASSERT_EQ(f->openSerialAuto("7"), 0);
    const QByteArray grey = png(2, 3, 8, 0, QByteArray("\x00\x00\xff\x00\xff\x00\x00\x00\x00", 9));
    f->setParam(LIBFPTR_PARAM_FILENAME, file("a.png", grey));
    ASSERT_EQ(f->run(drv::members::uploadPictureMemory), 0);
    const QString back = dir.filePath("back.bmp");
    f->setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QStringLiteral("0"));
    f->setParam(LIBFPTR_PARAM_FILENAME, back);
    ASSERT_EQ(f->run(drv::members::downloadPicture), 0);
    QFile b(back);
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    const QByteArray downloaded = b.readAll();
    ASSERT_TRUE(downloaded.startsWith("BM"));  // the register answers with a BMP
    EXPECT_EQ(emu::decodeImage(downloaded), emu::decodeImage(grey));

    const QByteArray good = bmp24({{rgb(0, 0, 0)}});
    const std::pair<QByteArray, int> refused[] = {
        {good.left(good.size() - 2), emu::k(LIBFPTR_ERROR_INVALID_PARAM)},
        {QByteArray("not an image"), emu::k(LIBFPTR_ERROR_INVALID_PARAM)},
        {emu::PictureStore::blankBmp(577, 1), emu::k(LIBFPTR_ERROR_PICTURE_TOO_BIG)},
        {emu::PictureStore::blankBmp(8, 2001), emu::k(LIBFPTR_ERROR_PICTURE_TOO_BIG)}};
    for (const auto& [bytes, code] : refused) {
        f->setParam(LIBFPTR_PARAM_FILENAME, file("r.bmp", bytes));
        EXPECT_EQ(f->run(drv::members::uploadPictureMemory), -1);
        EXPECT_EQ(f->errorCode(), code);
    }
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_PICTURES_ARRAY_INFO));
    f->queryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_COUNT), 1);

    for (const char* n : {"11", "-1"}) {
        f->setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QString::fromLatin1(n));
        f->setParam(LIBFPTR_PARAM_FILENAME, back);
        EXPECT_EQ(f->run(drv::members::downloadPicture), -1);
        EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_INVALID_PICTURE_NUMBER));
        f->setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QString::fromLatin1(n));
        EXPECT_EQ(f->run(drv::members::printPictureByNumber), -1);
        EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_INVALID_PICTURE_NUMBER));
    }
}
