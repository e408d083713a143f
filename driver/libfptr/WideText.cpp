#include "driver/libfptr/WideText.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace drv::libfptr {
namespace {
// A library that keeps asking for more is not followed past this size (64 M characters).
constexpr int kLargest = 64 * 1024 * 1024;
constexpr int kAttempts = 4;
}  // namespace

std::wstring toWide(const QString& s) {
    return s.toStdWString();
}

QString fromWide(const wchar_t* s, qsizetype size) {
    if (!s || size <= 0) return {};
    const qsizetype n = qsizetype(::wcsnlen(s, size_t(size)));
    return QString::fromWCharArray(s, n);
}

QString readText(const std::function<int(wchar_t*, int)>& fill, int firstSize) {
    std::vector<wchar_t> buf(size_t(std::max(firstSize, 2)), L'\0');
    for (int attempt = 0;; ++attempt) {
        const int size = int(buf.size());
        std::fill(buf.begin(), buf.end(), L'\0');
        const int needed = fill(buf.data(), size);
        if (needed < 0) return {};
        if (needed < size || attempt + 1 >= kAttempts || needed >= kLargest)
            return fromWide(buf.data(), std::min(needed, size));
        buf.assign(size_t(needed) + 1, L'\0');
    }
}

QByteArray readBytes(const std::function<int(unsigned char*, int)>& fill, int firstSize) {
    std::vector<unsigned char> buf(size_t(std::max(firstSize, 1)), 0);
    for (int attempt = 0;; ++attempt) {
        const int size = int(buf.size());
        const int needed = fill(buf.data(), size);
        if (needed <= 0) return {};
        if (needed <= size || attempt + 1 >= kAttempts || needed > kLargest)
            return QByteArray(reinterpret_cast<const char*>(buf.data()), std::min(needed, size));
        buf.assign(size_t(needed), 0);
    }
}

int writeText(const QString& text, wchar_t* buf, int size) {
    const std::wstring w = toWide(text);
    const int needed = int(w.size()) + 1;
    if (buf && size > 0) {
        const int n = std::min(int(w.size()), size - 1);
        std::memcpy(buf, w.data(), size_t(n) * sizeof(wchar_t));
        buf[n] = L'\0';
    }
    return needed;
}

int writeBytes(const QByteArray& bytes, unsigned char* buf, int size) {
    if (buf && size > 0)
        std::memcpy(buf, bytes.constData(), size_t(std::min(int(bytes.size()), size)));
    return int(bytes.size());
}

}  // namespace drv::libfptr
