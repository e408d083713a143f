#include "documents/Receipt.h"

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "driver/ValueText.h"

namespace documents {

using namespace drv::names;

QString receiptTypeName(drv::Fptr& fptr, int type) {
    static const struct {
        const char* constant;
        const char* name;
    } names[] = {
        {LIBFPTR_RT_CLOSED, "Чек закрыт"},
        {LIBFPTR_RT_SELL, "Чек прихода"},
        {LIBFPTR_RT_SELL_RETURN, "Чек возврата прихода"},
        {LIBFPTR_RT_SELL_CORRECTION, "Чек коррекции прихода"},
        {LIBFPTR_RT_SELL_RETURN_CORRECTION, "Чек коррекции возврата прихода"},
        {LIBFPTR_RT_BUY, "Чек расхода"},
        {LIBFPTR_RT_BUY_RETURN, "Чек возврата расхода"},
        {LIBFPTR_RT_BUY_CORRECTION, "Чек коррекции расхода"},
        {LIBFPTR_RT_BUY_RETURN_CORRECTION, "Чек коррекции возврата расхода"},
    };
    for (const auto& n : names)
        if (type == fptr.c(n.constant)) return QString::fromUtf8(n.name);
    return {};
}

OpenReceiptView readOpenReceipt(drv::Fptr& fptr) {
    fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_RECEIPT_STATE));
    fptr.queryData();
    OpenReceiptView v;
    if ((v.error = fptr.errorCode()) != 0) {
        v.errorDescription = fptr.errorDescription();
        return v;
    }
    const int type = fptr.getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE);
    const QString name = receiptTypeName(fptr, type);
    if (type == fptr.c(LIBFPTR_RT_CLOSED)) {
        v.state = name;
        v.lines = {QStringLiteral("Чек закрыт")};
        return v;
    }
    v.state = QStringLiteral("Чек открыт");
    const int receipt = fptr.getParamInt(LIBFPTR_PARAM_RECEIPT_NUMBER);
    const int document = fptr.getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    const double sum = fptr.getParamDouble(LIBFPTR_PARAM_RECEIPT_SUM);
    const double remainder = fptr.getParamDouble(LIBFPTR_PARAM_REMAINDER);
    const double change = fptr.getParamDouble(LIBFPTR_PARAM_CHANGE);
    v.lines = {
        QStringLiteral("Тип чека:                       ") + name,
        QStringLiteral("Номер чека (счетчик ККТ):       ") + QString::number(receipt),
        QStringLiteral("Номер документа (счетчик ККТ):  ") + QString::number(document),
        QStringLiteral("Текущая сумма чека:             ") + drv::doubleText(sum),
        QStringLiteral("Неоплаченный остаток:           ") + drv::doubleText(remainder),
        QStringLiteral("Сдача по чеку:                  ") + drv::doubleText(change),
    };
    return v;
}

namespace {

// The description of a failed call in an information box; true when the call succeeded.
bool succeeded(drv::Fptr& fptr, ui::IUi& ui, const QString& before = {}) {
    if (fptr.errorCode() == 0) return true;
    ui.message(before + fptr.errorDescription());
    return false;
}

}  // namespace

bool closeOpenReceipt(drv::Fptr& fptr, ui::IUi& ui) {
    fptr.run(drv::members::closeReceipt);
    return succeeded(fptr, ui);
}

bool cancelOpenReceipt(drv::Fptr& fptr, ui::IUi& ui) {
    if (!ui.confirm(kCancelReceiptQuestion, ui::Icon::Question, true)) return false;
    fptr.run(drv::members::cancelReceipt);
    return succeeded(fptr, ui);
}

void continuePrinting(drv::Fptr& fptr, ui::IUi& ui) {
    fptr.run(drv::members::continuePrint);
    succeeded(fptr, ui, kPrintFailed);
}

void printDocumentCopy(drv::Fptr& fptr, ui::IUi& ui, const QString& numberText) {
    if (numberText.isEmpty()) return;
    fptr.setParam(LIBFPTR_PARAM_REPORT_TYPE, fptr.c(LIBFPTR_RT_FN_DOC_BY_NUMBER));
    fptr.setParam(LIBFPTR_PARAM_DOCUMENT_NUMBER, numberText);
    fptr.run(drv::members::report);
    succeeded(fptr, ui);
}

QStringList viewLines(const QString& viewText) {
    if (viewText.isEmpty()) return {};
    return viewText.split(u'\n');
}

}  // namespace documents
