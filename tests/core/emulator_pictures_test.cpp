// Pictures as the virtual register keeps them: BMP and PNG files decoded to one-bit rasters,
// written back as one-bit BMP files, and the refusals of damaged, unreadable and oversized
// images (tests/data/pictures) and of picture numbers outside the memory.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
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

// A PNG as Qt writes it.
QByteArray png(const QImage& image) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

QByteArray readData(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
}

TEST(PictureImage, PngGreyTransparencyAndPalette) {
    QImage grey(2, 1, QImage::Format_Grayscale8);
    grey.setPixel(0, 0, qRgb(0, 0, 0));
    grey.setPixel(1, 0, qRgb(255, 255, 255));
    auto image = emu::decodeImage(png(grey));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->dots, dots({1, 0}));

    // RGBA: opaque black, transparent black (paper), half-transparent black (grey 127: prints)
    QImage rgba(3, 1, QImage::Format_ARGB32);
    rgba.setPixel(0, 0, qRgba(0, 0, 0, 0xff));
    rgba.setPixel(1, 0, qRgba(0, 0, 0, 0));
    rgba.setPixel(2, 0, qRgba(0, 0, 0, 0x81));
    image = emu::decodeImage(png(rgba));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->dots, dots({1, 0, 1}));

    // one bit per pixel with index 1 black: 1 0 1 1 0
    QImage mono(5, 1, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int x : {0, 1, 2, 3, 4}) mono.setPixel(x, 0, x == 1 || x == 4 ? 0 : 1);
    image = emu::decodeImage(png(mono));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->dots, dots({1, 0, 1, 1, 0}));
}

// Every file of the folder is refused before any pixel is expanded: "too-big-*" files declare a
// picture over 576 x 2000 dots, "unreadable-*" files are damaged (repeated or misplaced headers,
// sizes that overflow, missing or cut data, broken check sums, offsets past the end).
TEST_F(EmulatorPictures, DamagedAndOversizedFilesAreRefused) {
    emu::World::instance().loadJson(R"({"registers": [{"com": "COM7", "platform": "3"}]})", "t");
    auto f = drv::Fptr::create();
    ASSERT_EQ(f->openSerialAuto("7"), 0);
    const QDir folder(QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/pictures"));
    const QFileInfoList files = folder.entryInfoList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 20);
    for (const QFileInfo& file : files) {
        SCOPED_TRACE(file.fileName().toStdString());
        const bool tooBig = file.fileName().startsWith(QLatin1String("too-big-"));
        ASSERT_TRUE(tooBig || file.fileName().startsWith(QLatin1String("unreadable-")));
        const emu::DecodedImage decoded = emu::decodePicture(readData(file.filePath()));
        EXPECT_FALSE(decoded.image.has_value());
        EXPECT_EQ(decoded.fault,
                  tooBig ? emu::DecodedImage::Fault::TooBig : emu::DecodedImage::Fault::Unreadable);
        f->setParam(LIBFPTR_PARAM_FILENAME, file.filePath());
        EXPECT_EQ(f->run(drv::members::uploadPictureMemory), -1);
        EXPECT_EQ(f->errorCode(),
                  emu::k(tooBig ? LIBFPTR_ERROR_PICTURE_TOO_BIG : LIBFPTR_ERROR_INVALID_PARAM));
    }
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_PICTURES_ARRAY_INFO));
    f->queryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_COUNT), 0);
    // the largest picture the register takes still goes in
    QImage largest(576, 2000, QImage::Format_Mono);
    largest.fill(0);
    f->setParam(LIBFPTR_PARAM_FILENAME, file("largest.png", png(largest)));
    EXPECT_EQ(f->run(drv::members::uploadPictureMemory), 0);
}

TEST_F(EmulatorPictures, UploadKeepsTheDotsAndRefusesWithTheRegistersCodes) {
    emu::World::instance().loadJson(R"({"registers": [{"com": "COM7", "platform": "3"}]})", "t");
    auto f = drv::Fptr::create();
    ASSERT_EQ(f->openSerialAuto("7"), 0);
    QImage picture(2, 3, QImage::Format_Grayscale8);
    picture.fill(0);
    picture.setPixel(1, 0, qRgb(255, 255, 255));
    picture.setPixel(0, 1, qRgb(255, 255, 255));
    const QByteArray grey = png(picture);
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
