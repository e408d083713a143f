// The rendering of fiscal documents: golden files (case JSON in, view text out) and the driver
// calls of one rendering against a scripted driver object.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include "app/Ui.h"
#include "documents/Render.h"
#include "driver/Fptr.h"
#include "tests/support/RecordingUi.h"

namespace {

using documents::Sender;

const QString kDataDir = QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/documents");

// Values of the driver constants used here, as the maker's driver publishes them.
const QHash<QString, int>& driverConstants() {
    static const QHash<QString, int> c = {
        {"LIBFPTR_PARAM_JSON_DATA", 65645},
        {"LIBFPTR_PARAM_FN_DATA_TYPE", 65622},
        {"LIBFPTR_PARAM_DOCUMENT_NUMBER", 65598},
        {"LIBFPTR_PARAM_FISCAL_SIGN", 65626},
        {"LIBFPTR_PARAM_HAS_OFD_TICKET", 65670},
        {"LIBFPTR_PARAM_DATA_TYPE", 65587},
        {"LIBFPTR_PARAM_SERIAL_NUMBER", 65559},
        {"LIBFPTR_FNDT_DOCUMENT_BY_NUMBER", 13},
        {"LIBFPTR_FNDT_REG_INFO", 9},
        {"LIBFPTR_FNDT_FN_INFO", 2},
        {"LIBFPTR_DT_STATUS", 0},
        {"LIBFPTR_TAX_VAT10", 2},
        {"LIBFPTR_TAX_VAT110", 4},
        {"LIBFPTR_TAX_VAT0", 5},
        {"LIBFPTR_TAX_NO", 6},
        {"LIBFPTR_TAX_VAT20", 7},
        {"LIBFPTR_TAX_VAT120", 8},
        {"LIBFPTR_TT_OSN", 1},
        {"LIBFPTR_TT_USN_INCOME", 2},
        {"LIBFPTR_TT_USN_INCOME_OUTCOME", 4},
        {"LIBFPTR_TT_ESN", 16},
        {"LIBFPTR_TT_PATENT", 32},
    };
    return c;
}

documents::VatCodes vatCodes() {
    const auto& c = driverConstants();
    const auto t = [&c](const char* n) { return QString::number(c.value(n)); };
    return {t("LIBFPTR_TAX_VAT20"),  t("LIBFPTR_TAX_VAT10"), t("LIBFPTR_TAX_VAT120"),
            t("LIBFPTR_TAX_VAT110"), t("LIBFPTR_TAX_VAT0"),  t("LIBFPTR_TAX_NO")};
}

documents::TaxationCodes taxationCodes() {
    const auto& c = driverConstants();
    const auto t = [&c](const char* n) { return QString::number(c.value(n)); };
    return {t("LIBFPTR_TT_OSN"), t("LIBFPTR_TT_USN_INCOME"), t("LIBFPTR_TT_USN_INCOME_OUTCOME"),
            t("LIBFPTR_TT_ESN"), t("LIBFPTR_TT_PATENT")};
}

Sender senderByName(const QString& name) {
    static const QHash<QString, Sender> m = {
        {"btnCheckSowCheck", Sender::ShowButton}, {"edtCheckNumCheck", Sender::NumberBox},
        {"btnCheckNext", Sender::NextDocument},   {"btnCheckPrev", Sender::PreviousDocument},
        {"btnCheckSearch", Sender::DateSearch},   {"btnShiftNext", Sender::NextShift},
        {"btnShiftPrev", Sender::PreviousShift}};
    EXPECT_TRUE(m.contains(name)) << name.toStdString();
    return m.value(name, Sender::ShowButton);
}

// Russian system, PC clock at UTC+3, as on the workstations the goldens were written for.
class DocumentsRender : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    const QTimeZone zone_{3 * 3600};
};

struct GoldenCase {
    QString name;
    QJsonObject input;
};

