#pragma once
// Images as the register keeps them: a one-bit raster. Uploaded BMP and PNG files are decoded
// to it (dark pixels print, light ones do not; transparent parts are paper) and downloads write
// it back as one-bit BMP.
#include <QByteArray>
#include <optional>

namespace emu {

// The largest picture the register takes, in dots.
inline constexpr int kMaxPictureWidth = 576;  // dots across the paper
inline constexpr int kMaxPictureHeight = 2000;

struct MonoImage {
    int width = 0;
    int height = 0;
    QByteArray dots;  // one byte per pixel, rows from the top: 1 prints (black), 0 paper

    bool operator==(const MonoImage&) const = default;
};

struct DecodedImage {
    enum class Fault { None, Unreadable, TooBig };
    Fault fault = Fault::Unreadable;
    std::optional<MonoImage> image;  // set when fault is None
};

// Decodes a BMP or PNG file through Qt's image reader. The size the file declares is checked
// against the register's limits before any pixel is expanded: a bigger picture is TooBig. A
// file that is no BMP or PNG, whose header, chunks or pixel data are damaged or cut short, or
// whose decoded size differs from the declared one is Unreadable.
DecodedImage decodePicture(const QByteArray& file);
// The image of decodePicture; nullopt for any fault.
std::optional<MonoImage> decodeImage(const QByteArray& file);

// A one-bit BMP, bottom-up, palette black and white, padding bits set.
QByteArray encodeMonoBmp(const MonoImage& image);

}  // namespace emu
