#include "platform/LinuxPc.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

namespace platform {

LinuxPc::LinuxPc(QString windowsRoot, QString sysRoot, QString devRoot)
    : root_(std::move(windowsRoot)), sys_(std::move(sysRoot)), dev_(std::move(devRoot)) {}

QString LinuxPc::localPath(const QString& windowsPath) const {
    QString p = windowsPath;
    p.replace('\\', '/');
    if (p.size() >= 2 && p[1] == ':') p = p.mid(2);
    return QDir::cleanPath(root_ + '/' + p);
}

bool LinuxPc::dirExists(const QString& windowsPath) {
    return QFileInfo(localPath(windowsPath)).isDir();
}
bool LinuxPc::fileExists(const QString& windowsPath) {
    return QFileInfo(localPath(windowsPath)).isFile();
}

// Linux libraries carry no Windows version block; a sidecar "<file>.version" holding the dotted
// version stands in for it.
QString LinuxPc::fileVersionText(const QString& windowsPath) {
    QFile f(localPath(windowsPath) + ".version");
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QStringList parts = QString::fromUtf8(f.readLine()).trimmed().split('.');
    if (parts.size() != 4) return {};
    for (const auto& part : parts) {
        bool ok = false;
        part.toUInt(&ok);
        if (!ok) return {};
    }
    return parts.join('.');
}

OsFacts LinuxPc::osFacts() {
    OsFacts f;
    f.productName = QSysInfo::prettyProductName();
    f.build = QSysInfo::kernelVersion();
    return f;  // no edition code on Linux: the query "fails"
}

// --- serial ports (numbering and names: docs/ports.md)

namespace {

QString readSysText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).trimmed();
}

int comNumberOf(const QString& portName) {
    QString name = portName;
    if (name.startsWith(QLatin1String("\\\\.\\"))) name = name.mid(4);
    if (name.endsWith(':')) name.chop(1);
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return 0;
    bool ok = false;
    const int n = name.mid(3).toInt(&ok);
    return ok ? n : 0;
}

