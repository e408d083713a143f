#include "cliche/ClicheFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include "cliche/Markup.h"

namespace cliche {
namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QString notCliche(const QString& why) {
    return QStringLiteral("Файл не является файлом настроек клише: %1.").arg(why);
}

}  // namespace

QByteArray encodeClicheFile(const QStringList& rows) {
    QByteArray out = kBom;
    for (int i = 0; i < kLineCount; ++i) {
        out += toRegister(rows.value(i)).toUtf8();
        out += "\r\n";
    }
    return out;
}

QString saveTargetProblem(const QString& path) {
    const QFileInfo target(path);
    // a link that leads nowhere would be replaced by the file itself
    if (target.isSymLink() && !target.exists()) return QStringLiteral("ссылка никуда не ведет");
    if (target.exists() && !target.isFile())
        return QStringLiteral("это не обычный файл, а папка, устройство или канал");
    return {};
}

bool saveClicheFile(const QString& path, const QStringList& rows, QString* error) {
    if (const QString problem = saveTargetProblem(path); !problem.isEmpty()) {
        if (error) *error = problem;
        return false;
    }
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(encodeClicheFile(rows));
        if (f.commit()) return true;
    }
    if (error) *error = f.errorString();
    return false;
}

ClicheFileLines decodeClicheFile(const QByteArray& bytes) {
    ClicheFileLines r;
    if (bytes.size() > kMaxClicheFileBytes) {
        r.error = notCliche(QStringLiteral("файл слишком большой"));
        return r;
    }
    const QByteArray body = bytes.startsWith(kBom) ? bytes.mid(kBom.size()) : bytes;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(body);
    if (decoder.hasError()) {
        r.error = notCliche(QStringLiteral("текст не в кодировке UTF-8"));
        return r;
    }
    for (QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\t') continue;
        if (c.category() == QChar::Other_Control || c == QChar(QChar::ReplacementCharacter)) {
            r.error = notCliche(QStringLiteral("в нем есть двоичные данные"));
            return r;
        }
    }
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size() && lines.size() < kLineCount; ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines << text.mid(start, i - start);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (lines.size() < kLineCount && start < text.size()) lines << text.mid(start);
    r.ok = true;
    r.lines = toDisplay(lines);
    return r;
}

ClicheFileLines loadClicheFile(const QString& path) {
    ClicheFileLines r;
    const QFileInfo source(path);
    // a device, a channel or a folder is never opened: reading one may never end
    if (source.exists() && !source.isFile()) {
        r.error = QStringLiteral(
            "Не удалось открыть файл: это не обычный файл, а папка, устройство или канал");
        return r;
    }
    if (source.size() > kMaxClicheFileBytes) {
        r.error = notCliche(QStringLiteral("файл слишком большой"));
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = QStringLiteral("Не удалось открыть файл: %1").arg(f.errorString());
        return r;
    }
    const QByteArray bytes = f.read(kMaxClicheFileBytes + 1);
    if (f.error() != QFileDevice::NoError) {
        r.error = QStringLiteral("Не удалось прочитать файл: %1").arg(f.errorString());
        return r;
    }
    return decodeClicheFile(bytes);
}

}  // namespace cliche
