// The report builders of the ККМ, Регистрация and ФН tabs give the same rows through the C
// library as in process.
#include <QFile>

#include "driver/libfptr/Constants.h"
#include "info/DeviceStatusReport.h"
#include "info/FnReport.h"
#include "info/RegistrationReport.h"
#include "tests/contract/Contract.h"

namespace contract {
namespace {

// The rows as text; the register's running clock only as "set" (it moves between the runs).
QString rowsText(const info::ReportRows& rows) {
    QStringList out;
    for (auto r : rows) {
        if (r.cells.value(0) == QLatin1String("Дата и время в кассе") && r.cells.size() > 1)
            r.cells[1] = r.cells[1].isEmpty() ? QStringLiteral("<empty>") : QStringLiteral("<set>");
        out << QString::number(r.mark) + '|' + r.cells.join('|');
    }
    return out.join('\n');
}

// Names whose value the in-process virtual register gives otherwise than the published table.
// Through the C interface the program sends the published numbers, so any difference would make
// the reports read other parameters there than in process.
QStringList constantsOfTheVirtualRegisterThatDiffer() {
    QFile f(QStringLiteral(VELMOR_SOURCE_DIR "/driver/constants.txt"));
    if (!f.open(QIODevice::ReadOnly)) return {QStringLiteral("(no constants.txt)")};
    const auto published = drv::libfptr::parseConstantTable(f.readAll());
    const auto object = inProcessVirtual();
    QStringList differ;
    for (auto it = published.constBegin(); it != published.constEnd(); ++it) {
        const auto own = object->constant(it.key());
        if (own && own->toLongLong() != it.value().toLongLong() &&
            quint32(own->toLongLong()) != quint32(it.value().toInt()))
            differ << it.key();
    }
    differ.sort();
    return differ;
}

TEST(ReportContract, TheThreeReportTabsGiveTheSameRows) {
    const QStringList differ = constantsOfTheVirtualRegisterThatDiffer();
    ASSERT_TRUE(differ.isEmpty()) << "the virtual register's own constants differ from the "
                                     "published table: "
                                  << differ.join(' ').toStdString();
    const Runs r = runBoth(
        [](drv::Fptr& f, Transcript& t) {
            f.openSerialAuto("101");
            t.add("status", rowsText(info::buildDeviceStatusReport(f, true)));
            t.add("registration", rowsText(info::buildRegistrationReport(f).rows));
            t.add("storage", rowsText(info::buildFnReport(f)));
        },
        inProcessVirtual, libraryVirtual);
    const auto& a = r.inProcess.entries();
    const auto& b = r.library.entries();
    ASSERT_EQ(a.size(), 3);
    ASSERT_EQ(b.size(), 3);
    for (int i = 0; i < a.size(); ++i) {
        const QStringList x = a[i].value.toString().split('\n');
        const QStringList y = b[i].value.toString().split('\n');
        EXPECT_GT(x.size(), 5) << a[i].label.toStdString();
        for (int k = 0; k < std::max(x.size(), y.size()); ++k)
            if (x.value(k) != y.value(k))
                ADD_FAILURE() << a[i].label.toStdString() << ": in process '"
                              << x.value(k).toStdString() << "' / library '"
                              << y.value(k).toStdString() << "'";
    }
}

}  // namespace
}  // namespace contract
