#include "documents/Render.h"

#include <QHash>
#include <algorithm>
#include <vector>

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace documents {
namespace {

constexpr int kMaxSeparator = 500;

const QString kShortNote =
    QStringLiteral("<Документ считан из архива и содержит неполный набор данных>");

// Labels of the header, total and registration lines; each carries its own padding.
const QString kDateTime = QStringLiteral("Дата и время:         ");
const QString kCashier = QStringLiteral("Кассир:               ");
const QString kDocType = QStringLiteral("Тип документа:        ");
const QString kCalcSign = QStringLiteral("Кассовый чек:         ");
const QString kFdNumber = QStringLiteral("Номер ФД:             ");
const QString kFiscalSign = QStringLiteral("ФП документа:         ");
const QString kFfd = QStringLiteral("Версия ФФД:           ");
const QString kShift = QStringLiteral("Номер смены:          ");
const QString kReceiptInShift = QStringLiteral("Номер чека за смену:  ");
const QString kSentToOfd = QStringLiteral("Отправлен в ОФД:      ");
const QString kMarkedCode = QStringLiteral("Код товара для маркированной продукции: ");
const QString kTotal = QStringLiteral("ИТОГ                  =");
const QString kUser = QStringLiteral("Пользователь:         ");
const QString kInn = QStringLiteral("ИНН:                  ");
const QString kTaxation = QStringLiteral("СНО:                  ");
const QString kAddress = QStringLiteral("Адрес расчетов:       ");
const QString kPlace = QStringLiteral("Место расчетов:       ");
const QString kRegNumber = QStringLiteral("РН КК:                ");
const QString kSerial = QStringLiteral("ЗН КК:                ");
const QString kFnSerial = QStringLiteral("ФН №:                 ");
const QString kQr = QStringLiteral("QR код:               ");

struct Sum {
    const char* key;
    QString label;
};
const Sum kSums[] = {
    {"1102", QStringLiteral("СУММА НДС 20%         =")},
    {"1103", QStringLiteral("СУММА НДС 10%         =")},
    {"1104", QStringLiteral("СУММА НДС 0%          =")},
    {"1105", QStringLiteral("СУММА Без НДС         =")},
    {"1106", QStringLiteral("СУММА НДС 20/120      =")},
    {"1107", QStringLiteral("СУММА НДС 10/110      =")},
    {"1031", QStringLiteral("НАЛИЧНЫМИ             =")},
    {"1081", QStringLiteral("БЕЗНАЛИЧНЫМИ          =")},
};

QString mapped(const QHash<QString, QString>& map, const QString& value) {
    return map.value(value, value);
}

const QHash<QString, QString>& documentTypes() {
    static const QHash<QString, QString> m = {
        {"registration", "Регистрация ККТ"},
        {"changeregistrationparameters", "Перерегистрация ККТ"},
        {"closearchive", "Закрытие ФН"},
        {"ofdexchangestatus", "Отчет о состоянии расчетов"},
        {"openshift", "Открытие смены"},
        {"closeshift", "Закрытие смены"},
        {"receipt", "Чек"},
        {"receiptcorrection", "Чек коррекции"},
        {"bso", "БСО"},
        {"bsocorrection", "БСО коррекции"},
    };
    return m;
}

const QHash<QString, QString>& calculationSigns() {
    static const QHash<QString, QString> m = {
        {"1", "Приход"}, {"2", "Возврат прихода"}, {"3", "Расход"}, {"4", "Возврат расхода"}};
    return m;
}

const QHash<QString, QString>& formatVersions() {
    static const QHash<QString, QString> m = {
        {"1", "Неизвестно"}, {"2", "ФФД 1.05"}, {"3", "ФФД 1.1"}, {"4", "ФФД 1.2"}};
    return m;
}

const QHash<QString, QString>& itemSubjects() {
    static const QHash<QString, QString> m = {{"1", "Товар"},   {"2", "Подакцизный товар"},
                                              {"3", "Работа"},  {"4", "Услуга"},
                                              {"10", "Платеж"}, {"27", "Выдача денежных средств"}};
    return m;
}

const QHash<QString, QString>& paymentMethods() {
    static const QHash<QString, QString> m = {{"1", "Предоплата 100%"},
                                              {"2", "Предоплата"},
                                              {"3", "Аванс"},
                                              {"4", "Полный расчет"},
                                              {"5", "Частичный расчет и кредит"},
                                              {"6", "Передача в кредит"},
                                              {"7", "Оплата кредита"}};
    return m;
}

// A value compared with the decimal texts of driver constants; unknown values stay as they are.
QString byCode(const QString& value, std::initializer_list<std::pair<QString, const char*>> rows) {
    for (const auto& [code, name] : rows)
        if (!code.isEmpty() && code == value) return QString::fromUtf8(name);
    return value;
}

QString vatName(const QString& value, const VatCodes& c) {
    return byCode(value, {{c.vat20, "НДС 20%"},
                          {c.vat10, "НДС 10%"},
                          {c.vat120, "НДС 20/120"},
                          {c.vat110, "НДС 10/110"},
                          {c.vat0, "НДС 0%"},
                          {c.no, "Без НДС"}});
}

// One system by its name; several (the register keeps the sum of their flags) by their names
// joined with ", " in the order of the flags. A value with an unknown flag stays as it is.
QString taxationName(const QString& value, const TaxationCodes& c) {
    const std::pair<QString, const char*> rows[] = {{c.osn, "ОСН"},
                                                    {c.usnIncome, "УСН доход"},
                                                    {c.usnIncomeOutcome, "УСН доход-расход"},
                                                    {c.esn, "ЕСХН"},
                                                    {c.patent, "Патент"}};
    bool ok = false;
    const qlonglong mask = value.toLongLong(&ok);
    if (!ok || mask <= 0) return byCode(value, {rows[0], rows[1], rows[2], rows[3], rows[4]});
    std::vector<std::pair<qlonglong, QString>> found;
    qlonglong covered = 0;
    for (const auto& [code, name] : rows) {
        const qlonglong flag = code.toLongLong(&ok);
        if (!ok || flag <= 0 || (mask & flag) != flag) continue;
        found.emplace_back(flag, QString::fromUtf8(name));
        covered |= flag;
    }
    if (covered != mask) return value;
    std::sort(found.begin(), found.end());
    QStringList names;
    for (const auto& f : found) names << f.second;
    return names.join(QStringLiteral(", "));
}

// Characters as the monospaced view shows them: a pair of UTF-16 surrogates is one character.
int charCount(const QString& s) {
    int n = 0;
    for (const QChar c : s)
        if (!c.isLowSurrogate()) ++n;
    return n;
}

QString blanks(int n) {
    return n > 0 ? QString(n, u' ') : QString();
}

void addIfPresent(QStringList& lines, const QString& label, const std::optional<QString>& value) {
    if (value) lines << label + *value;
}

void addIfNotEmpty(QStringList& lines, const QString& label, const QString& value) {
    if (!value.isEmpty()) lines << label + value;
}

// The driver-error report of the window: "(code) description" in a box with an empty title.
void reportError(drv::Fptr& fptr, ui::IUi& ui) {
    ui::reportDriverError(fptr, ui, true, QString());
}

QString constantText(drv::Fptr& fptr, const char* name) {
    return QString::number(fptr.c(QLatin1String(name)));
}

}  // namespace

int separatorLength(const std::function<int(const QString&)>& measure, int clientWidth) {
    QString sep;
    for (int i = 0; i < kMaxSeparator; ++i) {
        if (measure(sep) > clientWidth) break;
        sep += u'=';
    }
    if (!sep.isEmpty() && measure(sep) > clientWidth) sep.chop(1);
    return int(sep.size());
}

std::optional<qint64> documentNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 10) return std::nullopt;
    for (const QChar c : t)
        if (c < u'0' || c > u'9') return std::nullopt;
    const qint64 n = t.toLongLong();
    if (n > 4294967295LL) return std::nullopt;
    return n;
}

