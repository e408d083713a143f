#pragma once
// Pictures in the register's memory: the list, the preview download and the changes.
//
// Numbered memory (up to eleven pictures, 0 to 10) has no operation to replace or delete one
// picture, so both download every picture to a work file, clear the memory and upload the work
// files again in list order. Work files live in a folder of their own in the temp directory,
// made with a unique name for each operation and removed with it; file names are built only
// from picture numbers 0 to 10, never from text the user or the register gives.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <optional>

namespace drv {
class Fptr;
}

namespace cliche {

inline constexpr int kMaxPictureNumber = 10;

// "2 (384x120)".
QString entryText(int number, int width, int height);
// The picture number of an entry: the decimal number before its first blank (the whole text
// without a blank); nullopt unless it is 0 to 10.
std::optional<int> entryNumber(const QString& entry);

// The entries of the list as the register answers. Numbered memory: every number 0 to 10 is
// asked for, so pictures past a gap are listed too. Single cliche picture: "0" when the
// register holds one.
QStringList readPictureEntries(drv::Fptr& fptr, bool singleCliche);

// A folder of work files in the temp directory, unique to its owner and removed with it.
class WorkFolder {
  public:
    WorkFolder();
    bool isValid() const { return dir_.isValid(); }
    // The work file of a picture number: "<n>.bmp"; empty for a number outside 0 to 10.
    QString pictureFile(int number) const;
    // A file of the folder named by a picture number without extension.
    QString bareFile(int number) const;
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

// The driver's result of an upload counts as success when its text is "0".
bool uploadSucceeded(const QVariant& result);
QVariant uploadPictureMemory(drv::Fptr& fptr, const QString& file);
QVariant uploadPictureCliche(drv::Fptr& fptr, const QString& file);
// The driver's result: 0, or -1 with its error set.
int downloadPicture(drv::Fptr& fptr, int number, const QString& path);

// Downloads picture `number` to a work file and returns its bytes; nullopt when the register
// wrote no file.
std::optional<QByteArray> previewPicture(drv::Fptr& fptr, int number);

enum class Change {
    Done,
    UploadFailed,  // replace: an upload failed and the previous pictures were uploaded again;
                   // delete: one of the other pictures did not go back
    NotRead,       // a picture could not be listed or downloaded, or `selected` is not held:
                   // the memory was not touched
};
// Before anything is cleared, both ask the register afresh for every picture it holds (0 to 10,
// past any gap) and download each to a work file; they go back in number order (the register
// numbers them anew from 0).
// Replaces picture number `selected` (numbered memory) by the file `chosen`.
Change replaceNumbered(drv::Fptr& fptr, int selected, const QString& chosen);
// Deletes picture number `selected` (numbered memory).
Change deleteNumbered(drv::Fptr& fptr, int selected);

// Prints picture `number`: by number from numbered memory, or downloaded and printed as a file
// for the single cliche picture.
void printPicture(drv::Fptr& fptr, int number, bool singleCliche);

}  // namespace cliche