std::vector<GoldenCase> goldenCases() {
    std::vector<GoldenCase> cases;
    const QDir dir(kDataDir);
    for (const QString& file : dir.entryList({"*.json"}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly)) continue;
        QJsonParseError err;
        const auto doc = QJsonDocument::fromJson(f.readAll(), &err);
        EXPECT_EQ(err.error, QJsonParseError::NoError) << file.toStdString();
        cases.push_back({QFileInfo(file).completeBaseName(), doc.object()});
    }
    return cases;
}

// The source of a rendering as the driver would give it for the case.
documents::RenderSource sourceOf(const QJsonObject& input) {
    documents::RenderSource s;
    const QString text =
        input.contains("answerText")
            ? input.value("answerText").toString()
            : QString::fromUtf8(
                  QJsonDocument(input.value("answer").toObject()).toJson(QJsonDocument::Compact));
    s.answer = documents::DocumentAnswer::parse(text);
    s.byNumber.fiscalSign = input.value("fiscalSign").toString();
    s.byNumber.hasOfdTicket = input.value("hasOfdTicket").toBool();
    for (int i = 0; i < s.answer.itemCount(); ++i)
        if (s.answer.item(i, "1199")) s.vat = vatCodes();
    if (input.contains("registration")) {
        const auto r = input.value("registration").toObject();
        documents::RegistrationData reg;
        reg.user = r.value("1048").toString();
        reg.inn = r.value("1018").toString();
        reg.taxation = r.value("1062").toString();
        reg.address = r.value("1009").toString();
        reg.place = r.value("1187").toString();
        reg.regNumber = r.value("1037").toString();
        reg.serial = r.value("serial").toString();
        reg.fnSerial = r.value("fnSerial").toString();
        if (!reg.taxation.isEmpty()) reg.codes = taxationCodes();
        s.registration = reg;
    }
    return s;
}

TEST_F(DocumentsRender, GoldenFiles) {
    const auto cases = goldenCases();
    ASSERT_GE(cases.size(), 20u) << "golden cases missing in " << kDataDir.toStdString();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QJsonObject& input = c.input;
        const auto source = sourceOf(input);
        ASSERT_FALSE(source.answer.failed()) << source.answer.error().toStdString();
        const auto r = documents::render(
            source, input.value("width").toInt(40),
            senderByName(input.value("sender").toString("btnCheckSowCheck")), zone_);
        QFile expected(kDataDir + "/" + c.name + ".txt");
        ASSERT_TRUE(expected.open(QIODevice::ReadOnly)) << "no " << c.name.toStdString() << ".txt";
        const QString want = QString::fromUtf8(expected.readAll());
        const QString got = r.lines.join('\n') + '\n';
        if (qEnvironmentVariableIsSet("VELMOR_WRITE_GOLDEN") && got != want) {
            QFile out(kDataDir + "/" + c.name + ".txt");
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(got.toUtf8());
        }
        EXPECT_EQ(got.toStdString(), want.toStdString());

        // The state the rendering hands back to the form.
        const auto expect = input.value("expect").toObject();
        EXPECT_EQ(r.shiftNumber.toStdString(),
                  expect.value("curCheckShiftNum_").toString("-1").toStdString());
        EXPECT_EQ(r.receiptType, expect.value("receiptType").toBool());
        EXPECT_EQ(r.bothScrollBars, input.contains("registration"));
        if (expect.contains("dtpCheck")) {
            ASSERT_TRUE(r.pickerDateTime.has_value());
            EXPECT_EQ(r.pickerDateTime->toString("yyyy-MM-ddTHH:mm:ss").toStdString(),
                      expect.value("dtpCheck").toString().toStdString());
        } else {
            EXPECT_FALSE(r.pickerDateTime.has_value());
        }
        // Every line fits the documented layouts: item lines of exactly W characters or the
        // separator; nothing longer than W except a name that alone is longer.
        const int w = input.value("width").toInt(40);
        for (const QString& line : r.lines) {
            if (!line.isEmpty() && line.count('=') == line.size()) {
                EXPECT_EQ(line.size(), w) << "separator of the wrong length";
            }
        }
    }
}