QString documentTask(qint64 number) {
    return QStringLiteral("{\"type\": \"getFnDocument\", \"fiscalDocumentNumber\": ") +
           QString::number(number) + QStringLiteral(", \"withRawData\": false}");
}

std::optional<RenderSource> readRenderSource(drv::Fptr& fptr, ui::IUi& ui, qint64 number,
                                             bool withRegistration) {
    RenderSource s;
    const int json = fptr.c(drv::names::LIBFPTR_PARAM_JSON_DATA);
    fptr.setParam(json, documentTask(number));
    fptr.processJson();
    reportError(fptr, ui);
    s.answer = DocumentAnswer::parse(fptr.getParamString(json));
    if (s.answer.failed()) {
        ui.message(s.answer.error(), ui::Icon::Error);
        return std::nullopt;
    }

    fptr.setParam(drv::names::LIBFPTR_PARAM_FN_DATA_TYPE,
                  fptr.c(drv::names::LIBFPTR_FNDT_DOCUMENT_BY_NUMBER));
    fptr.setParam(drv::names::LIBFPTR_PARAM_DOCUMENT_NUMBER, QString::number(number));
    fptr.fnQueryData();
    s.byNumber.fiscalSign = fptr.getParamString(drv::names::LIBFPTR_PARAM_FISCAL_SIGN);
    s.byNumber.hasOfdTicket = fptr.getParamBool(drv::names::LIBFPTR_PARAM_HAS_OFD_TICKET);

    for (int i = 0; i < s.answer.itemCount(); ++i) {
        if (!s.answer.item(i, QStringLiteral("1199"))) continue;
        s.vat = {constantText(fptr, drv::names::LIBFPTR_TAX_VAT20),
                 constantText(fptr, drv::names::LIBFPTR_TAX_VAT10),
                 constantText(fptr, drv::names::LIBFPTR_TAX_VAT120),
                 constantText(fptr, drv::names::LIBFPTR_TAX_VAT110),
                 constantText(fptr, drv::names::LIBFPTR_TAX_VAT0),
                 constantText(fptr, drv::names::LIBFPTR_TAX_NO)};
        break;
    }

    if (withRegistration) {
        RegistrationData r;
        fptr.setParam(drv::names::LIBFPTR_PARAM_FN_DATA_TYPE,
                      fptr.c(drv::names::LIBFPTR_FNDT_REG_INFO));
        fptr.fnQueryData();
        r.user = fptr.getParamString(1048);
        r.inn = fptr.getParamString(1018);
        r.taxation = fptr.getParamString(1062);
        if (!r.taxation.isEmpty())
            r.codes = {constantText(fptr, drv::names::LIBFPTR_TT_OSN),
                       constantText(fptr, drv::names::LIBFPTR_TT_USN_INCOME),
                       constantText(fptr, drv::names::LIBFPTR_TT_USN_INCOME_OUTCOME),
                       constantText(fptr, drv::names::LIBFPTR_TT_ESN),
                       constantText(fptr, drv::names::LIBFPTR_TT_PATENT)};
        r.address = fptr.getParamString(1009);
        r.place = fptr.getParamString(1187);
        r.regNumber = fptr.getParamString(1037);
        fptr.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, fptr.c(drv::names::LIBFPTR_DT_STATUS));
        fptr.queryData();
        r.serial = fptr.getParamString(drv::names::LIBFPTR_PARAM_SERIAL_NUMBER);
        fptr.setParam(drv::names::LIBFPTR_PARAM_FN_DATA_TYPE,
                      fptr.c(drv::names::LIBFPTR_FNDT_FN_INFO));
        fptr.fnQueryData();
        r.fnSerial = fptr.getParamString(drv::names::LIBFPTR_PARAM_SERIAL_NUMBER);
        s.registration = r;
    }
    return s;
}

