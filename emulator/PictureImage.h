#pragma once
// Images as the register keeps them: a one-bit raster. Uploaded BMP and PNG files are decoded
// to it (dark pixels print, light ones do not; transparent parts are paper) and downloads write
// it back as a one-bit BMP.
#include <QByteArray>
#include <optional>

namespace emu {

struct MonoImage {
    int width = 0;
    int height = 0;
    QByteArray dots;  // one byte per pixel, rows from the top: 1 prints (black), 0 paper

    bool operator==(const MonoImage&) const = default;
};

// Decodes an uncompressed BMP (1, 4, 8, 24 or 32 bits per pixel) or a PNG (any colour type and
// bit depth, not interlaced). nullopt for anything else, and for a file whose pixel data is
// missing, cut short or damaged. The caller checks the size first (imageSize) so that no huge
// image is ever expanded.
std::optional<MonoImage> decodeImage(const QByteArray& file);

// A one-bit BMP, bottom-up, palette black and white, padding bits set.
QByteArray encodeMonoBmp(const MonoImage& image);

}  // namespace emu
