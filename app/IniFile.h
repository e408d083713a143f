#pragma once
// The program's INI file: UTF-8, sections and keys kept in file order, written atomically where
// the folder allows it and in place where only the file is writable.
#include <QString>
#include <QStringList>
#include <memory>

namespace app {

class IniFile {
  public:
    // What a file may hold: bigger files and longer values are refused, not read.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    static constexpr int kMaxValueChars = 4096;

    IniFile();
    ~IniFile();
    // Loads the file; false when it can't be read (a missing file loads as empty). A NUL byte or
    // bytes that are no UTF-8 hide no later entry: a run of NULs ends its line and bad bytes
    // read as U+FFFD (repaired() tells so afterwards). A file that is empty, holds no section,
    // is over kMaxFileBytes or has a value over kMaxValueChars is refused with errorString()
    // saying why; a file that can't be opened leaves errorString() empty.
    bool load(const QString& path);
    QString errorString() const;
    // The last load found NUL bytes, bytes that are no UTF-8, lines that are neither a
    // section, a key nor a comment, or a section line without its "]" (read as blank).
    bool repaired() const;
    // Writes the file through a temporary file "<name>.XXXXXX.tmp" beside it and a rename, so
    // the file under its name is always whole. Where the folder takes no new file, an existing
    // file is written in place instead, never truncated first; a write failing part way puts
    // the old content back.
    bool save(const QString& path) const;
    // Removes the temporary files that an interrupted save of `path` left beside it.
    static void removeLeftovers(const QString& path);

    QStringList sections() const;  // in file order
    QStringList keys(const QString& section) const;
    QString value(const QString& section, const QString& key) const;  // missing: empty
    bool hasKey(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void deleteKey(const QString& section, const QString& key);
    void deleteSection(const QString& section);

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace app
