// The network part on real sockets, inside network namespaces made by the test (root only):
// a gateway with TTL 64 and a "register" with TTL 255 listening on port 5555. The scan runs in
// a third namespace that is linked to nothing else, so no real network is touched.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include "app/DeviceRows.h"
#include "app/LineLog.h"
#include "app/Session.h"
#include "app/Ui.h"
#include "discovery/DeviceScan.h"
#include "driver/Dispatch.h"
#include "emulator/VirtualRegister.h"
#include "platform/LinuxPc.h"
#include "tests/support/Benches.h"
#include "tests/support/RecordingUi.h"

namespace {

const QString kNet = QStringLiteral("10.231.7.");

// Waits really wait and process events, as the window does.
struct PlainUi : testing_support::RecordingUi {
    PlainUi() : testing_support::RecordingUi(Events::Live) {}
};

bool sh(const QString& cmd) {
    return QProcess::execute("/bin/sh", {"-c", cmd + " >/dev/null 2>&1"}) == 0;
}

}  // namespace

// Runs inside the scanning namespace (started by the test below).
TEST(DiscoveryNetns, InnerScan) {
    if (qEnvironmentVariable("VELMOR_NETNS_INNER") != "1")
        GTEST_SKIP() << "runs inside the namespaces only";
    QJsonObject root = testing_support::demoBench();
    QJsonArray regs = root.value("registers").toArray();
    QJsonObject reg = regs[1].toObject();
    reg.insert("ip", kNet + "40");
    QJsonArray settings;
    settings.append(QJsonObject{{"id", 71}, {"type", "string"}, {"value", kNet + "40"}});
    settings.append(QJsonObject{{"id", 74}, {"type", "number"}, {"value", 5555}});
    reg.insert("settings", settings);
    QJsonObject gw = reg;
    gw.insert("ip", kNet + "1");  // would be found if the TTL-64 host were probed
    gw.insert("serial", "00000000000001");
    root.insert("registers", QJsonArray{regs[0], reg, gw});
    testing_support::useBench(testing_support::toJson(root));

    drv::setDispatchFactory(&emu::VirtualRegister::create);
    platform::LinuxPc pc;
    ASSERT_EQ(pc.firstRouteNextHop(), kNet + "1");
    EXPECT_TRUE(pc.tcpPortOpen(kNet + "40", 5555, 1000));
    PlainUi u;
    app::Session session(pc, "/tmp/");
    session.bind(nullptr, true, {});
    app::LineLog memo, serv;
    app::DeviceRows list;
    discovery::DeviceScan scan(session, u, list, memo, serv, nullptr);
    scan.setPacing(5, 201, 20);
    scan.run(false, true);
    ASSERT_TRUE(scan.waitForWorkers(5000));
    EXPECT_EQ(scan.potokExitCnt(), 254);
    EXPECT_LE(scan.peakWorkers(), 254);

    const QStringList lines = memo.lines();
    const QString text = lines.join('\n').toStdString().c_str();
    // the gateway, the register and the scanning namespace's own address answer
    EXPECT_EQ(lines.size(), 4) << text.toStdString();
    const QRegularExpression regLine(
        "^10\\.231\\.7\\.40 - ответ: \\d+ мс TTL=255 - обнаружено: АТОЛ 27Ф$");
    const QRegularExpression gwLine("^10\\.231\\.7\\.1 - ответ: \\d+ мс TTL=64$");
    EXPECT_EQ(lines.filter(regLine).size(), 1) << text.toStdString();
    EXPECT_EQ(lines.filter(gwLine).size(), 1) << text.toStdString();
    EXPECT_EQ(
        lines.filter(QRegularExpression("^10\\.231\\.7\\.200 - ответ: \\d+ мс TTL=64$")).size(), 1);
    EXPECT_EQ(lines.last(), "[Завершено]");
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.at(0).kkm, "АТОЛ 27Ф (№ 00106908765432)");
    EXPECT_EQ(list.at(0).ip, kNet + "40");
}

TEST(DiscoveryNetns, ScanFindsRegisterNamespaceOnly) {
    if (qEnvironmentVariable("VELMOR_NETNS_INNER") == "1") GTEST_SKIP() << "outer part";
    if (::geteuid() != 0) GTEST_SKIP() << "network namespaces need root";
    if (!sh("command -v ip && command -v socat")) GTEST_SKIP() << "ip or socat is missing";
    const QString id = QString::number(::getpid());
    const QString S = "velmor-scan-" + id, R = "velmor-reg-" + id, H = "velmor-gw-" + id;
    const auto in = [](const QString& ns, const QString& cmd) {
        return "ip netns exec " + ns + " " + cmd;
    };
    qint64 listener = 0;
    const auto cleanup = [&] {
        if (listener > 0) {
            ::kill(pid_t(listener), SIGTERM);
            ::waitpid(pid_t(listener), nullptr, 0);
        }
        for (const auto& ns : {S, R, H}) sh("ip netns del " + ns);
    };
    const QStringList setup = {
        "ip netns add " + S,
        "ip netns add " + R,
        "ip netns add " + H,
        in(S, "ip link set lo up"),
        in(R, "ip link set lo up"),
        in(H, "ip link set lo up"),
        in(S, "ip link add br0 type bridge"),
        in(S, "ip link set br0 up"),
        in(S, "ip addr add " + kNet + "200/24 dev br0"),
        in(S, "ip link add vr type veth peer name eth0 netns " + R),
        in(S, "ip link add vh type veth peer name eth0 netns " + H),
        in(S, "ip link set vr master br0"),
        in(S, "ip link set vh master br0"),
        in(S, "ip link set vr up"),
        in(S, "ip link set vh up"),
        in(R, "ip addr add " + kNet + "40/24 dev eth0"),
        in(R, "ip link set eth0 up"),
        in(H, "ip addr add " + kNet + "1/24 dev eth0"),
        in(H, "ip link set eth0 up"),
        in(R, "sysctl -w net.ipv4.ip_default_ttl=255"),
        in(S, "ip route add default via " + kNet + "1"),
    };
    for (const auto& cmd : setup) {
        if (!sh(cmd)) {
            cleanup();
            GTEST_SKIP() << "cannot build the namespaces: " << cmd.toStdString();
        }
    }
    QProcess::startDetached(
        "ip", {"netns", "exec", R, "socat", "TCP-LISTEN:5555,fork,reuseaddr", "/dev/null"}, {},
        &listener);
    // wait until the register's port listens
    for (int i = 0; i < 100 && !sh(in(R, "sh -c 'ss -ltn | grep -q :5555'")); ++i) ::usleep(30000);

    QProcess inner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMOR_NETNS_INNER", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    inner.setProcessEnvironment(env);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start("ip", {"netns", "exec", S, QCoreApplication::applicationFilePath(),
                       "--gtest_filter=DiscoveryNetns.InnerScan"});
    const bool finished = inner.waitForFinished(60000);
    const QByteArray out = inner.readAll();
    cleanup();
    ASSERT_TRUE(finished);
    EXPECT_EQ(inner.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}
