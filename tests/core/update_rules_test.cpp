// The rules of the driver download: version list, history file, addresses, file names, sizes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include "update/Rules.h"
#include "update/VersionCheck.h"

using namespace update;

namespace {

QString dataDir(const QString& sub) {
    return QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/update/") + sub;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// "key: value" lines of an expected file; values keep their blanks.
QMap<QString, QString> expected(const QString& path) {
    QMap<QString, QString> out;
    for (const QString& l : QString::fromUtf8(readFile(path)).split('\n')) {
        const qsizetype colon = l.indexOf(QStringLiteral(": "));
        if (colon > 0) out[l.left(colon)] = l.mid(colon + 2);
    }
    return out;
}

QStringList cases(const QString& dir) {
    QStringList names = QDir(dataDir(dir)).entryList({"*.txt"}, QDir::Files, QDir::Name);
    for (QString& n : names) n.chop(4);
    return names;
}

}  // namespace

TEST(UpdateVersionList, GoldenFiles) {
    const QStringList names = cases("lists");
    ASSERT_GE(names.size(), 10);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const ParsedVersionList p = parseVersionList(readFile(dataDir("lists/" + name + ".txt")));
        const auto want = expected(dataDir("lists/" + name + ".expected"));
        if (want.contains("error")) {
            EXPECT_FALSE(p.list.has_value());
            EXPECT_EQ(p.error, want["error"]);
            continue;
        }
        ASSERT_TRUE(p.list.has_value()) << p.error.toStdString();
        EXPECT_EQ(p.list->histPath, want["histPath"]);
        EXPECT_EQ(p.list->fullDrvPath, want["fullDrvPath"]);
        EXPECT_EQ(p.list->bit32Path, want["bit32Path"]);
        EXPECT_EQ(p.list->bit64Path, want["bit64Path"]);
        EXPECT_EQ(p.list->linuxPath, want.value("linuxPath"));
    }
}

TEST(UpdateHistory, GoldenFiles) {
    const QStringList names = cases("history");
    ASSERT_GE(names.size(), 7);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QString error;
        const auto lines =
            textLines(readFile(dataDir("history/" + name + ".txt")), kHistoryCap, &error);
        ASSERT_TRUE(lines.has_value()) << error.toStdString();
        const QString line = findVersionLine(*lines);
        const auto want = expected(dataDir("history/" + name + ".expected"));
        if (want.contains("line")) {
            EXPECT_EQ(line, want["line"]);
        }
        EXPECT_EQ(extractVersion(line), want["version"]);
    }
}

TEST(UpdateHistory, VersionGoesIntoEveryPlaceholder) {
    // The example of the version list: the version replaces the placeholder in the address.
    EXPECT_EQ(substituteVersion("https://h.example/KKT/0.0.0.0/full.zip", "10.10.7.0"),
              "https://h.example/KKT/10.10.7.0/full.zip");
    EXPECT_EQ(substituteVersion("https://h.example/0.0.0.0/KKT10-0.0.0.0-setup.exe", "10.9.6.1"),
              "https://h.example/10.9.6.1/KKT10-10.9.6.1-setup.exe");
    EXPECT_EQ(substituteVersion("https://h.example/fixed/full.zip", "10.9.6.1"),
              "https://h.example/fixed/full.zip");
}

TEST(UpdateHistory, TextChecks) {
    QString error;
    EXPECT_FALSE(textLines(QByteArray(2000, 'a'), 1000, &error));
    EXPECT_EQ(error, "файл больше 0 КБ.");
    EXPECT_FALSE(textLines(QByteArray("10.10.7.0\0 от 1.2.3", 19), kHistoryCap, &error));
    EXPECT_EQ(error, "файл не текстовый.");
    const auto lines = textLines("a\r\nb\n\nc", kHistoryCap, &error);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList({"a", "b", "", "c"}));
}

TEST(UpdateAddresses, ServerFromTheOption) {
    EXPECT_EQ(serverBase("").toString(), "https://www.velmor-kkt.ru");
    EXPECT_EQ(serverBase("https://127.0.0.1:8443").toString(), "https://127.0.0.1:8443");
    EXPECT_EQ(serverBase(" https://mirror.example/some/path?x=1 ").toString(),
              "https://mirror.example");
    // Never without TLS, never with credentials, never a malformed address.
    EXPECT_EQ(serverBase("http://mirror.example").toString(), "https://www.velmor-kkt.ru");
    EXPECT_EQ(serverBase("https://user:pw@mirror.example").toString(), "https://www.velmor-kkt.ru");
    EXPECT_EQ(serverBase("mirror.example").toString(), "https://www.velmor-kkt.ru");
    EXPECT_EQ(serverBase("https://").toString(), "https://www.velmor-kkt.ru");

    const QUrl base = serverBase("https://127.0.0.1:8443");
    EXPECT_EQ(versionListUrl(base).toString(),
              "https://127.0.0.1:8443/wp-content/nfiles/upset.txt");
    EXPECT_EQ(versionsPageUrl(base).toString(),
              "https://127.0.0.1:8443/drajvery-atol-kkt-versiya-10/");
    EXPECT_EQ(usbcomUrl(base).toString(QUrl::FullyEncoded),
              "https://127.0.0.1:8443/wp-content/nfiles/files/ATOL/soft/atol/usb-com-driver/"
              "ATOL%20USB-COM%20Driver%201.26.0_2017-05-18.exe");
    EXPECT_EQ(fileNameFromAddress(usbcomUrl(base)), "ATOL USB-COM Driver 1.26.0_2017-05-18.exe");
}

