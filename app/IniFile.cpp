#include "app/IniFile.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <list>
#include <string>
#include <system_error>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace app {

struct IniFile::Impl {
    CSimpleIniA ini{true /*utf8*/, false /*no multi-key*/, false /*no multi-line*/};
    QString error;
    bool repaired = false;
    Impl() { ini.SetSpaces(false); }
};

IniFile::IniFile() : d(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;

static std::string s(const QString& q) {
    return q.toStdString();
}

namespace {

const QString kTemporarySuffix = QStringLiteral(".tmp");

// The text the parser gets: every run of NUL bytes ends the line it stands in, and bytes that
// are no UTF-8 become U+FFFD, so neither hides the entries after it. `repaired` tells whether
// anything had to be changed.
QByteArray readableText(const QByteArray& raw, bool& repaired) {
    QByteArray text;
    text.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != '\0') {
            text += raw.at(i);
            continue;
        }
        repaired = true;
        text += '\n';
        while (i + 1 < raw.size() && raw.at(i + 1) == '\0') ++i;
    }
    if (!QByteArrayView(text).isValidUtf8()) {
        repaired = true;
        text = QString::fromUtf8(text).toUtf8();
    }
    return text;
}

// Counts the section lines; a line that is neither blank, a comment, a section nor a key
// marks the file as repaired. A line that opens a section without closing it would swallow
// the lines after it into the section's name, a section without a name and keys before the
// first section would be written ahead of every section at the next save: such lines are
// blanked out of `text` and mark the file as repaired too.
int sectionLines(QByteArray& text, bool& repaired) {
    int sections = 0;
    qsizetype start = 0;
    const auto blank = [&](qsizetype from, qsizetype to) {
        repaired = true;
        std::fill(text.begin() + from, text.begin() + to, ' ');
    };
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) end = text.size();
        const QByteArray line = text.sliced(start, end - start).trimmed();
        const bool content = !line.isEmpty() && !line.startsWith(';') && !line.startsWith('#');
        const qsizetype close = line.indexOf(']');
        if (content && line.startsWith('[') && close > 0) {
            if (line.sliced(1, close - 1).trimmed().isEmpty())
                blank(start, end);
            else
                ++sections;
        } else if (content && line.startsWith('[')) {
            blank(start, end);
        } else if (content && !line.contains('=')) {
            repaired = true;
        } else if (content && sections == 0) {
            blank(start, end);
        }
        start = end + 1;
    }
    return sections;
}

// The permissions of a new file: read and write for all, less the process's umask, as any
// program's new files. Linux tells the umask without changing it; elsewhere it is set and put
// back.
QFileDevice::Permissions newFilePermissions() {
    int mask = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:")) {
                bool ok = false;
                mask = line.mid(6).trimmed().toInt(&ok, 8);
                if (!ok) mask = -1;
            }
#ifdef Q_OS_UNIX
    if (mask < 0) {
        mask = int(::umask(022));
        ::umask(mode_t(mask));
    }
#endif
    if (mask < 0) mask = 022;
    const int mode = 0666 & ~mask;
    QFileDevice::Permissions p;
    const std::pair<int, QFileDevice::Permissions> bits[] = {
        {0400, QFileDevice::ReadOwner | QFileDevice::ReadUser},
        {0200, QFileDevice::WriteOwner | QFileDevice::WriteUser},
        {0040, QFileDevice::ReadGroup},
        {0020, QFileDevice::WriteGroup},
        {0004, QFileDevice::ReadOther},
        {0002, QFileDevice::WriteOther}};
    for (const auto& [bit, perm] : bits)
        if (mode & bit) p |= perm;
    return p;
}

bool syncToDisk(QFileDevice& f) {
    if (!f.flush()) return false;
#ifdef Q_OS_UNIX
    return ::fsync(f.handle()) == 0;
#else
    return true;
#endif
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// Writes `bytes` over the existing file without truncating it first. A write that fails part
// way puts the old content back, so the file is never left empty or cut.
bool writeInPlace(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray old = f.readAll();
    const bool written =
        f.seek(0) && f.write(bytes) == bytes.size() && f.resize(bytes.size()) && syncToDisk(f);
    if (!written && f.seek(0)) {
        f.write(old);
        f.resize(old.size());
        syncToDisk(f);
    }
    return written;
}

}  // namespace

