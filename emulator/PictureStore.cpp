#include "emulator/PictureStore.h"

#include <QFile>
#include <QSaveFile>

#include "emulator/Constants.h"
#include "emulator/PictureImage.h"

namespace emu {

using namespace drv::names;

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
    // the register keeps a one-bit raster: a file whose pixels can't be read is refused
    const DecodedImage decoded = decodePicture(f.read(kMaxFileBytes + 1));
    if (decoded.fault == DecodedImage::Fault::TooBig) return {k(LIBFPTR_ERROR_PICTURE_TOO_BIG)};
    if (!decoded.image) return {k(LIBFPTR_ERROR_INVALID_PARAM)};
    const MonoImage& image = *decoded.image;
    int number = 0;
    if (model_ == Model::Numbered) {
        while (number < kMaxNumbered && pictures_.count(number)) ++number;
        if (number >= kMaxNumbered) return {k(LIBFPTR_ERROR_NO_MEMORY)};
    }
    pictures_[number] = Picture{number, image.width, image.height, encodeMonoBmp(image)};
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
