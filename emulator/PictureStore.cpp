#include "emulator/PictureStore.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include "emulator/Constants.h"
#include "emulator/PictureImage.h"

namespace emu {

using namespace drv::names;

std::optional<std::pair<int, int>> PictureStore::imageSize(const QByteArray& file) {
    const auto* d = reinterpret_cast<const uchar*>(file.constData());
    if (file.size() >= 26 && file.startsWith("BM")) {
        const qint32 w = qFromLittleEndian<qint32>(d + 18);
        const qint32 h = qFromLittleEndian<qint32>(d + 22);
        if (w > 0 && h != 0 && h != std::numeric_limits<qint32>::min())
            return {{w, h < 0 ? -h : h}};
        return std::nullopt;
    }
    static const QByteArray pngMagic("\x89PNG\r\n\x1a\n", 8);
    if (file.size() >= 24 && file.startsWith(pngMagic) && file.mid(12, 4) == "IHDR") {
        const quint32 w = qFromBigEndian<quint32>(d + 16);
        const quint32 h = qFromBigEndian<quint32>(d + 20);
        if (w > 0 && h > 0 && w <= 0x7fffffff && h <= 0x7fffffff) return {{int(w), int(h)}};
    }
    return std::nullopt;
}

QByteArray PictureStore::blankBmp(int width, int height) {
    return encodeMonoBmp({width, height, QByteArray(qsizetype(width) * height, '\0')});
}

const Picture* PictureStore::find(int number) const {
    const auto it = pictures_.find(number);
    return it == pictures_.end() ? nullptr : &it->second;
}

void PictureStore::declare(int number, int width, int height) {
    pictures_[number] = Picture{number, width, height, {}};
}

PictureStore::Result PictureStore::upload(const QString& path, Model as) {
    if (as != model_) return {k(LIBFPTR_ERROR_NOT_SUPPORTED)};
    QFile f(path);
    if (path.isEmpty() || !f.exists()) return {k(LIBFPTR_ERROR_FILE_NOT_FOUND)};
    if (f.size() > kMaxFileBytes) return {k(LIBFPTR_ERROR_PICTURE_TOO_BIG)};
    if (!f.open(QIODevice::ReadOnly)) return {k(LIBFPTR_ERROR_FILE_NOT_FOUND)};
    const QByteArray bytes = f.read(kMaxFileBytes + 1);
    const auto size = imageSize(bytes);
    if (!size) return {k(LIBFPTR_ERROR_INVALID_PARAM)};
    if (size->first > kMaxWidth || size->second > kMaxHeight)
        return {k(LIBFPTR_ERROR_PICTURE_TOO_BIG)};
    // the register keeps a one-bit raster: a file whose pixels can't be read is refused
    const auto image = decodeImage(bytes);
    if (!image) return {k(LIBFPTR_ERROR_INVALID_PARAM)};
    int number = 0;
    if (model_ == Model::Numbered) {
        while (number < kMaxNumbered && pictures_.count(number)) ++number;
        if (number >= kMaxNumbered) return {k(LIBFPTR_ERROR_NO_MEMORY)};
    }
    pictures_[number] = Picture{number, image->width, image->height, encodeMonoBmp(*image)};
    return {0, number};
}

PictureStore::Result PictureStore::download(int number, const QString& path) const {
    const Picture* p = find(number);
    if (!p) return {k(LIBFPTR_ERROR_PICTURE_NOT_FOUND)};
    if (path.isEmpty()) return {k(LIBFPTR_ERROR_NO_REQUIRED_PARAM)};
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {k(LIBFPTR_ERROR_FILE_NOT_FOUND)};
    f.write(p->file.isEmpty() ? blankBmp(p->width, p->height) : p->file);
    if (!f.commit()) return {k(LIBFPTR_ERROR_FILE_NOT_FOUND)};
    return {0, number};
}

}  // namespace emu
