#include "app/IniFile.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QSaveFile>
#include <list>
#include <string>

namespace app {

struct IniFile::Impl {
    CSimpleIniA ini{true /*utf8*/, false /*no multi-key*/, false /*no multi-line*/};
    Impl() { ini.SetSpaces(false); }
};

IniFile::IniFile() : d(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;

static std::string s(const QString& q) {
    return q.toStdString();
}

bool IniFile::load(const QString& path) {
    d->ini.Reset();
    QFile f(path);
    if (!f.exists()) return true;
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray data = f.readAll();
    return d->ini.LoadData(data.constData(), data.size()) >= 0;
}

bool IniFile::save(const QString& path) const {
    std::string out;
    if (d->ini.Save(out, false) < 0) return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(out.data(), qint64(out.size())) != qint64(out.size())) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
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