int baudValue(speed_t s) {
    static const std::pair<speed_t, int> table[] = {
        {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
        {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},
        {B1200, 1200},     {B1800, 1800},     {B2400, 2400},     {B4800, 4800},
        {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
        {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    for (const auto& [code, value] : table)
        if (code == s) return value;
    return 0;
}

// Other processes that hold the device node with device number `rdev` open.
bool heldByOtherProcess(dev_t rdev) {
    const pid_t self = ::getpid();
    const auto pids = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const auto& p : pids) {
        bool ok = false;
        const qint64 pid = p.toLongLong(&ok);
        if (!ok || pid == self) continue;
        const QString fdDir = QStringLiteral("/proc/%1/fd").arg(pid);
        const auto fds = QDir(fdDir).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        for (const auto& fd : fds) {
            struct stat st {};
            if (::stat(QFile::encodeName(fdDir + '/' + fd).constData(), &st) == 0 &&
                S_ISCHR(st.st_mode) && st.st_rdev == rdev)
                return true;
        }
    }
    return false;
}

}  // namespace

int LinuxPc::portNumberFor(const QString& kernelName) {
    static const struct {
        const char* prefix;
        int first;
        int count;
    } ranges[] = {{"ttyS", 1, 32}, {"ttyUSB", 33, 68}, {"ttyACM", 101, 155}};
    for (const auto& r : ranges) {
        const QLatin1String prefix(r.prefix);
        if (!kernelName.startsWith(prefix)) continue;
        bool ok = false;
        const int n = kernelName.mid(prefix.size()).toInt(&ok);
        if (ok && n >= 0 && n < r.count) return r.first + n;
    }
    return 0;
}

QList<SerialDevice> LinuxPc::serialDevices() const {
    QList<SerialDevice> out;
    const QString classDir = sys_ + QStringLiteral("/class/tty");
    const auto names =
        QDir(classDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    const QString sysCanonical = QFileInfo(sys_).canonicalFilePath();
    for (const auto& name : names) {
        const int number = portNumberFor(name);
        if (number <= 0) continue;
        const QString base = classDir + '/' + name;
        const QFileInfo deviceLink(base + QStringLiteral("/device"));
        if (!deviceLink.exists()) continue;
        // 8250 ports that are registered but absent have the port type 0
        const QString type = readSysText(base + QStringLiteral("/type"));
        if (name.startsWith(QLatin1String("ttyS")) && (type.isEmpty() || type == "0")) continue;

        SerialDevice d;
        d.kernelName = name;
        d.devPath = dev_ + '/' + name;
        d.portName = QStringLiteral("COM%1").arg(number);
        QString vendor, product, usbPath;
        for (QString p = deviceLink.canonicalFilePath();
             !p.isEmpty() && p != sysCanonical && p != QLatin1String("/");
             p = QFileInfo(p).path()) {
            if (d.usbInterface < 0 && QFileInfo::exists(p + QStringLiteral("/bInterfaceNumber"))) {
                bool ok = false;
                const int n = readSysText(p + QStringLiteral("/bInterfaceNumber")).toInt(&ok, 16);
                if (ok) d.usbInterface = n;
            }
            if (QFileInfo::exists(p + QStringLiteral("/idVendor"))) {
                vendor = readSysText(p + QStringLiteral("/idVendor")).toLower();
                product = readSysText(p + QStringLiteral("/idProduct")).toUpper();
                usbPath = QFileInfo(p).fileName();
                break;
            }
        }
        d.maker = vendor == QLatin1String("2912");
        d.valueName =
            (d.maker ? QStringLiteral("\\Device\\atol-usbcom_") : QStringLiteral("\\Device\\")) +
            name;
        const int mi = std::max(d.usbInterface, 0);
        if (!vendor.isEmpty()) {
            d.deviceId = QStringLiteral("USB\\VID_%1&PID_%2&MI_%3\\%4&%5")
                             .arg(vendor.toUpper(), product)
                             .arg(mi, 2, 16, QChar('0'))
                             .arg(usbPath)
                             .arg(mi, 4, 10, QChar('0'))
                             .toUpper();
            d.caption = (d.maker ? QStringLiteral("ATOL USB Virtual COM (%1)")
                                 : QStringLiteral("USB Serial Device (%1)"))
                            .arg(d.portName);
        } else {
            d.deviceId = QStringLiteral("ACPI\\PNP0501\\%1").arg(number);
            d.caption = QStringLiteral("Communications Port (%1)").arg(d.portName);
        }
        struct stat st {};
        if (::stat(QFile::encodeName(d.devPath).constData(), &st) == 0) d.rdev = st.st_rdev;
        out.append(d);
    }
    std::sort(out.begin(), out.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return comNumberOf(a.portName) < comNumberOf(b.portName);
    });
    return out;
}

QString LinuxPc::devicePathForPort(const QString& portName) const {
    const int n = comNumberOf(portName);
    if (n <= 0) return {};
    for (const auto& d : serialDevices())
        if (comNumberOf(d.portName) == n) return d.devPath;
    return {};
}

QList<RegistryPort> LinuxPc::serialCommValues() {
    QList<RegistryPort> out;
    for (const auto& d : serialDevices()) out.append({d.valueName, d.portName});
    return out;
}

QList<PnpEntity> LinuxPc::pnpEntities() {
    QList<PnpEntity> out;
    for (const auto& d : serialDevices()) out.append({d.caption, d.deviceId});
    return out;
}

std::optional<int> LinuxPc::defaultBaudRate(const QString& portName) {
    const QString path = devicePathForPort(portName);
    if (path.isEmpty()) return std::nullopt;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    termios t{};
    const bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    if (!ok) return std::nullopt;
    return baudValue(::cfgetospeed(&t));
}

// A Windows port opens exclusively; here the port counts as busy when it cannot be opened, when
// its holder asked for exclusive use (TIOCEXCL, flock) or when another process has it open.
bool LinuxPc::canOpenPort(const QString& portName) {
    const QString path = devicePathForPort(portName);
    if (path.isEmpty()) return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    struct stat st {};
    if (free && ::fstat(fd, &st) == 0 && heldByOtherProcess(st.st_rdev)) free = false;
    if (free) {
        // Linux keeps a port's settings after the close: the port gets back the settings it had,
        // so that its default speed reads the same at the next scan.
        termios saved{};
        const bool haveSaved = ::tcgetattr(fd, &saved) == 0;
        if (haveSaved) {
            termios t = saved;
            ::cfmakeraw(&t);
            t.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
            t.c_cflag |= CS8 | CLOCAL | CREAD;
            t.c_iflag &= ~(IXON | IXOFF | IXANY);
            ::cfsetispeed(&t, B9600);
            ::cfsetospeed(&t, B9600);
            ::tcsetattr(fd, TCSANOW, &t);
        }
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd, TIOCMBIC, &lines);  // not every tty has modem lines
        if (haveSaved) ::tcsetattr(fd, TCSANOW, &saved);
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return free;
}

bool LinuxPc::portExists(const QString& portName) {
    const QString path = devicePathForPort(portName);
    if (path.isEmpty()) return false;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) return true;
    return errno != ENOENT;
}

QList<ProcessEntry> LinuxPc::processes() {
    QList<ProcessEntry> out;
    const auto entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const auto& e : entries) {
        bool ok = false;
        const qint64 pid = e.toLongLong(&ok);
        if (ok) out.append({pid, processImagePath(pid)});
    }
    return out;
}