// --- Pieces of the layout -------------------------------------------------------------------

TEST(DocumentsLayout, SeparatorGrowsToTheClientWidthAndNoFurther) {
    const auto eightPixels = [](const QString& s) { return int(s.size()) * 8; };
    EXPECT_EQ(documents::separatorLength(eightPixels, 100), 12);  // 96 fits, 104 does not
    EXPECT_EQ(documents::separatorLength(eightPixels, 96), 12);   // exactly the client width
    EXPECT_EQ(documents::separatorLength(eightPixels, 95), 11);
    EXPECT_EQ(documents::separatorLength(eightPixels, 7), 0);  // not even one character
    EXPECT_EQ(documents::separatorLength(eightPixels, 0), 0);
    EXPECT_EQ(documents::separatorLength(eightPixels, 100000), 500);  // the bound
    EXPECT_EQ(documents::separatorLength(eightPixels, 499 * 8), 499);
    EXPECT_EQ(documents::separatorLength(eightPixels, 500 * 8), 500);
    // A measure that is not linear (a margin) still gives the longest run that fits.
    const auto withMargin = [](const QString& s) { return 4 + int(s.size()) * 7; };
    EXPECT_EQ(documents::separatorLength(withMargin, 74), 10);
    int calls = 0;
    const auto counting = [&calls](const QString& s) {
        ++calls;
        return int(s.size());
    };
    documents::separatorLength(counting, 1000);
    EXPECT_LE(calls, 501);  // bounded by 500 steps and one last measurement
}

TEST(DocumentsLayout, ItemLinesAgainstTheLineWidth) {
    using documents::itemLines;
    // Name and tail on one line of exactly W characters, the tail flush right.
    const auto one = itemLines("Хлеб", "100.5 x 2 =201", 40);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].size(), 40);
    EXPECT_TRUE(one[0].startsWith("Хлеб "));
    EXPECT_TRUE(one[0].endsWith(" 100.5 x 2 =201"));
    // Name of 4 and tail of 10 characters at W = 40: 25 + 1 blanks between them.
    EXPECT_EQ(itemLines("Сыр1", "1234567890", 40)[0], "Сыр1" + QString(26, ' ') + "1234567890");
    // Exactly W - 1 together: one blank between.
    EXPECT_EQ(itemLines("abcd", "12345", 10)[0], "abcd 12345");
    // One more: the name alone, the tail right-aligned on the next line.
    EXPECT_EQ(itemLines("abcde", "12345", 10), QStringList({"abcde", "     12345"}));
    // A name of exactly W characters goes on its own line.
    EXPECT_EQ(itemLines("abcdefghij", "12", 10), QStringList({"abcdefghij", "        12"}));
    // W + 1: the tail follows on the same line after one blank.
    EXPECT_EQ(itemLines("abcdefghijk", "12", 10), QStringList({"abcdefghijk 12"}));
    // A tail longer than the line: no blanks before it.
    EXPECT_EQ(itemLines("ab", "123456789012", 10), QStringList({"ab", "123456789012"}));
    // No tail at all: the name padded to W, the last character a blank.
    EXPECT_EQ(itemLines("Пакет", "", 10)[0], "Пакет     ");
    // A line of no width never gives negative padding.
    EXPECT_EQ(itemLines("a", "1", 0), QStringList({"a 1"}));
    // A character outside the basic plane counts once.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8D\x8E");  // one character, two units
    EXPECT_EQ(itemLines(emoji + "x", "1", 5)[0], emoji + "x  1");
}

TEST(DocumentsLayout, DocumentNumbersFromTheNumberBox) {
    using documents::documentNumber;
    EXPECT_EQ(documentNumber("42"), 42);
    EXPECT_EQ(documentNumber(" 42 "), 42);
    EXPECT_EQ(documentNumber("007"), 7);  // never sent with leading zeros (not JSON)
    EXPECT_EQ(documentNumber("0"), 0);
    EXPECT_EQ(documentNumber("4294967295"), 4294967295LL);
    EXPECT_FALSE(documentNumber("4294967296"));
    EXPECT_FALSE(documentNumber(""));
    EXPECT_FALSE(documentNumber("-5"));
    EXPECT_FALSE(documentNumber("1e3"));
    EXPECT_FALSE(documentNumber("12, \"type\": \"x\""));  // a pasted text cannot reach the task
    EXPECT_EQ(documents::documentTask(42),
              R"({"type": "getFnDocument", "fiscalDocumentNumber": 42, "withRawData": false})");
}

