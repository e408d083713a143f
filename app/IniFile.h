#pragma once
// The program's INI file: UTF-8, sections and keys kept in file order, written atomically.
#include <QString>
#include <QStringList>
#include <memory>

namespace app {

class IniFile {
  public:
    IniFile();
    ~IniFile();
    // Loads the file; false when it can't be read (a missing file loads as empty).
    bool load(const QString& path);
    // Writes the file through a temporary file and a rename, so it is never left half-written.
    bool save(const QString& path) const;

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
