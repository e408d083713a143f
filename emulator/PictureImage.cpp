#include "emulator/PictureImage.h"

#include <QtEndian>
#include <array>
#include <cstdlib>

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

const uchar* bytesOf(const QByteArray& a) {
    return reinterpret_cast<const uchar*>(a.constData());
}

std::optional<MonoImage> decodeBmp(const QByteArray& file) {
    if (file.size() < 54) return std::nullopt;
    const uchar* d = bytesOf(file);
    const quint32 offset = qFromLittleEndian<quint32>(d + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(d + 14);
    const qint32 width = qFromLittleEndian<qint32>(d + 18);
    const qint32 rawHeight = qFromLittleEndian<qint32>(d + 22);
    const quint16 planes = qFromLittleEndian<quint16>(d + 26);
    const quint16 bpp = qFromLittleEndian<quint16>(d + 28);
    const quint32 compression = qFromLittleEndian<quint32>(d + 30);
    quint32 colours = qFromLittleEndian<quint32>(d + 46);
    if (headerSize < 40 || planes != 1 || compression != 0 || width <= 0 || rawHeight == 0 ||
        rawHeight == std::numeric_limits<qint32>::min())
        return std::nullopt;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return std::nullopt;
    const qint64 height = std::abs(qint64(rawHeight));
    const bool topDown = rawHeight < 0;
    const qint64 stride = ((qint64(width) * bpp + 31) / 32) * 4;
    if (qint64(offset) + stride * height > file.size()) return std::nullopt;

    std::array<bool, 256> paletteDark{};
    if (bpp <= 8) {
        const quint32 most = 1u << bpp;
        if (colours == 0 || colours > most) colours = most;
        const qint64 palette = 14 + qint64(headerSize);
        if (palette + qint64(colours) * 4 > qint64(offset)) return std::nullopt;
        for (quint32 i = 0; i < colours; ++i) {
            const uchar* p = d + palette + i * 4;
            paletteDark[i] = dark(p[2], p[1], p[0]);
        }
    }
    MonoImage image{int(width), int(height), QByteArray(qsizetype(width) * height, '\0')};
    for (qint64 y = 0; y < height; ++y) {
        const uchar* row = d + offset + stride * (topDown ? y : height - 1 - y);
        char* out = image.dots.data() + y * width;
        for (qint64 x = 0; x < width; ++x) {
            bool black = false;
            switch (bpp) {
                case 1:
                    black = paletteDark[(row[x / 8] >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    black = paletteDark[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xf];
                    break;
                case 8:
                    black = paletteDark[row[x]];
                    break;
                case 24:
                    black = dark(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
                    break;
                case 32:
                    black = dark(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
                    break;
            }
            out[x] = black ? 1 : 0;
        }
    }
    return image;
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

std::optional<MonoImage> decodePng(const QByteArray& file) {
    const uchar* d = bytesOf(file);
    qsizetype at = 8;
    quint32 width = 0, height = 0;
    int depth = 0, type = -1;
    QByteArray palette, idat;
    bool ended = false;
    while (!ended) {
        if (at + 12 > file.size()) return std::nullopt;
        const quint32 length = qFromBigEndian<quint32>(d + at);
        const QByteArray kind = file.mid(at + 4, 4);
        if (length > quint32(file.size()) || at + 12 + qsizetype(length) > file.size())
            return std::nullopt;
        const uchar* data = d + at + 8;
        if (kind == "IHDR") {
            if (length != 13) return std::nullopt;
            width = qFromBigEndian<quint32>(data);
            height = qFromBigEndian<quint32>(data + 4);
            depth = data[8];
            type = data[9];
            if (data[10] != 0 || data[11] != 0 || data[12] != 0) return std::nullopt;
        } else if (kind == "PLTE") {
            palette = QByteArray(reinterpret_cast<const char*>(data), length);
        } else if (kind == "IDAT") {
            idat.append(reinterpret_cast<const char*>(data), length);
        } else if (kind == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    int channels = 0;
    switch (type) {
        case 0:
            channels = 1;
            break;
        case 2:
            channels = 3;
            break;
        case 3:
            channels = 1;
            break;
        case 4:
            channels = 2;
            break;
        case 6:
            channels = 4;
            break;
        default:
            return std::nullopt;
    }
    const bool depthOk = depth == 8 || (depth == 16 && type != 3) ||
                         ((depth == 1 || depth == 2 || depth == 4) && (type == 0 || type == 3));
    if (!depthOk || width == 0 || height == 0 || idat.isEmpty()) return std::nullopt;
    if (type == 3 && (palette.isEmpty() || palette.size() % 3 != 0)) return std::nullopt;

    const qint64 rowBytes = (qint64(width) * channels * depth + 7) / 8;
    const qint64 rawSize = (rowBytes + 1) * height;
    if (rawSize > std::numeric_limits<qint32>::max()) return std::nullopt;
    QByteArray packed(4, '\0');
    qToBigEndian<quint32>(quint32(rawSize), reinterpret_cast<uchar*>(packed.data()));
    packed += idat;
    QByteArray raw = qUncompress(packed);
    if (raw.size() != rawSize) return std::nullopt;

    // undo the scanline filters in place
    const int step = std::max(1, channels * depth / 8);
    auto* r = reinterpret_cast<uchar*>(raw.data());
    for (qint64 y = 0; y < height; ++y) {
        uchar* line = r + y * (rowBytes + 1);
        const uchar* prior = y > 0 ? r + (y - 1) * (rowBytes + 1) + 1 : nullptr;
        uchar* cur = line + 1;
        for (qint64 i = 0; i < rowBytes; ++i) {
            const int a = i >= step ? cur[i - step] : 0;
            const int b = prior ? prior[i] : 0;
            const int c = prior && i >= step ? prior[i - step] : 0;
            switch (line[0]) {
                case 0:
                    break;
                case 1:
                    cur[i] = uchar(cur[i] + a);
                    break;
                case 2:
                    cur[i] = uchar(cur[i] + b);
                    break;
                case 3:
                    cur[i] = uchar(cur[i] + (a + b) / 2);
                    break;
                case 4:
                    cur[i] = uchar(cur[i] + paeth(a, b, c));
                    break;
                default:
                    return std::nullopt;
            }
        }
    }
    // sample c of pixel x as 0..255
    auto sample = [depth, channels](const uchar* row, qint64 x, int c) -> int {
        if (depth == 8) return row[x * channels + c];
        if (depth == 16) return row[(x * channels + c) * 2];
        const qint64 bit = x * depth;
        const int v = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        return v;
    };
    const int top = (1 << std::min(depth, 8)) - 1;
    MonoImage image{int(width), int(height), QByteArray(qsizetype(width) * height, '\0')};
    const auto* pal = bytesOf(palette);
    const qint64 palEntries = palette.size() / 3;
    for (qint64 y = 0; y < height; ++y) {
        const uchar* row = r + y * (rowBytes + 1) + 1;
        char* out = image.dots.data() + y * width;
        for (qint64 x = 0; x < width; ++x) {
            bool black = false;
            if (type == 3) {
                const int i = sample(row, x, 0);
                if (i >= palEntries) return std::nullopt;
                black = dark(pal[i * 3], pal[i * 3 + 1], pal[i * 3 + 2]);
            } else if (type == 0 || type == 4) {
                const int g = depth < 8 ? sample(row, x, 0) * 255 / top : sample(row, x, 0);
                const int a = type == 4 ? sample(row, x, 1) : 255;
                black = darkOverPaper(g, g, g, a);
            } else {
                const int a = type == 6 ? sample(row, x, 3) : 255;
                black = darkOverPaper(sample(row, x, 0), sample(row, x, 1), sample(row, x, 2), a);
            }
            out[x] = black ? 1 : 0;
        }
    }
    return image;
}

}  // namespace

std::optional<MonoImage> decodeImage(const QByteArray& file) {
    if (file.startsWith("BM")) return decodeBmp(file);
    static const QByteArray pngMagic("\x89PNG\r\n\x1a\n", 8);
    if (file.startsWith(pngMagic)) return decodePng(file);
    return std::nullopt;
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
