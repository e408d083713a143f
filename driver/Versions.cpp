#include "driver/Versions.h"

#include <QStringList>

#include "driver/Fptr.h"

namespace drv {

int compareVersions(const QString& a, const QString& b) {
    const QStringList pa = a.split('.');
    const QStringList pb = b.split('.');
    const auto num = [](const QStringList& parts, int i) -> long long {
        if (i >= parts.size()) return 0;
        bool ok = false;
        const long long n = parts[i].trimmed().toLongLong(&ok);
        return ok ? n : 0;
    };
    const int n = std::max(pa.size(), pb.size());
    for (int i = 0; i < n; ++i) {
        const long long x = num(pa, i), y = num(pb, i);
        if (x != y) return x > y ? 1 : 2;
    }
    return 0;
}

bool platform25NotServed(Fptr& fptr) {
    const int code = fptr.errorCode();
    if (code == 0 || code != 11) return false;
    return compareVersions(QStringLiteral("10.10.0.0"), fptr.version()) == 2;
}

}  // namespace drv