bool IniFile::load(const QString& path) {
    d->ini.Reset();
    d->error.clear();
    d->repaired = false;
    QFile f(path);
    if (!f.exists()) return true;
    if (!f.open(QIODevice::ReadOnly)) return false;
    const auto tooLarge = [this](qint64 size) {
        d->error = QStringLiteral("файл слишком велик (%1 байт, допускается не более %2)")
                       .arg(size)
                       .arg(kMaxFileBytes);
        return false;
    };
    if (f.size() > kMaxFileBytes) return tooLarge(f.size());
    const QByteArray raw = f.read(kMaxFileBytes + 1);
    if (raw.size() > kMaxFileBytes) return tooLarge(raw.size());

    QByteArray text = readableText(raw, d->repaired);
    if (text.trimmed().isEmpty()) {
        d->error = QStringLiteral("файл пуст");
        return false;
    }
    if (sectionLines(text, d->repaired) == 0 ||
        d->ini.LoadData(text.constData(), size_t(text.size())) < 0) {
        d->ini.Reset();
        d->error = QStringLiteral("файл повреждён");
        return false;
    }
    CSimpleIniA::TNamesDepend sectionNames;
    d->ini.GetAllSections(sectionNames);
    for (const auto& section : sectionNames) {
        CSimpleIniA::TNamesDepend keyNames;
        d->ini.GetAllKeys(section.pItem, keyNames);
        for (const auto& key : keyNames) {
            const char* v = d->ini.GetValue(section.pItem, key.pItem, "");
            if (std::strlen(v) <= size_t(kMaxValueChars)) continue;
            const qsizetype chars = QString::fromUtf8(v).size();
            if (chars <= kMaxValueChars) continue;
            d->error = QStringLiteral(
                           "значение \"%1\" в разделе \"%2\" слишком велико (%3 символов, "
                           "допускается не более %4)")
                           .arg(QString::fromUtf8(key.pItem), QString::fromUtf8(section.pItem))
                           .arg(chars)
                           .arg(kMaxValueChars);
            d->ini.Reset();  // only now: the names above point into the parsed data
            return false;
        }
    }
    return true;
}

QString IniFile::errorString() const {
    return d->error;
}

bool IniFile::repaired() const {
    return d->repaired;
}

bool IniFile::save(const QString& path) const {
    std::string out;
    if (d->ini.Save(out, false) < 0) return false;
    const QByteArray bytes = QByteArray::fromStdString(out);
    QFileInfo info(path);
    // a link is followed: the file it points to is the one replaced
    if (info.isSymLink() && info.exists()) info = QFileInfo(info.canonicalFilePath());
    if (info.isDir()) return false;

    QTemporaryFile tmp(info.absolutePath() + '/' + info.fileName() + QStringLiteral(".XXXXXX") +
                       kTemporarySuffix);
    if (tmp.open()) {
        if (tmp.write(bytes) != bytes.size() || !syncToDisk(tmp)) return false;
        // The file gets its name only now where the system allows a file without one, and
        // keeps the permissions of the one it replaces; a new one follows the umask.
        const QString tmpName = tmp.fileName();
        tmp.setPermissions(info.exists() ? info.permissions() : newFilePermissions());
        tmp.close();
        std::error_code error;
        std::filesystem::rename(fsPath(tmpName), fsPath(info.absoluteFilePath()), error);
        if (error) return false;  // the temporary file goes with `tmp`
        tmp.setAutoRemove(false);
        return true;
    }
    // The folder takes no new file: a writable file is written where it is.
    return info.exists() && writeInPlace(info.absoluteFilePath(), bytes);
}

void IniFile::removeLeftovers(const QString& path) {
    const QFileInfo info(path);
    QDir dir = info.absoluteDir();
    const QStringList pattern = {info.fileName() + QStringLiteral(".??????") + kTemporarySuffix};
    for (const QString& name :
         dir.entryList(pattern, QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive))
        dir.remove(name);
}

QStringList IniFile::sections() const {
    CSimpleIniA::TNamesDepend names;
    d->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& n : names) out << QString::fromUtf8(n.pItem);
    return out;
}

QStringList IniFile::keys(const QString& section) const {
    CSimpleIniA::TNamesDepend names;
    d->ini.GetAllKeys(s(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& n : names) out << QString::fromUtf8(n.pItem);
    return out;
}

QString IniFile::value(const QString& section, const QString& key) const {
    const char* v = d->ini.GetValue(s(section).c_str(), s(key).c_str(), nullptr);
    return v ? QString::fromUtf8(v) : QString();
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return d->ini.GetValue(s(section).c_str(), s(key).c_str(), nullptr) != nullptr;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    d->ini.SetValue(s(section).c_str(), s(key).c_str(), s(value).c_str());
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    d->ini.Delete(s(section).c_str(), s(key).c_str(), false);
}

void IniFile::deleteSection(const QString& section) {
    d->ini.Delete(s(section).c_str(), nullptr);
}

}  // namespace app
