#include "update/Rules.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace update {
namespace {

const QString kVersionListPath = QStringLiteral("/wp-content/nfiles/upset.txt");
const QString kUsbcomPath = QStringLiteral(
    "/wp-content/nfiles/files/ATOL/soft/atol/usb-com-driver/ATOL USB-COM Driver "
    "1.26.0_2017-05-18.exe");
const QString kVersionsPagePath = QStringLiteral("/drajvery-atol-kkt-versiya-10/");

QUrl withPath(const QUrl& base, const QString& path) {
    QUrl u = base;
    u.setPath(path, QUrl::DecodedMode);
    return u;
}

bool isText(const QByteArray& data) {
    for (const char c : data) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') return false;
        if (u == 0x7f) return false;
    }
    return true;
}

QString decode(const QByteArray& data) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    // Not UTF-8: only the digits, dots and addresses matter, which Latin-1 keeps as they are.
    if (utf8.hasError()) text = QString::fromLatin1(data);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

bool isHttpsAddress(const QString& text) {
    const QUrl u(text);
    return u.isValid() && u.scheme() == QLatin1String("https") && !u.host().isEmpty();
}

bool isVersionChar(QChar c) {
    return c.isDigit() || c == QLatin1Char('.');
}

}  // namespace

QUrl serverBase(const QString& optionValue) {
    const QUrl fallback(kDefaultServer);
    const QString v = optionValue.trimmed();
    if (v.isEmpty()) return fallback;
    const QUrl u(v, QUrl::StrictMode);
    if (!u.isValid() || u.scheme() != QLatin1String("https") || u.host().isEmpty() ||
        !u.userInfo().isEmpty())
        return fallback;
    QUrl base;
    base.setScheme(u.scheme());
    base.setHost(u.host());
    base.setPort(u.port());
    return base;
}

QUrl versionListUrl(const QUrl& base) {
    return withPath(base, kVersionListPath);
}
QUrl usbcomUrl(const QUrl& base) {
    return withPath(base, kUsbcomPath);
}
QUrl versionsPageUrl(const QUrl& base) {
    return withPath(base, kVersionsPagePath);
}

std::optional<QStringList> textLines(const QByteArray& data, qint64 cap, QString* error) {
    QString why;
    if (data.trimmed().isEmpty())
        why = QStringLiteral("файл пуст.");
    else if (data.size() > cap)
        why = QStringLiteral("файл больше %1 КБ.").arg(cap / 1024);
    else if (!isText(data))
        why = QStringLiteral("файл не текстовый.");
    if (!why.isEmpty()) {
        if (error) *error = why;
        return std::nullopt;
    }
    QStringList lines = decode(data).split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

ParsedVersionList parseVersionList(const QByteArray& data) {
    ParsedVersionList out;
    const auto lines = textLines(data, kVersionListCap, &out.error);
    if (!lines) return out;
    if (lines->size() < 4) {
        out.error = QStringLiteral("в файле меньше четырёх строк.");
        return out;
    }
    QStringList addresses;
    for (int i = 0; i < 4; ++i) {
        const QString a = lines->at(i).trimmed();
        if (!isHttpsAddress(a)) {
            out.error = QStringLiteral("строка %1 не содержит адреса https.").arg(i + 1);
            return out;
        }
        addresses << a;
    }
    out.list = VersionList{addresses[0], addresses[1], addresses[2], addresses[3], {}};
    for (qsizetype i = 4; i < lines->size(); ++i) {
        const QString a = lines->at(i).trimmed();
        if (isHttpsAddress(a) && isLinuxPackage(QUrl(a))) {
            out.list->linuxPath = a;
            break;
        }
    }
    return out;
}

QString findVersionLine(const QStringList& lines) {
    for (const QString& l : lines)
        if (l.count(QLatin1Char('.')) == 5) return l;
    return {};
}

QString extractVersion(const QString& line) {
    const QString t = line.trimmed();
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    if (dot < 0) return {};
    // The whole dotted number around the first dot, so that a version of another width is
    // neither cut short nor padded with the characters after it.
    qsizetype begin = dot;
    while (begin > 0 && isVersionChar(t[begin - 1])) --begin;
    qsizetype end = dot;
    while (end < t.size() && isVersionChar(t[end])) ++end;
    QString v = t.mid(begin, end - begin);
    while (v.endsWith(QLatin1Char('.'))) v.chop(1);
    static const QRegularExpression fourParts(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$"));
    return fourParts.match(v).hasMatch() ? v : QString();
}

bool isLinuxPackage(const QUrl& address) {
    const QString path = address.path(QUrl::FullyDecoded);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toLower();
    for (const char* ending : {".deb", ".rpm", ".tar.gz", ".tgz"})
        if (name.endsWith(QLatin1String(ending))) return true;
    return name.contains(QLatin1String("linux"));
}

QString substituteVersion(const QString& address, const QString& version) {
    QString a = address;
    return a.replace(QStringLiteral("0.0.0.0"), version);
}

std::optional<QString> fileNameFromAddress(const QUrl& address) {
    if (!address.isValid()) return std::nullopt;
    const QString path = address.path(QUrl::FullyDecoded);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name.size() > 200) return std::nullopt;
    if (name.startsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char('.')) ||
        name.startsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char(' ')))
        return std::nullopt;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return std::nullopt;
        if (QStringLiteral("\\/:*?\"<>|").contains(c)) return std::nullopt;
    }
    // Names that Windows keeps for devices, with or without an extension.
    static const QRegularExpression device(
        QStringLiteral("^(con|prn|aux|nul|com[0-9]|lpt[0-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (device.match(name).hasMatch()) return std::nullopt;
    return name;
}

QString sizeText(qint64 bytes, const QLocale& locale) {
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(double(bytes) / 1024.0 / 1024.0, 'f', 1);
}

QString sizeLabel(qint64 bytes, const QLocale& locale) {
    return QStringLiteral("(") + sizeText(bytes, locale) + QStringLiteral(" МБ)");
}

QString usbcomVersionFromInf(const QByteArray& inf) {
    QString text;
    if (auto enc = QStringConverter::encodingForData(inf)) {
        QStringDecoder d(*enc);
        text = d.decode(inf);
    } else {
        text = decode(inf);
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.contains(QLatin1String("driverver"), Qt::CaseInsensitive)) continue;
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        return line.mid(comma + 1, 50).trimmed();
    }
    return {};
}

}  // namespace update
