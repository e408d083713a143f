#include "cli/Command.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <atomic>
#include <csignal>
#include <cstdio>

#include "app/DeviceRows.h"
#include "app/DriverBinding.h"
#include "app/DriverSetup.h"
#include "app/LineLog.h"
#include "app/SavedList.h"
#include "app/Session.h"
#include "cli/Metrics.h"
#include "cli/Run.h"
#include "discovery/DeviceScan.h"
#include "documents/Render.h"
#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "info/ReportExport.h"

namespace cli {

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int) {
    interrupted = true;
}

void writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void writeErr(const QString& text) {
    const QByteArray bytes = (QStringLiteral("velmor-kkt-cli: ") + text + '\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QStringList commands() {
    return {"scan", "status", "registration", "fn", "shift", "metrics", "document", "archive"};
}

bool wholeNumber(const QString& text, qint64 least, qint64* value) {
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < least || v > 4294967295LL) return false;
    *value = v;
    return true;
}

// The window's IUi on the program's own thread for the device scan: pauses keep the event loop
// turning, so the scan's workers can report.
class ScanUi : public CollectingUi {
  public:
    void processEvents() override { QCoreApplication::processEvents(); }
    void pause(int ms) override {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

// The registers the device scan finds (serial ports, and the network with `tcp`).
QList<Target> scanTargets(platform::IPc& pc, bool tcp, QStringList* problems) {
    app::Session session(pc, QCoreApplication::applicationDirPath() + '/');
    auto binding = app::bindDriver(pc);
    session.bind(std::move(binding.fptr), binding.fptrOK, binding.drvVer);
    ScanUi ui;
    app::DeviceRows rows;
    app::LineLog memo, service;
    {
        discovery::DeviceScan scan(session, ui, rows, memo, service, nullptr);
        scan.run(true, tcp);
        scan.waitForWorkers(30000);
    }
    *problems << ui.messages;
    return targetsOfRows(rows.rows());
}

// The registers named on the command line, in order: ports and addresses, the saved list,
// then the scan's.
QList<Target> resolveTargets(const Options& o, platform::IPc& pc, QStringList* problems) {
    QList<Target> targets = o.targets;
    const auto add = [&targets](const QList<Target>& more) {
        for (const auto& t : more)
            if (!targets.contains(t)) targets << t;
    };
    if (o.saved) {
        const QString progdir = QCoreApplication::applicationDirPath() + '/';
        QString problem;
        add(savedTargets(app::settingsFilePath(progdir, app::userConfigDir()), &problem));
        if (!problem.isEmpty()) *problems << problem;
    }
    if (o.all) add(scanTargets(pc, o.tcp, problems));
    return targets;
}

QJsonObject withTarget(QJsonObject o, const Outcome& out) {
    o.insert("target", out.target.name());
    o.insert("kktModel", out.id.model);
    o.insert("kktSerialNumber", out.id.serial);
    return o;
}

QByteArray jsonLine(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

// The document's line of an archive export: its number, type, moment, shift, sums and every
// tag as the register answered it.
struct ArchiveLine {
    QJsonObject object;
    QString error;
};

ArchiveLine archiveLine(drv::Fptr& f, qint64 number) {
    ArchiveLine line;
    const QString answer = f.jsonTask(documents::documentTask(number));
    if (const QString error = driverError(f); !error.isEmpty()) {
        line.error = QStringLiteral("document %1: %2").arg(number).arg(error);
        return line;
    }
    QJsonParseError parse{};
    const auto doc = QJsonDocument::fromJson(answer.toUtf8(), &parse);
    const QJsonObject tags = doc.object().value("documentTLV").toObject();
    if (!doc.isObject() || tags.isEmpty()) {
        line.error =
            QStringLiteral("document %1: the register's answer holds no document").arg(number);
        return line;
    }
    QJsonObject& o = line.object;
    o.insert("number", number);
    o.insert("type", tags.value("fiscalDocumentType"));
    o.insert("dateTime", tags.value("1012"));
    o.insert("shift", tags.value("1038"));
    QJsonObject sums;
    for (const auto& [name, tag] :
         {std::pair{"total", "1020"}, {"cash", "1031"}, {"electronic", "1081"}})
        if (tags.contains(tag)) sums.insert(name, tags.value(tag));
    o.insert("sums", sums);
    o.insert("tags", tags);
    return line;
}

QString csvText(const QJsonValue& v) {
    if (v.isObject())
        return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 15);
    if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return v.toString();
}

QString archiveCsv(const QJsonObject& o) {
    const QJsonObject sums = o.value("sums").toObject();
    QStringList fields;
    for (const QJsonValue& v :
         {o.value("number"), o.value("type"), o.value("dateTime"), o.value("shift"),
          sums.value("total"), sums.value("cash"), sums.value("electronic"), o.value("tags")})
        fields << info::csvField(csvText(v));
    return fields.join(';');
}

QString duration(qint64 seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Every document of the range, one line each, written as soon as it is whole; Ctrl+C ends the
// export after the current document.
void exportArchive(drv::Fptr& f, const Options& o, Outcome& out) {
    qint64 last = o.to.value_or(0);
    if (!o.to) {
        const auto status =
            drv::JsonAnswer::parse(f.jsonTask(QStringLiteral(R"({"type": "getFnStatus"})")));
        last = status.textOr(QStringLiteral("fnStatus.fiscalDocumentNumber")).toLongLong();
    }
    const qint64 first = *o.from;
    const qint64 total = std::max<qint64>(0, last - first + 1);
    const bool showProgress = total >= 100;
    const bool terminal = ::isatty(::fileno(stderr));
    if (o.format == Format::Csv)
        writeOut(encodeLines(
            {QStringLiteral("number;type;dateTime;shift;total;cash;electronic;tags")}, o.cp1251));
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = -1000;
    qint64 done = 0;
    for (qint64 n = first; n <= last; ++n) {
        if (interrupted) {
            out.errors << QStringLiteral("interrupted; resume with --from %1").arg(n);
            break;
        }
        const ArchiveLine line = archiveLine(f, n);
        if (!line.error.isEmpty()) {
            out.errors << line.error + QStringLiteral("; resume with --from %1").arg(n);
            break;
        }
        writeOut(o.format == Format::Csv ? encodeLines({archiveCsv(line.object)}, o.cp1251)
                                         : jsonLine(line.object));
        ++done;
        keepAlive();
        if (showProgress && (clock.elapsed() - lastReport >= 1000 || n == last)) {
            lastReport = clock.elapsed();
            const double rate = done * 1000.0 / std::max<qint64>(1, clock.elapsed());
            const qint64 left = rate > 0 ? qint64((total - done) / rate) : 0;
            // On a terminal the line is rewritten in place; in a log each report is a line.
            const QByteArray progress = QStringLiteral("%1/%2 documents, %3/s, %4 left%5")
                                            .arg(done)
                                            .arg(total)
                                            .arg(rate, 0, 'f', 1)
                                            .arg(duration(left))
                                            .arg(QLatin1Char(terminal && n < last ? '\r' : '\n'))
                                            .toUtf8();
            std::fwrite(progress.constData(), 1, size_t(progress.size()), stderr);
            std::fflush(stderr);
        }
    }
}

Job jobOf(const Options& o) {
    if (o.command == QLatin1String("scan")) {
        return [](drv::Fptr&, Outcome& out) {
            out.output = QStringList{out.target.name(), out.id.model, out.id.serial}.join('\t');
        };
    }
    if (o.command == QLatin1String("metrics")) {
        return [](drv::Fptr& f, Outcome& out) {
            QDateTime now = QDateTime::currentDateTimeUtc();
            if (const QString fixed = qEnvironmentVariable("VELMOR_CLI_NOW"); !fixed.isEmpty())
                now = QDateTime::fromString(fixed, Qt::ISODate);
            out.data = readMetrics(f, now);
        };
    }
    if (o.command == QLatin1String("document")) {
        const qint64 number = o.arguments.value(0).toLongLong();
        return [number](drv::Fptr& f, Outcome& out) {
            CollectingUi ui;
            const auto source = documents::readRenderSource(f, ui, number, false);
            out.errors << ui.messages;
            if (!source) return;
            out.output = documents::render(*source, 48, documents::Sender::ShowButton).text();
        };
    }
    if (o.command == QLatin1String("archive")) {
        return [o](drv::Fptr& f, Outcome& out) { exportArchive(f, o, out); };
    }
    const Report report = *reportNamed(o.command);
    const Format format = o.format;
    return [report, format](drv::Fptr& f, Outcome& out) {
        const auto built = buildReport(f, report, out.id.isP5);
        if (!built.problem.isEmpty()) {
            out.errors << built.problem;
            return;
        }
        if (format == Format::Json)
            out.data = reportJson(report, built.rows);
        else
            out.output = exportLines(report, built.rows, format).join('\n');
    };
}

void writeOutcome(const Options& o, const Outcome& out, bool several) {
    if (o.command == QLatin1String("metrics") || o.command == QLatin1String("archive")) return;
    // JSON gives one object per register: one that gave no report says why.
    if (o.format == Format::Json && reportNamed(o.command)) {
        QJsonObject data = out.data;
        if (data.isEmpty())
            data.insert("error", out.errors.isEmpty() ? QStringLiteral("no answer")
                                                      : out.errors.join(QStringLiteral("; ")));
        writeOut(jsonLine(withTarget(data, out)));
        return;
    }
    if (!out.answered) return;
    if (out.output.isEmpty()) return;
    QStringList lines = out.output.split('\n');
    if (several && o.command != QLatin1String("scan"))
        lines.prepend(QLatin1Char('[') + out.target.name() + QLatin1Char(']'));
    writeOut(encodeLines(lines, o.cp1251));
}

}  // namespace

std::optional<Options> parseOptions(const QStringList& args, QString* error) {
    Options o;
    const auto fail = [error](const QString& text) {
        *error = text;
        return std::nullopt;
    };
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString name = a, value;
        bool inlineValue = false;
        if (a.startsWith(QLatin1String("--")) && a.contains('=')) {
            name = a.section('=', 0, 0);
            value = a.section('=', 1);
            inlineValue = true;
        }
        const auto takeValue = [&]() -> bool {
            if (inlineValue) return true;
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        static const QStringList withValue = {"--port",     "--ip",     "--timeout", "--format",
                                              "--encoding", "--output", "--from",    "--to"};
        if (withValue.contains(name) && !takeValue()) return fail(name + " needs a value");
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            o.help = true;
        } else if (name == QLatin1String("--port")) {
            const auto t = portTarget(value);
            if (!t) return fail("not a serial port: " + value);
            o.targets << *t;
        } else if (name == QLatin1String("--ip")) {
            const auto t = addressTarget(value);
            if (!t) return fail("not an address: " + value);
            o.targets << *t;
        } else if (name == QLatin1String("--saved")) {
            o.saved = true;
        } else if (name == QLatin1String("--all")) {
            o.all = true;
        } else if (name == QLatin1String("--tcp")) {
            o.tcp = true;
        } else if (name == QLatin1String("--timeout")) {
            bool ok = false;
            const double s = value.toDouble(&ok);
            if (!ok || s <= 0 || s > 86400) return fail("not a time in seconds: " + value);
            o.timeoutMs = int(s * 1000);
        } else if (name == QLatin1String("--format")) {
            if (value == QLatin1String("text"))
                o.format = Format::Text;
            else if (value == QLatin1String("csv"))
                o.format = Format::Csv;
            else if (value == QLatin1String("json") || value == QLatin1String("jsonl"))
                o.format = Format::Json, o.jsonLines = value == QLatin1String("jsonl");
            else
                return fail("unknown format: " + value);
        } else if (name == QLatin1String("--encoding")) {
            if (value.compare(QLatin1String("cp1251"), Qt::CaseInsensitive) == 0)
                o.cp1251 = true;
            else if (value.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) != 0 &&
                     value.compare(QLatin1String("utf8"), Qt::CaseInsensitive) != 0)
                return fail("unknown encoding: " + value);
        } else if (name == QLatin1String("--output")) {
            o.output = value;
        } else if (name == QLatin1String("--from") || name == QLatin1String("--to")) {
            qint64 n = 0;
            if (!wholeNumber(value, 1, &n)) return fail("not a document number: " + value);
            (name == QLatin1String("--from") ? o.from : o.to) = n;
        } else if (a.startsWith('-') && a.size() > 1) {
            return fail("unknown option: " + a);
        } else {
            positional << a;
        }
    }
    if (o.help) return o;
    if (positional.isEmpty()) return fail("no command given");
    o.command = positional.takeFirst();
    o.arguments = positional;
    if (!commands().contains(o.command)) return fail("unknown command: " + o.command);
    const bool isDocument = o.command == QLatin1String("document");
    qint64 n = 0;
    if (isDocument && (o.arguments.size() != 1 || !wholeNumber(o.arguments[0], 1, &n)))
        return fail("document needs one document number");
    if (!isDocument && !o.arguments.isEmpty())
        return fail("unexpected argument: " + o.arguments.first());
    if (o.command == QLatin1String("scan")) {
        if (!o.targets.isEmpty() || o.saved || o.all)
            return fail("scan takes no register; it finds them");
        o.all = true;
    } else if (o.targets.isEmpty() && !o.saved && !o.all) {
        return fail("no register named: give --port, --ip, --saved or --all");
    }
    const bool archive = o.command == QLatin1String("archive");
    if (archive && !o.from) return fail("archive needs --from");
    if (!archive && (o.from || o.to)) return fail("--from and --to belong to archive");
    if (archive && o.to && *o.to < *o.from) return fail("--to is before --from");
    if (archive && (o.saved || o.all || o.targets.size() != 1))
        return fail("archive reads one register: give one --port or --ip");
    if (o.jsonLines && !archive) return fail("jsonl is the archive's format; use json");
    if (!o.output.isEmpty() && o.command != QLatin1String("metrics"))
        return fail("--output belongs to metrics");
    return o;
}

