#include "driver/libfptr/Search.h"

#include <QDir>
#include <QFileInfo>

namespace drv::libfptr {

QStringList packageDirectories() {
    return {QStringLiteral("/opt/ATOL/Drivers10/KKT/bin"),
            QStringLiteral("/opt/ATOL/Drivers10/KKT/lib"),
            QStringLiteral("/usr/lib/x86_64-linux-gnu"), QStringLiteral("/usr/lib"),
            QStringLiteral("/usr/local/lib")};
}

namespace {

// `quietIfAbsent`: a library the system's search does not find is no failure worth a line.
bool take(SearchResult& out, const QString& candidate, bool quietIfAbsent = false) {
    LoadResult r = Library::load(candidate);
    if (!r.library) {
        if (r.mapped || !quietIfAbsent)
            out.failures << QStringLiteral("%1: %2").arg(candidate, r.error);
        return false;
    }
    out.library = r.library;
    out.path = r.library->path();
    out.version = r.library->version();
    out.missingFunctions = r.missingFunctions;
    return true;
}

}  // namespace

SearchResult findLibrary(const SearchOptions& o) {
    SearchResult out;
    if (!o.explicitPath.isEmpty()) {
        out.explicitPath = true;
        take(out, o.explicitPath);
        return out;
    }
    QStringList files;
    if (!o.programDir.isEmpty()) files << QDir(o.programDir).filePath(o.fileName);
    for (const auto& d : o.packageDirs) files << QDir(d).filePath(o.fileName);
    for (const auto& f : files)
        if (QFileInfo::exists(f) && take(out, f)) return out;
    if (o.systemSearch) take(out, o.fileName, true);
    return out;
}

QStringList BindingChoice::statusLines() const {
    QStringList lines;
    if (kind == Kind::Library) {
        // candidates passed over on the way to the bound one are named too
        for (const auto& f : search.failures)
            lines << QStringLiteral("Библиотека драйвера ККТ не загружена: %1").arg(f);
        lines << QStringLiteral("Библиотека драйвера ККТ: %1, версия %2")
                     .arg(search.path,
                          search.version.isEmpty() ? QStringLiteral("неизвестна") : search.version);
        for (const auto& f : search.missingFunctions)
            lines << QStringLiteral("В библиотеке драйвера нет функции %1").arg(f);
        return lines;
    }
    if (benchSet) {
        lines << QStringLiteral("Используется виртуальная ККТ (стенд VELMOR_BENCH)");
        return lines;
    }
    for (const auto& f : search.failures)
        lines << QStringLiteral("Библиотека драйвера ККТ не загружена: %1").arg(f);
    if (search.failures.isEmpty() || !search.explicitPath)
        lines << QStringLiteral("Библиотека драйвера ККТ (%1) не найдена").arg(kLibraryFile);
    lines << QStringLiteral("Используется виртуальная ККТ");
    return lines;
}

BindingChoice chooseDriver(const QString& iniLibrary, const QString& programDir,
                           const std::function<QString(const char*)>& env) {
    BindingChoice c;
    const QString named = env(kLibraryEnv);
    if (named.isEmpty() && !env("VELMOR_BENCH").isEmpty()) {
        c.benchSet = true;
        return c;
    }
    SearchOptions o;
    o.explicitPath = named.isEmpty() ? iniLibrary.trimmed() : named;
    o.programDir = programDir;
    c.search = findLibrary(o);
    if (c.search.found()) c.kind = BindingChoice::Kind::Library;
    return c;
}

BindingChoice chooseDriver(const QString& iniLibrary, const QString& programDir) {
    return chooseDriver(iniLibrary, programDir,
                        [](const char* name) { return qEnvironmentVariable(name); });
}

}  // namespace drv::libfptr
