// The JSON tasks as data: every <case>.request.json of tests/data/json-tasks, in name order, goes
// to one register (the bench's COM7) in process and behind the C library. Each answer must match
// <case>.expected.json beside it, and the two implementations must answer alike.
//
// An expected file is {"error": code, "description": text} for a refused task, or
// {"answer": ...} for a done one: "" for a task that answers nothing, otherwise the fields that
// matter. Objects compare by the expected keys only, arrays element by element, and "*" stands
// for a value that must be there but changes with the clock (moments, the QR text).
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tests/contract/Contract.h"

namespace contract {
namespace {

const QString kWildcard = QStringLiteral("*");

QJsonValue parsed(const QString& text) {
    const QJsonDocument d = QJsonDocument::fromJson(text.toUtf8());
    if (d.isObject()) return d.object();
    if (d.isArray()) return d.array();
    return QJsonValue(text);
}

QString show(const QJsonValue& v) {
    if (v.isObject())
        return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    if (v.isArray())
        return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
}

// Where `actual` differs from `expected` ("" when it matches). `actual` is cut down to what
// `expected` names, with the values under "*" masked, so both implementations can be compared
// whatever the clock said.
QString mismatch(const QJsonValue& expected, QJsonValue& actual, const QString& path) {
    if (expected == QJsonValue(kWildcard)) {
        if (actual.isUndefined()) return path + QStringLiteral(" is missing");
        actual = kWildcard;
        return {};
    }
    if (expected.isObject() && actual.isObject()) {
        const QJsonObject a = actual.toObject();
        const QJsonObject e = expected.toObject();
        QJsonObject named;
        QString first;
        for (auto it = e.begin(); it != e.end(); ++it) {
            QJsonValue v = a.value(it.key());
            const QString m = mismatch(it.value(), v, path + u'.' + it.key());
            if (first.isEmpty()) first = m;
            if (!v.isUndefined()) named.insert(it.key(), v);
        }
        actual = named;
        return first;
    }
    if (expected.isArray() && actual.isArray()) {
        QJsonArray a = actual.toArray();
        const QJsonArray e = expected.toArray();
        if (a.size() != e.size())
            return QStringLiteral("%1: %2 elements, expected %3")
                .arg(path)
                .arg(a.size())
                .arg(e.size());
        QString first;
        for (int i = 0; i < a.size(); ++i) {
            QJsonValue v = a[i];
            const QString m = mismatch(e[i], v, QStringLiteral("%1[%2]").arg(path).arg(i));
            if (first.isEmpty()) first = m;
            a[i] = v;
        }
        actual = a;
        return first;
    }
    if (expected == actual) return {};
    return QStringLiteral("%1: %2, expected %3").arg(path, show(actual), show(expected));
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(JsonTasks, EveryRequestOfTheFolderGetsTheAnswerBesideIt) {
    const QDir dir(QStringLiteral(VELMOR_JSON_TASKS_DATA));
    const QStringList requests =
        dir.entryList({QStringLiteral("*.request.json")}, QDir::Files, QDir::Name);
    ASSERT_GE(requests.size(), 30) << dir.path().toStdString();
    int run = 0;
    const Runs r = runBoth(
        [&](drv::Fptr& f, Transcript& t) {
            const char* side = run++ == 0 ? "in process" : "through the library";
            ASSERT_EQ(f.openSerialAuto(QStringLiteral("7")), 0) << side;
            const int json = f.c("LIBFPTR_PARAM_JSON_DATA");
            for (const QString& file : requests) {
                const QString name = file.chopped(int(strlen(".request.json")));
                const QJsonObject expected =
                    QJsonDocument::fromJson(read(dir.filePath(name + ".expected.json"))).object();
                ASSERT_FALSE(expected.isEmpty()) << name.toStdString() << ": no expected answer";
                f.setParam(json, QString::fromUtf8(read(dir.filePath(file))));
                const int rc = f.processJson();
                QJsonObject seen{{QStringLiteral("error"), f.errorCode()},
                                 {QStringLiteral("description"), f.errorDescription()}};
                if (rc == 0) seen = {{QStringLiteral("answer"), parsed(f.getParamString(json))}};
                QJsonValue masked = seen;
                const QString m = mismatch(expected, masked, QString());
                EXPECT_TRUE(m.isEmpty())
                    << side << ", " << name.toStdString() << ": " << m.toStdString() << "\n  got "
                    << show(seen).toStdString();
                EXPECT_EQ(rc, expected.contains(QStringLiteral("answer")) ? 0 : -1)
                    << side << ", " << name.toStdString();
                t.add(name, show(masked));
            }
            f.close();
        },
        inProcessVirtual, libraryVirtual);
    EXPECT_TRUE(sameTranscript(r.inProcess, r.library));
}

}  // namespace
}  // namespace contract