TEST(UpdateFileName, DecodedLastPart) {
    EXPECT_EQ(fileNameFromAddress(QUrl("https://h.example/KKT/Driver%20Setup.exe")),
              "Driver Setup.exe");
    EXPECT_EQ(fileNameFromAddress(QUrl("https://h.example/KKT/10.10.7.0/full.zip")), "full.zip");
    EXPECT_EQ(fileNameFromAddress(QUrl("https://h.example/%D0%94%D1%80%D0%B0%D0%B9%D0%B2%D0%B5%D1"
                                       "%80.exe")),
              "Драйвер.exe");
    // An encoded slash ends the path's last part like a plain one does.
    EXPECT_EQ(fileNameFromAddress(QUrl("https://h.example/a%2F..%2F..%2Fsetup.exe")), "setup.exe");
}

TEST(UpdateFileName, NothingThatCouldLeaveTheFolder) {
    for (const char* address :
         {"https://h.example/", "https://h.example", "https://h.example/KKT/..",
          "https://h.example/KKT/%2E%2E", "https://h.example/KKT/.",
          "https://h.example/a%5C..%5Cx.exe", "https://h.example/..%5Cx.exe",
          "https://h.example/C:x.exe", "https://h.example/a%00b.exe", "https://h.example/a%0Ab.exe",
          "https://h.example/.bashrc", "https://h.example/x.exe.", "https://h.example/NUL",
          "https://h.example/com1.exe", "https://h.example/a%7Cb", "https://h.example/a%3Fb"}) {
        SCOPED_TRACE(address);
        EXPECT_FALSE(fileNameFromAddress(QUrl(address)).has_value());
    }
    EXPECT_FALSE(fileNameFromAddress(QUrl("https://h.example/" + QString(201, 'a'))));
}

TEST(UpdateSizes, UserNumberFormat) {
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(sizeLabel(12582912, ru), "(12,0 МБ)");
    EXPECT_EQ(sizeLabel(12582912, en), "(12.0 МБ)");
    EXPECT_EQ(sizeLabel(0, ru), "(0,0 МБ)");
    EXPECT_EQ(sizeText(1572864, ru), "1,5");
    EXPECT_EQ(sizeText(104857, ru), "0,1");
    // No thousands separator, as in the fixed one-decimal form.
    EXPECT_EQ(sizeText(qint64(1234) * 1024 * 1024 + 524288, ru), "1234,5");
}

TEST(UpdateInstalled, UsbcomVersionFromInf) {
    EXPECT_EQ(usbcomVersionFromInf("[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                   "DriverVer = 05/18/2017,1.26.0.0\r\nProvider=%ATOL%\r\n"),
              "1.26.0.0");
    EXPECT_EQ(usbcomVersionFromInf("driverver=01/01/2016,  1.20.1.0  ; note\n"),
              "1.20.1.0  ; note");
    EXPECT_EQ(usbcomVersionFromInf("[Version]\nClass=Ports\n"), "");
    EXPECT_EQ(usbcomVersionFromInf("DRIVERVER=01/01/2016," + QByteArray(80, '7') + "\n"),
              QString(50, '7'));
    // Driver description files are often UTF-16 with a byte-order mark.
    const QString text = "[Version]\r\nDriverVer=05/18/2017,1.26.0.0\r\n";
    QByteArray utf16("\xff\xfe", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(usbcomVersionFromInf(utf16), "1.26.0.0");
}

TEST(UpdateCheckView, Labels) {
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    CheckResult r;
    CheckView v = checkView(r, false, ru);
    EXPECT_EQ(v.newVer, "");
    EXPECT_EQ(v.sizes[0], "(0,0 МБ)");
    EXPECT_EQ(v.newVerUsbcom, "");

    r.version = "10.10.7.0";
    r.sizes[1] = 12582912;
    v = checkView(r, false, ru);
    EXPECT_EQ(v.newVer, "10.10.7.0");
    EXPECT_EQ(v.sizes[1], "(12,0 МБ)");

    // All three sizes unknown after asking: nothing to offer.
    r.sizes[1].reset();
    r.sizesAsked = true;
    EXPECT_EQ(checkView(r, false, ru).newVer, "Нет");
    r.sizes[2] = 1024;  // shows as (0,0 МБ) too
    EXPECT_EQ(checkView(r, false, ru).newVer, "Нет");
    r.sizes[0] = 52428800;
    EXPECT_EQ(checkView(r, false, ru).newVer, "10.10.7.0");

    r.usbcom = CheckResult::Usbcom::Available;
    r.usbcomSize = 3670016;
    EXPECT_EQ(checkView(r, false, ru).newVerUsbcom, "1.26.0.0   (3,5 МБ)");
    r.usbcom = CheckResult::Usbcom::Unavailable;
    EXPECT_EQ(checkView(r, false, ru).newVerUsbcom, "Сервер недоступен");

    r.serverUnavailable = true;
    EXPECT_EQ(checkView(r, false, ru).newVer, "Сервер недоступен");
    r.serverUnavailable = false;
    r.listRejected = true;
    EXPECT_EQ(checkView(r, false, ru).newVer, "Нет");
}