TEST(DocumentsLayout, AnswerKeepsTheNotationOfNumbers) {
    const auto a = documents::DocumentAnswer::parse(
        R"({"documentTLV": {"1020": 100.50, "1040": 12345678901234567890, "1023": 1e3,
            "1038": -0, "s": "a \"1.50\" b", "b": true, "n": null,
            "1059": [{"1030": "x", "1079": 0.10}, 5]}})");
    ASSERT_FALSE(a.failed());
    EXPECT_EQ(a.tlv("1020"), "100.50");
    EXPECT_EQ(a.tlv("1040"), "12345678901234567890");
    EXPECT_EQ(a.tlv("1023"), "1e3");
    EXPECT_EQ(a.tlv("1038"), "-0");
    EXPECT_EQ(a.tlv("s"), "a \"1.50\" b");
    EXPECT_EQ(a.tlv("b"), "true");
    EXPECT_EQ(a.tlv("n"), "");
    EXPECT_FALSE(a.tlv("missing"));
    EXPECT_EQ(a.itemCount(), 2);
    EXPECT_EQ(a.item(0, "1079"), "0.10");
    EXPECT_FALSE(a.item(1, "1030"));  // not an object
    EXPECT_FALSE(a.item(2, "1030"));
    EXPECT_FALSE(a.item(-1, "1030"));

    EXPECT_FALSE(documents::DocumentAnswer::parse("").failed());
    const auto broken = documents::DocumentAnswer::parse(R"({"documentTLV": {"1020": 01}})");
    EXPECT_TRUE(broken.failed());
    EXPECT_FALSE(broken.tlv("1020"));
    EXPECT_TRUE(documents::DocumentAnswer::parse("<error/>").failed());
    EXPECT_TRUE(documents::DocumentAnswer::parse("[1, 2]").failed());
    EXPECT_TRUE(documents::DocumentAnswer::parse("{\"a\": -}").failed());
}

TEST(DocumentsLayout, WholeNumbersAndClasses) {
    EXPECT_EQ(documents::wholeNumber("12"), 12);
    EXPECT_EQ(documents::wholeNumber("12.0"), 12);
    EXPECT_FALSE(documents::wholeNumber("12.5"));
    EXPECT_FALSE(documents::wholeNumber("abc"));
    EXPECT_FALSE(documents::wholeNumber("1e300"));
    using documents::DocClass;
    const auto cls = [](const char* type) {
        return documents::DocumentAnswer::parse(
                   QString(R"({"documentTLV": {"fiscalDocumentType": "%1"}})").arg(type))
            .docClass();
    };
    EXPECT_EQ(cls("receipt"), DocClass::Check);
    EXPECT_EQ(cls("ReceiptCorrection"), DocClass::Check);
    EXPECT_EQ(cls("BSO"), DocClass::Check);
    EXPECT_EQ(cls("bsoCorrection"), DocClass::Check);
    EXPECT_EQ(cls("openShift"), DocClass::OpenShift);
    EXPECT_EQ(cls("closeShift"), DocClass::CloseShift);
    EXPECT_EQ(cls("ofdExchangeStatus"), DocClass::Other);
    EXPECT_EQ(documents::DocumentAnswer::parse("{}").docClass(), DocClass::None);
    EXPECT_EQ(documents::DocumentAnswer().docClass(), DocClass::None);
}

// --- The driver calls of one rendering --------------------------------------------------------