QString helpText() {
    return QStringLiteral(
        "Usage: velmor-kkt-cli COMMAND [REGISTERS] [OPTIONS]\n"
        "\n"
        "Reads registers through the driver in use, never changing them.\n"
        "\n"
        "Commands:\n"
        "  scan [--tcp]            find registers: port or address, model, serial number\n"
        "  status                  the ККМ tab's report\n"
        "  registration            the Регистрация tab's report\n"
        "  fn                      the ФН tab's report\n"
        "  shift                   the Смена tab's report\n"
        "  metrics [--output FILE] Prometheus text exposition of every register\n"
        "  document N              document N as the Чеки tab shows it\n"
        "  archive --from N [--to M]  every document of a range, one line each\n"
        "\n"
        "Registers (several may be given; each is read in turn):\n"
        "  --port PORT             COM5 or a device path such as /dev/ttyACM0\n"
        "  --ip ADDR[:PORT]        a register on the network (port 5555 by default)\n"
        "  --saved                 the device list saved by the window\n"
        "  --all                   every register the scan finds (with --tcp, also on the LAN)\n"
        "\n"
        "Options:\n"
        "  --format FORMAT         text (default), csv or json; archive: json, jsonl or csv\n"
        "  --encoding ENCODING     utf-8 (default) or cp1251 for text and CSV\n"
        "  --timeout SECONDS       time allowed for each register (default 30)\n"
        "  --output FILE           metrics: write FILE atomically instead of standard output\n"
        "  --help                  this text\n"
        "\n"
        "Exit status: 0 every register answered, 1 a register did not answer or a driver\n"
        "error occurred (named on standard error), 2 the command line is wrong.\n"
        "See docs/cli.md and velmor-kkt-cli(1).\n");
}

