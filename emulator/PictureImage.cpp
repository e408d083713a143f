#include "emulator/PictureImage.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

namespace emu {
namespace {

// Pixels darker than the middle grey print.
bool dark(int r, int g, int b) {
    return r * 299 + g * 587 + b * 114 < 128 * 1000;
}

// An RGBA pixel over white paper.
bool darkOverPaper(int r, int g, int b, int a) {
    auto over = [a](int v) { return (v * a + 255 * (255 - a)) / 255; };
    return dark(over(r), over(g), over(b));
}

const QByteArray kPngMagic("\x89PNG\r\n\x1a\n", 8);

bool overLimits(qint64 width, qint64 height) {
    return width > kMaxPictureWidth || height > kMaxPictureHeight;
}

// Qt's BMP reader takes a pixel offset past the end or rows cut short without a word: the
// header's layout must fit the file before the reader sees it.
DecodedImage::Fault bmpLayoutFault(const QByteArray& file) {
    constexpr qsizetype kHeaders = 14 + 40;
    if (file.size() < kHeaders) return DecodedImage::Fault::Unreadable;
    const auto* d = reinterpret_cast<const uchar*>(file.constData());
    const quint32 offset = qFromLittleEndian<quint32>(d + 10);
    const qint32 width = qFromLittleEndian<qint32>(d + 18);
    const qint32 rawHeight = qFromLittleEndian<qint32>(d + 22);
    const quint16 bpp = qFromLittleEndian<quint16>(d + 28);
    if (width <= 0 || rawHeight == 0 || rawHeight == std::numeric_limits<qint32>::min())
        return DecodedImage::Fault::Unreadable;
    const qint64 height = rawHeight < 0 ? -qint64(rawHeight) : qint64(rawHeight);
    if (overLimits(width, height)) return DecodedImage::Fault::TooBig;
    const qint64 stride = ((qint64(width) * bpp + 31) / 32) * 4;
    if (bpp == 0 || offset < kHeaders || qint64(offset) + stride * height > file.size())
        return DecodedImage::Fault::Unreadable;
    return DecodedImage::Fault::None;
}

}  // namespace

DecodedImage decodePicture(const QByteArray& file) {
    DecodedImage result;
    const bool bmp = file.startsWith("BM");
    if (!bmp && !file.startsWith(kPngMagic)) return result;
    if (bmp) {
        if (const auto fault = bmpLayoutFault(file); fault != DecodedImage::Fault::None) {
            result.fault = fault;
            return result;
        }
    }
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, bmp ? "bmp" : "png");
    reader.setAutoDetectImageFormat(false);
    // the header alone: nothing is expanded before the size is known to fit
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return result;
    if (overLimits(size.width(), size.height())) {
        result.fault = DecodedImage::Fault::TooBig;
        return result;
    }
    QImage decoded;
    if (!reader.read(&decoded) || decoded.size() != size) return result;
    const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32);
    MonoImage image{argb.width(), argb.height(),
                    QByteArray(qsizetype(argb.width()) * argb.height(), '\0')};
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        char* out = image.dots.data() + qsizetype(y) * argb.width();
        for (int x = 0; x < argb.width(); ++x)
            out[x] =
                darkOverPaper(qRed(row[x]), qGreen(row[x]), qBlue(row[x]), qAlpha(row[x])) ? 1 : 0;
    }
    result.fault = DecodedImage::Fault::None;
    result.image = std::move(image);
    return result;
}

std::optional<MonoImage> decodeImage(const QByteArray& file) {
    return decodePicture(file).image;
}

QByteArray encodeMonoBmp(const MonoImage& image) {
    const int rowBytes = ((image.width + 31) / 32) * 4;
    const int pixels = rowBytes * image.height;
    const int offset = 14 + 40 + 8;
    QByteArray out(offset + pixels, '\xff');
    auto* d = reinterpret_cast<uchar*>(out.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(quint32(out.size()), d + 2);
    qToLittleEndian<quint32>(0, d + 6);
    qToLittleEndian<quint32>(quint32(offset), d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(image.width, d + 18);
    qToLittleEndian<qint32>(image.height, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(1, d + 28);
    qToLittleEndian<quint32>(0, d + 30);
    qToLittleEndian<quint32>(quint32(pixels), d + 34);
    qToLittleEndian<qint32>(2835, d + 38);
    qToLittleEndian<qint32>(2835, d + 42);
    qToLittleEndian<quint32>(2, d + 46);
    qToLittleEndian<quint32>(0, d + 50);
    // palette: index 0 black, index 1 white
    const uchar palette[8] = {0, 0, 0, 0, 0xff, 0xff, 0xff, 0};
    std::copy(palette, palette + 8, d + 54);
    for (int y = 0; y < image.height; ++y) {
        uchar* row = d + offset + qsizetype(image.height - 1 - y) * rowBytes;
        const char* dots = image.dots.constData() + qsizetype(y) * image.width;
        for (int x = 0; x < image.width; ++x)
            if (dots[x]) row[x / 8] &= uchar(~(0x80 >> (x % 8)));
    }
    return out;
}

}  // namespace emu