// A driver object that answers from a script and writes down every member called.
class ScriptedDriver : public drv::IDispatch {
  public:
    struct Call {
        QString method;
        QVariantList args;
    };
    std::vector<Call>* log;
    // "getParamString/fn13/65626": a getter after the storage query of type 13; "data0" after
    // the status query.
    QHash<QString, QVariant> answers;
    QString json;
    int jsonError = 0;

    explicit ScriptedDriver(std::vector<Call>* l) : log(l) {}
    std::optional<QVariant> constant(const QString& name) const override {
        const auto& c = driverConstants();
        if (!c.contains(name)) return std::nullopt;
        log->push_back({"constant", {name}});
        return c.value(name);
    }
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        log->push_back({method, args});
        if (method == "errorCode") return QVariant(error_);
        if (method == "errorDescription") return QVariant("Нет связи");
        error_ = 0;
        if (method == "processJson") {
            error_ = jsonError;
            return QVariant(jsonError ? -1 : 0);
        }
        if (method == "setParam") {
            params_[args[0].toInt()] = args[1];
            return QVariant(0);
        }
        if (method == "fnQueryData") {
            query_ = "fn" + params_.value(65622).toString();
            return QVariant(0);
        }
        if (method == "queryData") {
            query_ = "data" + params_.value(65587).toString();
            return QVariant(0);
        }
        if (method.startsWith("getParam")) {
            const int id = args[0].toInt();
            if (id == 65645) return QVariant(json);
            const QString key = QString("%1/%2/%3").arg(method, query_).arg(id);
            return answers.value(key, method == "getParamBool" ? QVariant(false) : QVariant(""));
        }
        return std::nullopt;
    }

  private:
    int error_ = 0;
    QHash<int, QVariant> params_;
    QString query_;
};

using RecordingUi = testing_support::RecordingUi;

QStringList methodsOf(const std::vector<ScriptedDriver::Call>& log) {
    QStringList out;
    for (const auto& c : log) {
        if (c.method == "constant") continue;
        QStringList args;
        for (const auto& a : c.args) args << a.toString();
        out << c.method + "(" + args.join(",") + ")";
    }
    return out;
}

TEST_F(DocumentsRender, DriverCallsOfOneRenderingInTheHandlersOrder) {
    std::vector<ScriptedDriver::Call> log;
    auto* d = new ScriptedDriver(&log);
    d->json = R"({"documentTLV": {"fiscalDocumentType": "receipt", "1040": 42,
                 "1059": [{"1030": "Хлеб", "1199": 7}]}})";
    d->answers["getParamString/fn13/65626"] = "2712847316";
    d->answers["getParamBool/fn13/65670"] = true;
    d->answers["getParamString/fn9/1048"] = "ООО Ромашка";
    d->answers["getParamString/fn9/1062"] = "2";
    d->answers["getParamString/data0/65559"] = "00106107311234";
    d->answers["getParamString/fn2/65559"] = "9999078945337305";
    drv::Fptr fptr{std::unique_ptr<drv::IDispatch>(d)};
    RecordingUi rui;

    const auto source = documents::readRenderSource(fptr, rui, 42, true);
    ASSERT_TRUE(source.has_value());
    EXPECT_TRUE(rui.messages.isEmpty());
    EXPECT_EQ(source->byNumber.fiscalSign, "2712847316");
    EXPECT_TRUE(source->byNumber.hasOfdTicket);
    EXPECT_EQ(source->vat.vat20, "7");
    ASSERT_TRUE(source->registration.has_value());
    EXPECT_EQ(source->registration->user, "ООО Ромашка");
    EXPECT_EQ(source->registration->codes.usnIncome, "2");
    EXPECT_EQ(source->registration->serial, "00106107311234");
    EXPECT_EQ(source->registration->fnSerial, "9999078945337305");

    const QStringList want = {
        "setParam(65645,{\"type\": \"getFnDocument\", \"fiscalDocumentNumber\": 42, "
        "\"withRawData\": false})",
        "processJson()",
        "errorCode()",
        "getParamString(65645)",
        "setParam(65622,13)",
        "setParam(65598,42)",
        "fnQueryData()",
        "getParamString(65626)",
        "getParamBool(65670)",
        "setParam(65622,9)",
        "fnQueryData()",
        "getParamString(1048)",
        "getParamString(1018)",
        "getParamString(1062)",
        "getParamString(1009)",
        "getParamString(1187)",
        "getParamString(1037)",
        "setParam(65587,0)",
        "queryData()",
        "getParamString(65559)",
        "setParam(65622,2)",
        "fnQueryData()",
        "getParamString(65559)",
    };
    EXPECT_EQ(methodsOf(log), want);
    // The document number goes to the by-number query as text.
    for (const auto& c : log) {
        if (c.method == "setParam" && c.args[0].toInt() == 65598) {
            EXPECT_EQ(c.args[1].typeId(), QMetaType::QString);
        }
    }

    const auto r = documents::render(*source, 30, Sender::ShowButton, zone_);
    EXPECT_TRUE(r.lines.contains("ФП документа:         2712847316"));
    EXPECT_TRUE(r.lines.contains("Отправлен в ОФД:      Да"));
    EXPECT_TRUE(r.lines.contains(" - НДС 20%"));
    EXPECT_TRUE(r.lines.contains("СНО:                  УСН доход"));
}

