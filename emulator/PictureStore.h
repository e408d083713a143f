#pragma once
// Pictures held in the register's memory. Two models, as registers come: numbered memory (up to
// eleven pictures, numbers 0 to 10, added one by one) and a single cliche picture (number 0,
// replaced by each upload).
#include <QByteArray>
#include <QString>
#include <map>
#include <optional>

#include "emulator/PictureImage.h"

namespace emu {

struct Picture {
    int number = 0;
    int width = 0;
    int height = 0;
    QByteArray file;  // the picture as a one-bit BMP; empty for a picture the bench declares
};

class PictureStore {
  public:
    enum class Model { Numbered, SingleCliche };
    static constexpr int kMaxNumbered = 11;
    static constexpr int kMaxWidth = kMaxPictureWidth;
    static constexpr int kMaxHeight = kMaxPictureHeight;
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

    explicit PictureStore(Model model = Model::Numbered) : model_(model) {}
    Model model() const { return model_; }

    // Result of an operation: 0 or the driver's error code.
    struct Result {
        int code = 0;
        int number = -1;  // the picture's number after an upload
    };
    // Adds (numbered memory) or replaces (single cliche picture) from an image file (BMP or PNG),
    // kept as the register keeps it: one bit per dot. A file that is no readable image is
    // refused with LIBFPTR_ERROR_INVALID_PARAM, one that declares a picture over the limits (or a
    // file over kMaxFileBytes) with LIBFPTR_ERROR_PICTURE_TOO_BIG.
    Result upload(const QString& path, Model as);
    // Writes picture `number` to `path` as a one-bit BMP (a blank one for a declared picture).
    Result download(int number, const QString& path) const;
    void clear() { pictures_.clear(); }
    // A picture the bench declares by its size.
    void declare(int number, int width, int height);

    const Picture* find(int number) const;
    int count() const { return int(pictures_.size()); }

    // A one-bit white BMP of the given size.
    static QByteArray blankBmp(int width, int height);

  private:
    Model model_;
    std::map<int, Picture> pictures_;
};

}  // namespace emu
