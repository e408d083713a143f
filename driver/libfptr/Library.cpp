#include "driver/libfptr/Library.h"

#include <dlfcn.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <mutex>

namespace drv::libfptr {
namespace {

std::mutex cacheMutex;
QHash<QString, std::weak_ptr<Library>>& cache() {
    static QHash<QString, std::weak_ptr<Library>> c;
    return c;
}

bool has(const Api::Resolver& resolve, const QString& name) {
    return resolve(name.toLatin1().constData()) != nullptr;
}

}  // namespace

Library::Library(Api api, QString path)
    : api_(std::move(api)), path_(std::move(path)), thread_(std::make_unique<DriverThread>()) {}

Library::~Library() = default;

namespace {
// What the library lacks; the error is set when it lacks a core function.
LoadResult check(const Api::Resolver& resolve, const QString& path) {
    LoadResult r;
    QStringList missingCore;
    for (const auto& f : coreFunctions())
        if (!has(resolve, f)) missingCore << f;
    for (const auto& f : programFunctions())
        if (!has(resolve, f)) r.missingFunctions << f;
    if (!missingCore.isEmpty())
        r.error = QStringLiteral("в библиотеке %1 нет функции %2")
                      .arg(path, missingCore.join(QStringLiteral(", ")));
    return r;
}
}  // namespace

LoadResult Library::fromResolver(const Api::Resolver& resolve, const QString& path) {
    LoadResult r = check(resolve, path);
    if (r.error.isEmpty())
        r.library = std::shared_ptr<Library>(new Library(Api::resolve(resolve), path));
    return r;
}

LoadResult Library::load(const QString& pathOrName) {
    // A name with a slash is a file; a bare name goes through the system's library search.
    const bool isFile = pathOrName.contains('/');
    if (isFile && !QFileInfo::exists(pathOrName)) {
        LoadResult r;
        r.error = QStringLiteral("файл %1 не найден").arg(pathOrName);
        return r;
    }
    dlerror();
    void* handle = ::dlopen(QFile::encodeName(pathOrName).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        LoadResult r;
        const char* why = dlerror();
        r.error = QStringLiteral("не удалось загрузить %1: %2")
                      .arg(pathOrName, why ? QString::fromLocal8Bit(why) : QStringLiteral("?"));
        return r;
    }
    const Api::Resolver resolve = [handle](const char* name) { return ::dlsym(handle, name); };

    // The file the loader picked, for the status lines and to share one object per file.
    QString path = isFile ? QFileInfo(pathOrName).absoluteFilePath() : pathOrName;
    if (void* any = ::dlsym(handle, "libfptr_create")) {
        Dl_info info{};
        if (::dladdr(any, &info) && info.dli_fname)
            path = QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
    }
    const QString key =
        QFileInfo(path).canonicalFilePath().isEmpty() ? path : QFileInfo(path).canonicalFilePath();

    std::lock_guard lock(cacheMutex);
    LoadResult r;
    if (auto existing = cache().value(key).lock()) {
        r = check(resolve, path);
        r.library = existing;  // the same object and driver thread
    } else {
        r = fromResolver(resolve, path);
        if (r.library) cache().insert(key, r.library);
    }
    r.mapped = true;
    // The mapping stays even when the library is not used: unmapping a library that may have
    // started threads or registered handlers is not worth the risk.
    return r;
}

QString Library::version() {
    if (!api_.getVersionString) return {};
    return thread_->call([this] {
        const char* v = api_.getVersionString();
        return v ? QString::fromUtf8(v) : QString();
    });
}

}  // namespace drv::libfptr
