#include "tests/contract/Contract.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "driver/libfptr/LibraryDispatch.h"
#include "emulator/VirtualRegister.h"
#include "tests/contract/fake/EchoDispatch.h"

namespace contract {
namespace {

QString describe(const QVariant& v) {
    QString text = v.typeId() == QMetaType::QDateTime ? v.toDateTime().toString(Qt::ISODateWithMs)
                                                      : v.toString();
    if (text.size() > 80) text = text.left(80) + QStringLiteral("… (%1)").arg(text.size());
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(v.typeName() ? v.typeName() : "-"),
                                       text);
}

bool sameValue(const Transcript::Entry& a, const Transcript::Entry& b) {
    if (a.value.typeId() != b.value.typeId()) return false;
    switch (a.value.typeId()) {
        case QMetaType::QDateTime: {
            const QDateTime x = a.value.toDateTime(), y = b.value.toDateTime();
            if (x.isValid() != y.isValid()) return false;
            if (!x.isValid()) return true;
            if (x.timeSpec() != y.timeSpec()) return false;
            const int tolerance = std::max(a.toleranceSeconds, b.toleranceSeconds);
            return std::llabs(x.msecsTo(y)) <= qint64(tolerance) * 1000;
        }
        case QMetaType::Double:
            return a.value.toDouble() == b.value.toDouble() &&
                   std::signbit(a.value.toDouble()) == std::signbit(b.value.toDouble());
        default:
            return a.value == b.value;
    }
}

std::shared_ptr<drv::libfptr::Library> loadOrFail(const QString& path) {
    auto r = drv::libfptr::Library::load(path);
    if (!r.library)
        throw std::runtime_error(("cannot load " + path + ": " + r.error).toStdString());
    return r.library;
}

}  // namespace

QVariant Transcript::value(const QString& label) const {
    for (const auto& e : entries_)
        if (e.label == label) return e.value;
    return {};
}

testing::AssertionResult sameTranscript(const Transcript& a, const Transcript& b) {
    const auto& x = a.entries();
    const auto& y = b.entries();
    if (x.isEmpty()) return testing::AssertionFailure() << "the case recorded nothing";
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (x[i].label != y[i].label)
            return testing::AssertionFailure()
                   << "entry " << i << ": in process '" << x[i].label.toStdString()
                   << "', through the library '" << y[i].label.toStdString() << "'";
        if (!sameValue(x[i], y[i]))
            return testing::AssertionFailure()
                   << x[i].label.toStdString() << ": in process "
                   << describe(x[i].value).toStdString() << ", through the library "
                   << describe(y[i].value).toStdString();
    }
    if (x.size() != y.size())
        return testing::AssertionFailure()
               << "in process " << x.size() << " entries, through the library " << y.size();
    return testing::AssertionSuccess();
}

Runs runBoth(const Case& c, const MakeObject& inProcess, const MakeObject& library) {
    Runs r;
    {
        drv::Fptr f(inProcess());
        c(f, r.inProcess);
    }
    {
        drv::Fptr f(library());
        c(f, r.library);
    }
    return r;
}

QString virtualLibraryPath() {
    return QStringLiteral(VELMOR_VIRTUAL_LIBRARY);
}
QString echoLibraryPath() {
    return QStringLiteral(VELMOR_ECHO_LIBRARY);
}
QString incompleteLibraryPath() {
    return QStringLiteral(VELMOR_INCOMPLETE_LIBRARY);
}

std::shared_ptr<drv::libfptr::Library> virtualLibrary() {
    static auto lib = loadOrFail(virtualLibraryPath());
    return lib;
}

std::shared_ptr<drv::libfptr::Library> echoLibrary() {
    static auto lib = loadOrFail(echoLibraryPath());
    return lib;
}

std::unique_ptr<drv::IDispatch> inProcessVirtual() {
    return emu::VirtualRegister::create(QString::fromLatin1(drv::kProgId));
}
std::unique_ptr<drv::IDispatch> libraryVirtual() {
    return drv::libfptr::LibraryDispatch::create(virtualLibrary());
}
std::unique_ptr<drv::IDispatch> inProcessEcho() {
    return std::make_unique<EchoDispatch>();
}
std::unique_ptr<drv::IDispatch> libraryEcho() {
    return drv::libfptr::LibraryDispatch::create(echoLibrary());
}

QStringList printedSince(qint64& from) {
    QStringList out;
    QFile f(qEnvironmentVariable("VELMOR_DRIVER_LOG"));
    if (!f.open(QIODevice::ReadOnly)) return out;
    f.seek(from);
    while (!f.atEnd()) {
        const auto o = QJsonDocument::fromJson(f.readLine()).object();
        if (o.contains("print"))
            out << o.value("print").toString() + ':' + o.value("text").toString() + ':' +
                       o.value("serial").toString();
    }
    from = f.pos();
    return out;
}

}  // namespace contract
