// A receipt sold call by call, as a point-of-sale program drives the driver, against the bench's
// COM8 register in process and behind the C library: the document it becomes, its fiscal sign
// read both ways, every receipt type, and the driver's errors for calls that make no sense.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "emulator/ArchiveGenerator.h"
#include "tests/contract/Contract.h"

namespace contract {
namespace {

QJsonObject documentTlv(drv::Fptr& f, int number) {
    const QString answer = f.jsonTask(
        QStringLiteral(R"({"type": "getFnDocument", "fiscalDocumentNumber": %1})").arg(number));
    return QJsonDocument::fromJson(answer.toUtf8()).object().value("documentTLV").toObject();
}

// One position: name, price, quantity and tax as a program sets them.
int registration(drv::Fptr& f, const QString& name, const QVariant& price, double quantity,
                 const char* tax = "LIBFPTR_TAX_VAT20") {
    f.setParam("LIBFPTR_PARAM_COMMODITY_NAME", name);
    f.setParam("LIBFPTR_PARAM_PRICE", price);
    f.setParam("LIBFPTR_PARAM_QUANTITY", quantity);
    f.setParam("LIBFPTR_PARAM_TAX_TYPE", f.c(tax));
    return f.run("registration");
}

int openReceipt(drv::Fptr& f, const QVariant& type) {
    f.setParam("LIBFPTR_PARAM_RECEIPT_TYPE", type);
    return f.run("openReceipt");
}

int pay(drv::Fptr& f, const char* type, double sum) {
    f.setParam("LIBFPTR_PARAM_PAYMENT_TYPE", f.c(type));
    f.setParam("LIBFPTR_PARAM_PAYMENT_SUM", sum);
    return f.run("payment");
}

TEST(ReceiptContract, ASaleCallByCallBecomesADocumentWithItsFiscalSign) {
    const Runs r = runBoth(
        [](drv::Fptr& f, Transcript& t) {
            ASSERT_EQ(f.openSerialAuto("8"), 0);
            f.setParam(1021, QStringLiteral("Кассир Петров"));
            t.add("operatorLogin", f.run("operatorLogin"));
            t.add("open sell", openReceipt(f, f.c("LIBFPTR_RT_SELL")));
            t.add("open again", openReceipt(f, f.c("LIBFPTR_RT_SELL")));
            t.add("open again code", f.errorCode());
            t.add("position", registration(f, "Сыр «Российский»", 250.0, 2));
            // a price as text, a price beyond the register's range, no quantity
            t.add("price as text", registration(f, "Сыр", QStringLiteral("250"), 1));
            t.add("price as text code", f.errorCode());
            t.add("price too big", registration(f, "Сыр", 1e12, 1));
            t.add("price too big code", f.errorCode());
            t.add("zero quantity", registration(f, "Сыр", 1.0, 0));
            t.add("zero quantity code", f.errorCode());
            t.add("unknown tax", registration(f, "Сыр", 1.0, 1, "LIBFPTR_TAX_INVALID"));
            t.add("unknown tax code", f.errorCode());
            f.setParam("LIBFPTR_PARAM_SUM", 450.0);
            t.add("receiptTotal", f.run("receiptTotal"));
            f.setParam("LIBFPTR_PARAM_TAX_TYPE", f.c("LIBFPTR_TAX_VAT20"));
            f.setParam("LIBFPTR_PARAM_TAX_SUM", 75.0);
            t.add("receiptTax", f.run("receiptTax"));
            t.add("card beyond the sum", pay(f, "LIBFPTR_PT_ELECTRONICALLY", 500));
            t.add("card beyond the sum code", f.errorCode());
            t.add("card", pay(f, "LIBFPTR_PT_ELECTRONICALLY", 50));
            t.add("cash", pay(f, "LIBFPTR_PT_CASH", 500));
            t.add("remainder", f.getParamDouble("LIBFPTR_PARAM_REMAINDER"));
            t.add("change", f.getParamDouble("LIBFPTR_PARAM_CHANGE"));
            t.add("closeReceipt", f.run("closeReceipt"));
            t.add("checkDocumentClosed", f.run("checkDocumentClosed"));
            t.add("closed", f.getParamBool("LIBFPTR_PARAM_DOCUMENT_CLOSED"));

            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_LAST_RECEIPT"));
            t.add("last receipt", f.fnQueryData());
            const int number = f.getParamInt("LIBFPTR_PARAM_DOCUMENT_NUMBER");
            t.add("number", number);
            t.add("fiscal sign", f.getParamString("LIBFPTR_PARAM_FISCAL_SIGN"));
            t.add("sum", f.getParamDouble("LIBFPTR_PARAM_RECEIPT_SUM"));
            const QJsonObject doc = documentTlv(f, number);
            t.add("document sign", emu::fiscalSignOfHex(doc.value("1077").toString()));
            for (const char* tag : {"1021", "1038", "1042", "1054", "1020", "1031", "1081", "1102",
                                    "1041", "1037", "1055"})
                t.add(QStringLiteral("tag %1").arg(tag), doc.value(tag).toVariant());
            const QJsonObject item = doc.value("1059").toArray().at(0).toObject();
            t.add("item", QJsonDocument(item).toJson(QJsonDocument::Compact));
            t.add("qr has the sign",
                  doc.value("qr").toString().contains(
                      "&fp=" + emu::fiscalSignOfHex(doc.value("1077").toString()) + "&n=1"));
        },
        inProcessVirtual, libraryVirtual);
    EXPECT_TRUE(sameTranscript(r.inProcess, r.library));
    const Transcript& t = r.library;
    EXPECT_EQ(t.value("operatorLogin").toInt(), 0);
    EXPECT_EQ(t.value("open sell").toInt(), 0);
    EXPECT_EQ(t.value("open again code").toInt(), 82);
    EXPECT_EQ(t.value("position").toInt(), 0);
    EXPECT_EQ(t.value("price as text code").toInt(), 13);
    EXPECT_EQ(t.value("price too big code").toInt(), 16);
    EXPECT_EQ(t.value("zero quantity code").toInt(), 41);
    EXPECT_EQ(t.value("unknown tax code").toInt(), 144);
    EXPECT_EQ(t.value("card beyond the sum code").toInt(), 52);
    EXPECT_EQ(t.value("remainder").toDouble(), 0.0);
    EXPECT_EQ(t.value("change").toDouble(), 100.0);
    EXPECT_EQ(t.value("closeReceipt").toInt(), 0);
    EXPECT_TRUE(t.value("closed").toBool());
    // the shift was closed: the sale opened it (document 1) and became document 2
    EXPECT_EQ(t.value("number").toInt(), 2);
    EXPECT_EQ(t.value("sum").toDouble(), 450.0);
    EXPECT_FALSE(t.value("fiscal sign").toString().isEmpty());
    EXPECT_EQ(t.value("document sign"), t.value("fiscal sign"));
    EXPECT_EQ(t.value("tag 1021").toString(), "Кассир Петров");
    EXPECT_EQ(t.value("tag 1038").toInt(), 21);
    EXPECT_EQ(t.value("tag 1042").toInt(), 1);
    EXPECT_EQ(t.value("tag 1031").toDouble(), 400.0);
    EXPECT_EQ(t.value("tag 1081").toDouble(), 50.0);
    EXPECT_EQ(t.value("tag 1102").toDouble(), 75.0);  // the receipt's own tax replaces the counted
    EXPECT_EQ(t.value("tag 1041").toString(), "7380440700000008");
    EXPECT_EQ(t.value("tag 1037").toString(), "0000000001012345");
    EXPECT_EQ(t.value("tag 1055").toInt(), 1);
    EXPECT_EQ(t.value("item").toString(),
              R"({"1023":2,"1030":"Сыр «Российский»","1043":500,"1079":250,"1199":1,)"
              R"("1200":83.33,"1212":1,"1214":4})");
    EXPECT_TRUE(t.value("qr has the sign").toBool());
}

// Each receipt type opens, sells and closes into a document of its calculation sign; calls that
// make no sense get the driver's error and leave the register as it was.
TEST(ReceiptContract, EveryReceiptTypeAndTheRefusals) {
    struct Kind {
        const char* type;
        int sign;
        const char* documentType;
    };
    const Kind kinds[] = {{"LIBFPTR_RT_SELL_RETURN", 2, "receipt"},
                          {"LIBFPTR_RT_BUY", 3, "receipt"},
                          {"LIBFPTR_RT_BUY_RETURN", 4, "receipt"},
                          {"LIBFPTR_RT_SELL_CORRECTION", 1, "receiptCorrection"},
                          {"LIBFPTR_RT_SELL_RETURN_CORRECTION", 2, "receiptCorrection"},
                          {"LIBFPTR_RT_BUY_CORRECTION", 3, "receiptCorrection"},
                          {"LIBFPTR_RT_BUY_RETURN_CORRECTION", 4, "receiptCorrection"}};
    const Runs r = runBoth(
        [&kinds](drv::Fptr& f, Transcript& t) {
            ASSERT_EQ(f.openSerialAuto("8"), 0);
            for (const Kind& k : kinds) {
                t.add(QStringLiteral("open %1").arg(k.type), openReceipt(f, f.c(k.type)));
                registration(f, "Товар", 10.0, 1, "LIBFPTR_TAX_NO");
                pay(f, "LIBFPTR_PT_CASH", 10);
                t.add(QStringLiteral("close %1").arg(k.type), f.run("closeReceipt"));
                f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_LAST_DOCUMENT"));
                f.fnQueryData();
                const QJsonObject doc =
                    documentTlv(f, f.getParamInt("LIBFPTR_PARAM_DOCUMENT_NUMBER"));
                t.add(QStringLiteral("sign %1").arg(k.type), doc.value("1054").toInt());
                t.add(QStringLiteral("kind %1").arg(k.type),
                      doc.value("fiscalDocumentType").toString());
            }
            // refusals: a type no receipt has, a type given as text, a report type the driver
            // does not know, cancelling and paying with no receipt open
            t.add("open type 3", openReceipt(f, 3));
            t.add("open type 3 code", f.errorCode());
            // (a digit string would go to the library as the integer it reads as)
            t.add("open as text", openReceipt(f, QStringLiteral("продажа")));
            t.add("open as text code", f.errorCode());
            t.add("open without type", f.run("openReceipt"));
            t.add("open without type code", f.errorCode());
            f.setParam("LIBFPTR_PARAM_REPORT_TYPE", 999);
            t.add("report 999", f.run("report"));
            t.add("report 999 code", f.errorCode());
            t.add("cancel closed", f.run("cancelReceipt"));
            t.add("cancel closed code", f.errorCode());
            t.add("pay closed", pay(f, "LIBFPTR_PT_CASH", 1));
            t.add("pay closed code", f.errorCode());
            // a payment type beyond the register's ten, a negative payment
            openReceipt(f, f.c("LIBFPTR_RT_SELL"));
            f.setParam("LIBFPTR_PARAM_PAYMENT_TYPE", 10);
            f.setParam("LIBFPTR_PARAM_PAYMENT_SUM", 1.0);
            t.add("payment type 10", f.run("payment"));
            t.add("payment type 10 code", f.errorCode());
            t.add("negative payment", pay(f, "LIBFPTR_PT_CASH", -5));
            t.add("negative payment code", f.errorCode());
            t.add("cancel", f.run("cancelReceipt"));
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_RECEIPT_STATE"));
            f.queryData();
            t.add("receipt after cancel", f.getParamInt("LIBFPTR_PARAM_RECEIPT_TYPE"));
        },
        inProcessVirtual, libraryVirtual);
    EXPECT_TRUE(sameTranscript(r.inProcess, r.library));
    const Transcript& t = r.library;
    for (const Kind& k : kinds) {
        EXPECT_EQ(t.value(QStringLiteral("close %1").arg(k.type)).toInt(), 0) << k.type;
        EXPECT_EQ(t.value(QStringLiteral("sign %1").arg(k.type)).toInt(), k.sign) << k.type;
        EXPECT_EQ(t.value(QStringLiteral("kind %1").arg(k.type)).toString(), k.documentType);
    }
    EXPECT_EQ(t.value("open type 3 code").toInt(), 48);
    EXPECT_EQ(t.value("open as text code").toInt(), 13);
    EXPECT_EQ(t.value("open without type code").toInt(), 8);
    EXPECT_EQ(t.value("report 999 code").toInt(), 11);
    EXPECT_EQ(t.value("cancel closed code").toInt(), 81);
    EXPECT_EQ(t.value("pay closed code").toInt(), 81);
    EXPECT_EQ(t.value("payment type 10 code").toInt(), 60);
    EXPECT_EQ(t.value("negative payment code").toInt(), 16);
    EXPECT_EQ(t.value("cancel").toInt(), 0);
    EXPECT_EQ(t.value("receipt after cancel").toInt(), 0);
}

// validateJson runs the check step alone: the failing field, "nothing to check" for a query, and
// a valid sale that is not sold.
TEST(ReceiptContract, ValidateJsonChecksAndSellsNothing) {
    const Runs r = runBoth(
        [](drv::Fptr& f, Transcript& t) {
            ASSERT_EQ(f.openSerialAuto("8"), 0);
            const auto validate = [&](const QString& request) {
                f.setParam("LIBFPTR_PARAM_JSON_DATA", request);
                t.add(request, f.run("validateJson"));
                t.add(request + " code", f.errorCode());
                t.add(request + " text", f.errorDescription());
            };
            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_LAST_DOCUMENT"));
            f.fnQueryData();
            t.add("last before", f.getParamInt("LIBFPTR_PARAM_DOCUMENT_NUMBER"));
            validate(
                R"({"type": "sell", "items": [], "payments": [{"type": "cash", "sum": "1"}]})");
            validate(R"({"type": "getDeviceStatus"})");
            validate(R"({"type": "sell", "items": [{"type": "position", "name": "A", "price": 1,
                "quantity": 1, "amount": 1}], "payments": [{"type": "cash", "sum": 1}]})");
            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_LAST_DOCUMENT"));
            f.fnQueryData();
            t.add("last after", f.getParamInt("LIBFPTR_PARAM_DOCUMENT_NUMBER"));
        },
        inProcessVirtual, libraryVirtual);
    EXPECT_TRUE(sameTranscript(r.inProcess, r.library));
    const auto& e = r.library.entries();
    ASSERT_EQ(e.size(), 11);
    // entries: last before, then rc, code and text of each request, then last after
    EXPECT_EQ(e[1].value.toInt(), -1);
    EXPECT_EQ(e[2].value.toInt(), 501);
    EXPECT_EQ(e[3].value.toString(),
              "Поле \"payments[0].sum\" имеет неверный тип (ожидается \"number\")");
    EXPECT_EQ(e[5].value.toInt(), 504);
    EXPECT_EQ(e[7].value.toInt(), 0);  // the valid sale passes the check
    EXPECT_EQ(e[8].value.toInt(), 0);
    EXPECT_EQ(e[10].value, e[0].value);  // and sells nothing
}

}  // namespace
}  // namespace contract
