#pragma once
// Archives of the fiscal storage for the walk tests: a builder of the documents a bench lists as
// they stand, a driver object over the virtual register that writes down every document read,
// and a window stand-in that writes down every wait.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <functional>
#include <memory>
#include <vector>

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"

namespace archive_test {

// One document as the test knows it.
struct Doc {
    qint64 number = 0;
    QString type;  // fiscalDocumentType
    std::optional<qint64> shift;
    QDateTime moment;
};

// Documents in the order the register made them, moments at UTC+3, one minute apart.
class ArchiveBuilder {
  public:
    explicit ArchiveBuilder(QDate day = QDate(2021, 3, 1)) { at(day); }

    // Moves the clock to `day` at `time` (never backwards).
    void at(QDate day, QTime time = QTime(9, 0)) {
        const QDateTime t(day, time, kZone);
        if (!clock_.isValid() || t > clock_) clock_ = t;
    }
    // From now on documents are held in short form (true) or in full.
    void shortForm(bool on) { short_ = on; }

    qint64 registration() {
        return add("registration", {{"1209", 2}, {"1037", "0000000001012345"}});
    }
    qint64 openShift() {
        ++shift_;
        receipts_ = 0;
        return add("openShift", {{"1038", shift_}, {"1209", 2}});
    }
    qint64 receipt(int sign = 1) {
        ++receipts_;
        QJsonObject item{{"1030", "Товар"}, {"1079", 10}, {"1023", 1}, {"1043", 10},
                         {"1212", 1},       {"1214", 4},  {"1199", 7}};
        return add("receipt", {{"1038", shift_},
                               {"1042", receipts_},
                               {"1054", sign},
                               {"1020", 10},
                               {"1031", 10},
                               {"1059", QJsonArray{item}}});
    }
    qint64 closeShift() { return add("closeShift", {{"1038", shift_}}); }
    qint64 exchangeReport() { return add("ofdExchangeStatus", {{"1209", 2}}); }

    // A whole shift opened on `day` at `time`: its opening number.
    qint64 shift(QDate day, int receipts, QTime time = QTime(9, 0)) {
        at(day, time);
        const qint64 open = openShift();
        for (int i = 0; i < receipts; ++i) receipt();
        closeShift();
        return open;
    }

    // Changes key `key` of document `number` (a bad value written over a good one).
    void patch(qint64 number, const QString& key, const QJsonValue& value) {
        auto d = docs_[number - 1].toObject();
        auto tlv = d.value("documentTLV").toObject();
        tlv[key] = value;
        d["documentTLV"] = tlv;
        docs_[number - 1] = d;
    }

    qint64 count() const { return docs_.size(); }
    int shifts() const { return shift_; }
    const std::vector<Doc>& known() const { return known_; }
    const Doc& doc(qint64 number) const { return known_[number - 1]; }

    // A bench with one fiscal register on COM5 that lists these documents.
    QByteArray bench(const QJsonObject& extra = {}) const {
        QJsonObject reg{
            {"com", "COM5"},
            {"model", "АТОЛ 30Ф"},
            {"serial", "00106107311234"},
            {"flags", QJsonObject{{"fiscal", true}, {"fnPresent", true}, {"fnFiscal", true}}},
            {"receipt", QJsonObject{{"type", 0}}},
            {"shift", QJsonObject{{"state", 0}, {"number", shift_}}},
            {"fn", QJsonObject{{"status", QJsonObject{{"fiscalDocumentNumber", count()}}},
                               {"documents", docs_}}}};
        for (auto i = extra.begin(); i != extra.end(); ++i) reg[i.key()] = i.value();
        return QJsonDocument(QJsonObject{{"registers", QJsonArray{reg}}}).toJson();
    }

    static inline const QTimeZone kZone{3 * 3600};

  private:
    qint64 add(const QString& type, QJsonObject tlv) {
        const qint64 n = docs_.size() + 1;
        tlv["fiscalDocumentType"] = type;
        tlv["1040"] = n;
        tlv["1012"] = clock_.toString(Qt::ISODate);
        tlv["1077"] = QString("%1").arg(n * 7919, 12, 16, QChar('0')).toUpper();
        if (short_) {
            // Only the date, number and sign, and a few keys of the type.
            QJsonObject s{{"short", true}, {"fiscalDocumentType", type}};
            for (const char* k : {"1012", "1040", "1077", "1038", "1054", "1020"})
                if (tlv.contains(k) && (QString(k) != "1038" || type.endsWith("Shift")))
                    s[k] = tlv.value(k);
            tlv = s;
        }
        docs_.append(QJsonObject{{"documentTLV", tlv}});
        Doc d{n, type, std::nullopt, clock_};
        if (tlv.contains("1038")) d.shift = tlv.value("1038").toInteger();
        known_.push_back(d);
        clock_ = clock_.addSecs(60);
        return n;
    }

    QJsonArray docs_;
    std::vector<Doc> known_;
    QDateTime clock_;
    int shift_ = 0;
    int receipts_ = 0;
    bool short_ = false;
};

// What happened, in order: "read 42", "pause", "events".
using EventLog = std::vector<QString>;

// The virtual register seen through a driver object that notes every document read.
class CountingDriver : public drv::IDispatch {
  public:
    CountingDriver(std::unique_ptr<drv::IDispatch> inner, EventLog* log, std::vector<qint64>* reads)
        : inner_(std::move(inner)), log_(log), reads_(reads) {}
    std::optional<QVariant> constant(const QString& name) const override {
        return inner_->constant(name);
    }
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        if (method == "setParam" && args.size() == 2 && args[0].toInt() == 65645)
            request_ = args[1].toString();
        if (method == "processJson" && request_.contains("getFnDocument")) {
            const auto o = QJsonDocument::fromJson(request_.toUtf8()).object();
            const qint64 n = o.value("fiscalDocumentNumber").toInteger(-999999);
            reads_->push_back(n);
            log_->push_back(QString("read %1").arg(n));
        }
        return inner_->invoke(method, args);
    }

  private:
    std::unique_ptr<drv::IDispatch> inner_;
    EventLog* log_;
    std::vector<qint64>* reads_;
    QString request_;
};

// The window during a walk: notes messages and waits; `onWait` runs at each wait (a press of
// a button while the window processes its messages).
struct WalkUi : ui::IUi {
    explicit WalkUi(EventLog* l) : log(l) {}
    EventLog* log;
    QStringList messages;
    int waits = 0;
    std::function<void(int)> onWait;
    void message(const QString& text, ui::Icon, std::optional<QString>) override {
        messages << text;
    }
    bool confirm(const QString&, ui::Icon, bool) override { return true; }
    void processEvents() override {
        log->push_back("events");
        if (onWait) onWait(++waits);
    }
    void pause(int ms) override {
        log->push_back(QString("pause %1").arg(ms));
        if (onWait) onWait(++waits);
    }
};

// A register on COM5 opened through a counting driver object.
inline std::unique_ptr<drv::Fptr> openRegister(const QByteArray& bench, EventLog* log,
                                               std::vector<qint64>* reads) {
    emu::World::instance().loadJson(bench, "archive test bench");
    auto fptr = std::make_unique<drv::Fptr>(
        std::make_unique<CountingDriver>(std::make_unique<emu::VirtualRegister>(), log, reads));
    fptr->openSerialAuto("COM5");
    return fptr;
}

}  // namespace archive_test