int run(const Options& o) {
    if (o.help) {
        writeOut(helpText().toUtf8());
        return kExitOk;
    }
    std::unique_ptr<platform::IPc> pc;
    try {
        pc = app::setUpDriverAndPc();
    } catch (const std::exception& e) {
        writeErr(QString::fromUtf8(e.what()));
        return kExitFailed;
    }
    countDriverCalls();
    std::signal(SIGINT, onInterrupt);

    QStringList problems;
    const QList<Target> targets = resolveTargets(o, *pc, &problems);
    for (const auto& p : problems) writeErr(p);
    bool failed = !problems.isEmpty();
    if (targets.isEmpty()) {
        writeErr(QStringLiteral("no register found"));
        if (o.command != QLatin1String("metrics") || o.output.isEmpty()) return kExitFailed;
        failed = true;
    }

    const Job job = jobOf(o);
    QList<Outcome> outcomes;
    for (const auto& target : targets) {
        if (interrupted) break;
        Outcome out = runTarget(target, job, o.timeoutMs);
        for (const auto& e : out.errors) writeErr(target.name() + QStringLiteral(": ") + e);
        if (!out.answered || !out.errors.isEmpty()) failed = true;
        writeOutcome(o, out, targets.size() > 1);
        outcomes << out;
    }

    if (o.command == QLatin1String("metrics")) {
        const QByteArray text = exposition(outcomes).toUtf8();
        if (o.output.isEmpty()) {
            writeOut(text);
        } else if (QString error; !writeAtomically(o.output, text, &error)) {
            writeErr(o.output + QStringLiteral(": ") + error);
            failed = true;
        }
    }
    return failed ? kExitFailed : kExitOk;
}

}  // namespace cli