TEST_F(DocumentsRender, NoConstantLookupsWithoutVatOrTaxation) {
    std::vector<ScriptedDriver::Call> log;
    auto* d = new ScriptedDriver(&log);
    d->json = R"({"documentTLV": {"fiscalDocumentType": "openShift", "1038": 3}})";
    drv::Fptr fptr{std::unique_ptr<drv::IDispatch>(d)};
    RecordingUi rui;
    ASSERT_TRUE(documents::readRenderSource(fptr, rui, 5, true).has_value());
    for (const auto& c : log) {
        if (c.method == "constant") {
            EXPECT_FALSE(c.args[0].toString().startsWith("LIBFPTR_TAX_"));
            EXPECT_FALSE(c.args[0].toString().startsWith("LIBFPTR_TT_"));
        }
    }
}

TEST_F(DocumentsRender, DriverErrorIsShownAndTheRenderingGoesOn) {
    std::vector<ScriptedDriver::Call> log;
    auto* d = new ScriptedDriver(&log);
    d->jsonError = 2;
    drv::Fptr fptr{std::unique_ptr<drv::IDispatch>(d)};
    RecordingUi rui;
    const auto source = documents::readRenderSource(fptr, rui, 7, false);
    ASSERT_TRUE(source.has_value());
    EXPECT_EQ(rui.messages, QStringList({"(2) Нет связи"}));
    ASSERT_EQ(rui.shown.size(), 1);
    EXPECT_EQ(rui.shown[0].caption, QString());  // the driver-error box has an empty title
    // An empty answer: only the fiscal-sign and ticket lines (the separator after them goes).
    const auto r = documents::render(*source, 20, Sender::ShowButton, zone_);
    EXPECT_EQ(r.lines, QStringList({"ФП документа:         ", "Отправлен в ОФД:      Нет"}));
    EXPECT_EQ(r.shiftNumber, "-1");
}

TEST_F(DocumentsRender, AnswerThatIsNotAnObjectEndsTheRendering) {
    for (const char* answer : {"<error/>", "[1, 2, 3]", "{\"documentTLV\": "}) {
        SCOPED_TRACE(answer);
        std::vector<ScriptedDriver::Call> log;
        auto* d = new ScriptedDriver(&log);
        d->json = answer;
        drv::Fptr fptr{std::unique_ptr<drv::IDispatch>(d)};
        RecordingUi rui;
        EXPECT_FALSE(documents::readRenderSource(fptr, rui, 7, true).has_value());
        ASSERT_EQ(rui.messages.size(), 1);
        EXPECT_FALSE(rui.messages[0].isEmpty());
        // Nothing is queried after the answer.
        EXPECT_EQ(methodsOf(log).last(), "getParamString(65645)");
    }
}

}  // namespace