QStringList itemLines(const QString& name, const QString& tail, int width) {
    const int nameLen = charCount(name);
    const int tailLen = charCount(tail);
    if (nameLen + tailLen <= width - 1)
        return {name + blanks(width - 1 - nameLen - tailLen) + u' ' + tail};
    if (nameLen <= width) return {name, blanks(width - tailLen) + tail};
    return {name + u' ' + tail};
}

Rendering render(const RenderSource& source, int width, Sender sender,
                 const std::optional<QTimeZone>& zone) {
    Rendering r;
    QStringList& lines = r.lines;
    const DocumentAnswer& a = source.answer;
    width = std::clamp(width, 0, kMaxSeparator);
    const QString separator(width, u'=');
    const auto tlv = [&a](const char* key) { return a.tlv(QLatin1String(key)); };

    // Header.
    if (a.isShort()) lines << kShortNote << QString();
    if (const auto when = tlv("1012")) {
        const QDateTime dt = drv::parseIsoDateTime(*when);
        if (dt.isValid()) {
            const QDateTime local = zone ? dt.toTimeZone(*zone) : dt.toLocalTime();
            lines << kDateTime + drv::dateTimeText(local);
            if (sender == Sender::NextShift || sender == Sender::PreviousShift)
                r.pickerDateTime = local;
        } else {
            // A date the driver wrote in some other form is shown as it stands.
            lines << kDateTime + *when;
        }
    }
    addIfPresent(lines, kCashier, tlv("1021"));
    if (const auto type = tlv("fiscalDocumentType")) {
        const QString key = type->toLower();
        lines << kDocType + mapped(documentTypes(), key);
        r.receiptType = key == u"receipt" || key == u"receiptcorrection" || key == u"bso" ||
                        key == u"bsocorrection";
    }
    if (const auto sign = tlv("1054")) lines << kCalcSign + mapped(calculationSigns(), *sign);
    addIfPresent(lines, kFdNumber, tlv("1040"));
    lines << kFiscalSign + source.byNumber.fiscalSign;
    if (const auto ffd = tlv("1209")) lines << kFfd + mapped(formatVersions(), *ffd);
    if (const auto shift = tlv("1038")) {
        lines << kShift + *shift;
        r.shiftNumber = *shift;
    } else {
        r.shiftNumber = QStringLiteral("-1");
    }
    addIfPresent(lines, kReceiptInShift, tlv("1042"));
    lines << kSentToOfd +
                 (source.byNumber.hasOfdTicket ? QStringLiteral("Да") : QStringLiteral("Нет"));
    lines << separator;

    // Items: every element of 1059. Each block ends with an empty line; the last one is taken
    // away again, and with no items at all the separator above goes instead.
    const int count = a.itemCount();
    for (int i = 0; i < count; ++i) {
        const auto item = [&a, i](const char* key) { return a.item(i, QLatin1String(key)); };
        const QString name = item("1030").value_or(QString());
        QString tail = item("1079").value_or(QString());
        if (const auto quantity = item("1023")) tail += QStringLiteral(" x ") + *quantity;
        if (const auto sum = item("1043")) tail += QStringLiteral(" =") + *sum;
        lines << itemLines(name, tail, width);

        QString attributes;
        if (const auto subject = item("1212")) attributes = mapped(itemSubjects(), *subject);
        if (const auto method = item("1214"))
            attributes += QStringLiteral(" - ") + mapped(paymentMethods(), *method);
        if (const auto vat = item("1199"))
            attributes += QStringLiteral(" - ") + vatName(vat->toLower(), source.vat);
        lines << attributes;
        addIfPresent(lines, kMarkedCode, item("1162"));
        lines << QString();
    }
    lines.removeLast();

    // Totals, VAT sums and payments.
    if (r.receiptType) lines << separator;
    addIfPresent(lines, kTotal, tlv("1020"));
    if (r.receiptType) lines << separator;
    for (const Sum& s : kSums) addIfPresent(lines, s.label, tlv(s.key));

    // The register's current registration data.
    if (source.registration) {
        const RegistrationData& reg = *source.registration;
        r.bothScrollBars = true;
        lines << separator;
        addIfNotEmpty(lines, kUser, reg.user);
        addIfNotEmpty(lines, kInn, reg.inn);
        lines << kTaxation +
                     (reg.taxation.isEmpty() ? QString() : taxationName(reg.taxation, reg.codes));
        addIfNotEmpty(lines, kAddress, reg.address);
        addIfNotEmpty(lines, kPlace, reg.place);
        addIfNotEmpty(lines, kRegNumber, reg.regNumber);
        addIfNotEmpty(lines, kSerial, reg.serial);
        addIfNotEmpty(lines, kFnSerial, reg.fnSerial);
        addIfPresent(lines, kQr, tlv("qr"));
    }
    return r;
}

}  // namespace documents
