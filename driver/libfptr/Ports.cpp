#include "driver/libfptr/Ports.h"

#include <QRegularExpression>

namespace drv::libfptr {
namespace {

struct Range {
    const char* kernelPrefix;
    int first;  // COM number of the kernel's number 0
    int count;
};
constexpr Range kRanges[] = {{"ttyS", 1, 32}, {"ttyUSB", 33, 68}, {"ttyACM", 101, 155}};

// 101 from "COM101", "\\.\COM101" or "101"; 0 otherwise.
int portNumber(const QString& port) {
    static const QRegularExpression re(QStringLiteral(R"(^(?:\\\\\.\\)?(?:COM)?(\d{1,4})$)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(port.trimmed());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

}  // namespace

QString deviceNodeForPort(const QString& port, const QString& devDir) {
    const int n = portNumber(port);
    for (const auto& r : kRanges)
        if (n >= r.first && n < r.first + r.count)
            return devDir + '/' + QLatin1String(r.kernelPrefix) + QString::number(n - r.first);
    return {};
}

QString portForDeviceNode(const QString& node) {
    const QString name = node.section('/', -1);
    for (const auto& r : kRanges) {
        const QLatin1String prefix(r.kernelPrefix);
        if (!name.startsWith(prefix)) continue;
        const QString digits = name.mid(prefix.size());
        bool ok = false;
        const int k = digits.toInt(&ok);
        // "ttyS01" is not a kernel name; neither is a prefix of a longer one (ttySAC0)
        if (!ok || digits.isEmpty() || (digits.size() > 1 && digits[0] == '0') ||
            !digits.front().isDigit())
            continue;
        if (k >= 0 && k < r.count) return QStringLiteral("COM%1").arg(r.first + k);
    }
    return {};
}

QString comFileForLibrary(const QString& value) {
    const QString node = deviceNodeForPort(value);
    return node.isEmpty() ? value : node;
}

}  // namespace drv::libfptr
