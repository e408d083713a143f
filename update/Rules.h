#pragma once
// The rules of the driver download that need no window and no network: the distributor's
// addresses, the version list "upset.txt", the history file, file names in the Downloads folder,
// size texts and the installed USB-COM driver's version.
#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace update {

// The distributor's server when the INI file names none.
inline const QString kDefaultServer = QStringLiteral("https://www.velmor-kkt.ru");
// The version offered for the USB-COM driver.
inline const QString kUsbcomVersion = QStringLiteral("1.26.0.0");

// The server's base address from the INI option's value: scheme https, a host, optionally a
// port; a path, query or fragment is dropped. Empty, malformed or not https: the default server.
QUrl serverBase(const QString& optionValue);
QUrl versionListUrl(const QUrl& base);
QUrl usbcomUrl(const QUrl& base);
QUrl versionsPageUrl(const QUrl& base);

// Largest version list and history file accepted, in bytes.
inline constexpr qint64 kVersionListCap = 64 * 1024;
inline constexpr qint64 kHistoryCap = 1024 * 1024;

struct VersionList {
    QString histPath;
    QString fullDrvPath;
    QString bit32Path;
    QString bit64Path;
    QString linuxPath;  // a package for Linux among the further lines; empty: none offered
};

struct ParsedVersionList {
    std::optional<VersionList> list;
    QString error;  // why the list was not accepted (user's words), when `list` is empty
};

// The first four lines of "upset.txt": absolute https addresses of the history file and the
// three driver packages. Of the further lines only the first https address of a Linux package
// (see isLinuxPackage) is taken; the rest are ignored.
ParsedVersionList parseVersionList(const QByteArray& data);

// Text lines of a downloaded text file; nullopt with `error` set when it is empty, larger than
// `cap` or not text.
std::optional<QStringList> textLines(const QByteArray& data, qint64 cap, QString* error);

// The first line with exactly five "." characters; empty when there is none.
QString findVersionLine(const QStringList& lines);
// The four-part version at the line's first "." (for "Версия 10.10.7.0 от 12.05.2024" that is
// "10.10.7.0"); empty when the line holds none there.
QString extractVersion(const QString& line);
// Whether the address's file name is a driver package for Linux: a .deb, .rpm, .tar.gz or .tgz
// file, or one whose name says "linux".
bool isLinuxPackage(const QUrl& address);

// Every "0.0.0.0" of the address replaced by the version.
QString substituteVersion(const QString& address, const QString& version);

// The file name for a download: the URL-decoded last part of the address's path. Nullopt when
// that part is empty, is "." or "..", holds a separator or a character no file name may hold,
// or could name a device or hidden file - anything that could leave the Downloads folder.
std::optional<QString> fileNameFromAddress(const QUrl& address);

// Mebibytes with one decimal in the user's number format: "12,0" for 12 582 912 bytes in a
// Russian format.
QString sizeText(qint64 bytes, const QLocale& locale = QLocale::system());
// "(" + sizeText + " МБ)".
QString sizeLabel(qint64 bytes, const QLocale& locale = QLocale::system());

// The installed USB-COM driver's description file.
inline const QString kUsbcomInfPath = QStringLiteral(
    "c:\\Windows\\System32\\DriverStore\\FileRepository\\atol-usbcom.inf_amd64_1fc966a6b5f232ef"
    "\\atol-usbcom.inf");
// The version text of the description file: the first line holding "driverver" (any case), its
// text after the first ",", at most 50 characters, trimmed.
QString usbcomVersionFromInf(const QByteArray& inf);

}  // namespace update
