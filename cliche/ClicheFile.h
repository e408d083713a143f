#pragma once
// Cliche files: the ten lines of a list in UTF-8 with a byte-order mark, each followed by CR LF,
// in register form. The file says nothing about whether it holds the cliche or the footer.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cliche {

// Bigger files are no cliche files (ten lines of a receipt are far less).
inline constexpr qint64 kMaxClicheFileBytes = 64 * 1024;

// The file's bytes for display-form rows (converted to register form here).
QByteArray encodeClicheFile(const QStringList& rows);
// Writes the file whole or not at all; false with `error` set when it can't be written.
bool saveClicheFile(const QString& path, const QStringList& rows, QString* error = nullptr);

struct ClicheFileLines {
    bool ok = false;
    QString error;      // why the file is no cliche file, for the user
    QStringList lines;  // display form, at most ten
};
// Reads the bytes of a cliche file: a byte-order mark is skipped, lines end with CR LF, LF or
// CR; lines after the tenth are ignored. Bytes that are no UTF-8, control characters or an
// oversized file make it no cliche file.
ClicheFileLines decodeClicheFile(const QByteArray& bytes);
ClicheFileLines loadClicheFile(const QString& path);

}  // namespace cliche
