#pragma once
// Helpers of the fuzz harnesses: the input as bytes and, for readers that take a path, as a
// file of this process.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>

namespace fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Writes the input to a file named `name` in a folder of this process and returns its path.
inline QString asFile(const uint8_t* data, size_t size, const char* name) {
    const QString dir = QDir::temp().filePath(
        QStringLiteral("velmor-fuzz-%1").arg(QCoreApplication::applicationPid()));
    QDir().mkpath(dir);
    const QString path = dir + '/' + QLatin1String(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes(data, size));
    return path;
}

}  // namespace fuzz
