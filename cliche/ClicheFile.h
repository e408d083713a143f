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
// Why `path` can't take a cliche file, for the user; empty when it can. Only a regular file (or
// a link to one) is replaced, and a missing one is made: a folder, a device, a channel or a link
// that leads nowhere is refused.
QString saveTargetProblem(const QString& path);
// Writes the file whole or not at all; false with `error` set when it can't be written
// (saveTargetProblem included).
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
// Reads a regular file (or a link to one) of at most kMaxClicheFileBytes; a folder, a device or
// a channel is refused without being opened, and a read error is reported, never taken for an
// empty file.
ClicheFileLines loadClicheFile(const QString& path);

}  // namespace cliche
