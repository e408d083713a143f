#include "cliche/Pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "driver/Fptr.h"

namespace cliche {

using namespace drv::names;

QString entryText(int number, int width, int height) {
    return QStringLiteral("%1 (%2x%3)").arg(number).arg(width).arg(height);
}

std::optional<int> entryNumber(const QString& entry) {
    const qsizetype blank = entry.indexOf(QLatin1Char(' '));
    const QString digits = blank < 0 ? entry : entry.left(blank);
    if (digits.isEmpty() || digits.size() > 2) return std::nullopt;
    for (QChar c : digits)
        if (c < u'0' || c > u'9') return std::nullopt;
    const int n = digits.toInt();
    if (n > kMaxPictureNumber) return std::nullopt;
    return n;
}

namespace {

struct PictureInfo {
    int number = 0;
    int width = 0;
    int height = 0;
};

// Every picture of numbered memory: each number 0 to 10 is asked for, so a gap ends nothing.
// `complete` is false when the register did not answer one of the queries.
QList<PictureInfo> numberedPictures(drv::Fptr& fptr, bool* complete = nullptr) {
    QList<PictureInfo> found;
    bool all = true;
    for (int n = 0; n <= kMaxPictureNumber; ++n) {
        fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_PICTURE_INFO));
        fptr.setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QString::number(n));
        if (fptr.queryData() != 0) {
            all = false;
            continue;
        }
        const int width = fptr.getParamInt(LIBFPTR_PARAM_WIDTH);
        if (width != 0) found.append({n, width, fptr.getParamInt(LIBFPTR_PARAM_HEIGHT)});
    }
    if (complete) *complete = all;
    return found;
}

}  // namespace

QStringList readPictureEntries(drv::Fptr& fptr, bool singleCliche) {
    QStringList entries;
    if (singleCliche) {
        fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_PICTURES_ARRAY_INFO));
        fptr.queryData();
        if (fptr.getParamInt(LIBFPTR_PARAM_COUNT) != 0) entries << QStringLiteral("0");
        return entries;
    }
    for (const PictureInfo& p : numberedPictures(fptr))
        entries << entryText(p.number, p.width, p.height);
    return entries;
}

WorkFolder::WorkFolder() : dir_(QDir::tempPath() + QStringLiteral("/kktpics-XXXXXX")) {}

QString WorkFolder::pictureFile(int number) const {
    const QString bare = bareFile(number);
    return bare.isEmpty() ? QString() : bare + QStringLiteral(".bmp");
}

QString WorkFolder::bareFile(int number) const {
    if (number < 0 || number > kMaxPictureNumber || !dir_.isValid()) return {};
    return dir_.filePath(QString::number(number));
}

bool uploadSucceeded(const QVariant& result) {
    return result.isValid() && result.toString() == QLatin1String("0");
}

QVariant uploadPictureMemory(drv::Fptr& fptr, const QString& file) {
    fptr.setParam(LIBFPTR_PARAM_FILENAME, file);
    return fptr.call(drv::members::uploadPictureMemory);
}

QVariant uploadPictureCliche(drv::Fptr& fptr, const QString& file) {
    fptr.setParam(LIBFPTR_PARAM_FILENAME, file);
    return fptr.call(drv::members::uploadPictureCliche);
}

int downloadPicture(drv::Fptr& fptr, int number, const QString& path) {
    fptr.setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QString::number(number));
    fptr.setParam(LIBFPTR_PARAM_FILENAME, path);
    return fptr.run(drv::members::downloadPicture);
}

std::optional<QByteArray> previewPicture(drv::Fptr& fptr, int number) {
    WorkFolder work;
    if (!work.isValid() || number < 0 || number > kMaxPictureNumber) return std::nullopt;
    const QString path = work.pictureFile(number);
    downloadPicture(fptr, number, path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
}

namespace {

// Every picture the register holds, asked for afresh, to its work file in number order; nullopt
// when one query or download failed, or `selected` is not among them.
std::optional<QList<int>> downloadAll(drv::Fptr& fptr, int selected, const WorkFolder& work) {
    if (!work.isValid()) return std::nullopt;
    bool complete = false;
    const QList<PictureInfo> pictures = numberedPictures(fptr, &complete);
    if (!complete) return std::nullopt;
    QList<int> numbers;
    for (const PictureInfo& p : pictures) {
        const QString file = work.pictureFile(p.number);
        if (downloadPicture(fptr, p.number, file) != 0 || QFileInfo(file).size() <= 0)
            return std::nullopt;
        numbers << p.number;
    }
    if (!numbers.contains(selected)) return std::nullopt;
    return numbers;
}

}  // namespace

Change replaceNumbered(drv::Fptr& fptr, int selected, const QString& chosen) {
    WorkFolder work;
    // nothing is cleared before every picture is safe in its work file
    const auto numbers = downloadAll(fptr, selected, work);
    if (!numbers) return Change::NotRead;
    const QString s = work.pictureFile(selected);
    const QString aside = s + QLatin1Char('_');
    fptr.run(drv::members::clearPictures);
    QFile::rename(s, aside);
    QFile::remove(s);
    QFile::copy(chosen, s);
    for (int n : *numbers) {
        if (uploadSucceeded(uploadPictureMemory(fptr, work.pictureFile(n)))) continue;
        // undo: the previous pictures go back in their order
        fptr.run(drv::members::clearPictures);
        QFile::remove(s);
        QFile::rename(aside, s);
        for (int m : *numbers) uploadPictureMemory(fptr, work.pictureFile(m));
        return Change::UploadFailed;
    }
    return Change::Done;
}

Change deleteNumbered(drv::Fptr& fptr, int selected) {
    WorkFolder work;
    const auto numbers = downloadAll(fptr, selected, work);
    if (!numbers) return Change::NotRead;
    fptr.run(drv::members::clearPictures);
    QFile::remove(work.pictureFile(selected));
    // the deleted picture's file is gone, so its upload fails and the others keep their order;
    // another picture that does not go back is not passed over in silence
    bool lost = false;
    for (int n : *numbers) {
        const bool ok = uploadSucceeded(uploadPictureMemory(fptr, work.pictureFile(n)));
        lost = lost || (!ok && n != selected);
    }
    return lost ? Change::UploadFailed : Change::Done;
}

void printPicture(drv::Fptr& fptr, int number, bool singleCliche) {
    if (!singleCliche) {
        fptr.setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QString::number(number));
        fptr.setParam(LIBFPTR_PARAM_ALIGNMENT, fptr.c(LIBFPTR_ALIGNMENT_CENTER));
        fptr.run(drv::members::printPictureByNumber);
        return;
    }
    WorkFolder work;
    const QString path = work.bareFile(number);
    if (path.isEmpty()) return;
    downloadPicture(fptr, number, path);
    fptr.setParam(LIBFPTR_PARAM_FILENAME, path);
    fptr.setParam(LIBFPTR_PARAM_ALIGNMENT, fptr.c(LIBFPTR_ALIGNMENT_CENTER));
    fptr.run(drv::members::printPicture);
}

}  // namespace cliche