QString LinuxPc::processImagePath(qint64 pid) {
    const QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    return target.left(260);
}

bool LinuxPc::terminateProcess(qint64 pid) {
    return pid > 0 && ::kill(pid, SIGTERM) == 0;
}

QStringList LinuxPc::handleListingCommand(const QString& progdir) {
    QStringList cmd{progdir + "Com/hs", "-accepteula", "-a"};
    if (sys_ != QLatin1String("/sys")) cmd << "--sys" << sys_;
    if (dev_ != QLatin1String("/dev")) cmd << "--dev" << dev_;
    return cmd;
}

// --- network

QString LinuxPc::nextHopFromRouteTable(const QString& text) {
    const QStringList rows = text.split('\n', Qt::SkipEmptyParts);
    for (int i = 1; i < rows.size(); ++i) {  // row 0 is the header
        const QStringList f = rows[i].split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (f.size() < 3) continue;
        bool ok = false;
        const quint32 gw = f[2].toUInt(&ok, 16);  // network byte order, as the kernel keeps it
        if (!ok || gw == 0) continue;             // a connected route has no next hop
        in_addr a{};
        a.s_addr = gw;
        char buf[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &a, buf, sizeof buf);
        return QString::fromLatin1(buf);
    }
    return {};
}

QString LinuxPc::firstRouteNextHop() {
    QFile f(QStringLiteral("/proc/net/route"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return nextHopFromRouteTable(QString::fromLatin1(f.readAll()));
}

namespace {

quint16 icmpChecksum(const unsigned char* data, size_t len) {
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < len; i += 2) sum += quint32(data[i] << 8 | data[i + 1]);
    if (len & 1) sum += quint32(data[len - 1] << 8);
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

std::atomic<quint16> echoSequence{0};

}  // namespace

// One ICMP echo: an unprivileged ICMP socket where the system allows it, a raw socket otherwise.
PingReply LinuxPc::ping(const QString& address, int timeoutMs) {
    PingReply reply;
    sockaddr_in dst{};
    dst.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address.toLatin1().constData(), &dst.sin_addr) != 1) return reply;
    bool raw = false;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        raw = true;
    }
    if (fd < 0) return reply;
    const int on = 1;
    if (!raw) ::setsockopt(fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);

    const quint16 seq = ++echoSequence;
    const quint16 id = quint16(::getpid() ^ (seq << 3));
    unsigned char packet[8 + 32] = {};
    packet[0] = 8;  // echo request
    packet[4] = id >> 8;
    packet[5] = id & 0xff;
    packet[6] = seq >> 8;
    packet[7] = seq & 0xff;
    for (size_t i = 8; i < sizeof packet; ++i) packet[i] = 'a' + (i - 8) % 23;
    const quint16 sum = icmpChecksum(packet, sizeof packet);
    packet[2] = sum >> 8;
    packet[3] = sum & 0xff;

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    if (::sendto(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&dst), sizeof dst) < 0) {
        ::close(fd);
        return reply;
    }
    const auto deadline = start + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(left)) <= 0) continue;
        unsigned char buf[1500];
        char control[256];
        sockaddr_in from{};
        iovec iov{buf, sizeof buf};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd, &msg, 0);
        if (n <= 0) continue;
        const unsigned char* icmp = buf;
        int ttl = 0;
        if (raw) {
            const size_t ihl = size_t(buf[0] & 0x0f) * 4;
            if (size_t(n) < ihl + 8) continue;
            ttl = buf[8];
            icmp = buf + ihl;
            if (((icmp[4] << 8) | icmp[5]) != id) continue;
        } else {
            if (n < 8) continue;
            for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL)
                    std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
        }
        if (icmp[0] != 0 || ((icmp[6] << 8) | icmp[7]) != seq) continue;  // not our echo reply
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        reply.replied = true;
        reply.from = QString::fromLatin1(text);
        reply.ttl = ttl;
        reply.timeMs = int(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        break;
    }
    ::close(fd);
    return reply;
}

bool LinuxPc::tcpPortOpen(const QString& address, int port, int timeoutMs) {
    sockaddr_in dst{};
    dst.sin_family = AF_INET;
    dst.sin_port = htons(quint16(port));
    if (::inet_pton(AF_INET, address.toLatin1().constData(), &dst.sin_addr) != 1) return false;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool open = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&dst), sizeof dst) == 0) {
        open = true;
    } else if (errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, timeoutMs) == 1) {
            int err = 0;
            socklen_t len = sizeof err;
            open = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
        }
    }
    ::close(fd);
    return open;
}

QString LinuxPc::envVar(const QString& name) {
    return qEnvironmentVariable(name.toUtf8().constData());
}

bool LinuxPc::openFolder(const QString& path) {
    // the desktop's file manager, through its standard opener
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

}  // namespace platform
