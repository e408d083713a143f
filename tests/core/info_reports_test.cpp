// The report builders of the ККМ, Регистрация and ФН tabs against the virtual register, without
// a window: each test sets up a bench, opens the register and checks rows and driver calls.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QTemporaryDir>
#include <functional>

#include "driver/DriverLog.h"
#include "driver/Fptr.h"
#include "driver/ValueText.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"
#include "info/DeviceStatusReport.h"
#include "info/FnReport.h"
#include "info/RegistrationReport.h"
#include "tests/support/Benches.h"

namespace {

using Edit = std::function<void(QJsonObject&)>;

// The demo bench with register `index` changed by `edit`.
void useBench(int index, const Edit& edit) {
    auto root = QJsonDocument::fromJson(emu::World::demoBenchJson()).object();
    auto regs = root.value("registers").toArray();
    auto r = regs[index].toObject();
    edit(r);
    regs[index] = r;
    root["registers"] = regs;
    emu::World::instance().loadJson(QJsonDocument(root).toJson(), "info test bench");
}

QJsonObject merged(QJsonObject base, const QJsonObject& changes) {
    for (auto i = changes.begin(); i != changes.end(); ++i) base[i.key()] = i.value();
    return base;
}

class InfoReports : public ::testing::Test {
  protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        drv::setDispatchFactory(&emu::VirtualRegister::create);
        emu::World::instance().loadDemo();
        logPath_ = dir_.filePath("driver.jsonl");
        drv::DriverLog::instance().setPath(logPath_);
    }
    void TearDown() override {
        drv::DriverLog::instance().setPath({});
        QLocale::setDefault(QLocale::c());
        emu::World::instance().loadDemo();
    }

    // Opens the USB register (COM5) or the network one.
    std::unique_ptr<drv::Fptr> open(bool network = false) {
        auto f = drv::Fptr::create();
        f->setSingleSetting("Model", "500");
        f->setSingleSetting("Port", network ? "2" : "0");
        if (network) {
            f->setSingleSetting("IPAddress", "192.168.77.40");
            f->setSingleSetting("IPPort", "5555");
        } else {
            f->setSingleSetting("ComFile", "5");
        }
        f->applySingleSettings();
        f->open();
        EXPECT_TRUE(f->isOpened());
        // start the log afresh (the log keeps its file open)
        drv::DriverLog::instance().setPath({});
        QFile::remove(logPath_);
        drv::DriverLog::instance().setPath(logPath_);
        return f;
    }

    // Driver calls logged since the register was opened, as "method(arg,arg)".
    QStringList calls() const { return testing_support::loggedCalls(logPath_); }

    static QString value(const info::ReportRows& rows, const QString& caption) {
        for (const auto& r : rows)
            if (r.cells.value(0) == caption) return r.cells.value(1);
        ADD_FAILURE() << "no row " << caption.toStdString();
        return {};
    }
    static QStringList captions(const info::ReportRows& rows) {
        QStringList out;
        for (const auto& r : rows) out << r.cells.value(0);
        return out;
    }

    QTemporaryDir dir_;
    QString logPath_;
};

const QStringList kStatusCaptions = {"Модель",
                                     "Серийный номер",
                                     "Прошивка",
                                     "Конфигурация",
                                     "Движок шаблонов",
                                     "Блок управления",
                                     "Загрузчик",
                                     "Версия шаблона чеков",
                                     "Напряжение батареи часов",
                                     "Напряжение источника питания",
                                     "Напряжение аккумулятора",
                                     "Модуль Ethernet",
                                     "Модуль Wi-Fi",
                                     "Касса зарегистрирована",
                                     "ФН установлен",
                                     "ФН фискализирован",
                                     "Версия ФФД ККТ",
                                     "Максимальная версия ФФД ККТ",
                                     "Минимальная версия ФФД ККТ",
                                     "Крышка закрыта",
                                     "Бумага есть",
                                     "Ошибка отрезчика",
                                     "Перегрев механизма",
                                     "Касса заблокирована",
                                     "Состояние смены",
                                     "Состояние чека",
                                     "Необнуляемая сумма прихода",
                                     "Дата и время в кассе"};

}  // namespace

TEST_F(InfoReports, DeviceStatusSwitchesSetting37OffAndBack) {
    auto f = open();
    const auto rows = info::buildDeviceStatusReport(*f, true);
    ASSERT_EQ(rows.size(), 30);
    EXPECT_EQ(captions(rows).mid(0, 28), kStatusCaptions);
    EXPECT_EQ(rows[28].cells[0], "Лицензия № 2");
    EXPECT_EQ(rows[29].cells[0], "Лицензия № 5");

    const QStringList log = calls();
    const QString id = QString::number(f->c("LIBFPTR_PARAM_SETTING_ID"));
    const QString val = QString::number(f->c("LIBFPTR_PARAM_SETTING_VALUE"));
    ASSERT_GE(log.size(), 8);
    EXPECT_EQ(log[0], "setParam(" + id + ",37)");
    EXPECT_EQ(log[1], "readDeviceSetting()");
    EXPECT_TRUE(log[2].startsWith("getParamString(" + val));
    EXPECT_EQ(log.mid(3, 3), QStringList({"setParam(" + id + ",37)", "setParam(" + val + ",0)",
                                          "writeDeviceSetting()"}));
    EXPECT_EQ(log.mid(log.size() - 3),
              QStringList(
                  {"setParam(" + id + ",37)", "setParam(" + val + ",1)", "writeDeviceSetting()"}));
    EXPECT_EQ(log.filter("writeDeviceSetting").size(), 2);
    EXPECT_EQ(log.filter("commitSettings").size(), 0);
    // every query of the report lies between the two writes
    const int firstWrite = log.indexOf("writeDeviceSetting()");
    const int lastWrite = log.lastIndexOf("writeDeviceSetting()");
    EXPECT_GT(log.indexOf("queryData()"), firstWrite);
    EXPECT_LT(log.lastIndexOf("endReadRecords()"), lastWrite);
    // the register's setting is 1 again
    f->setParam("LIBFPTR_PARAM_SETTING_ID", 37);
    f->readDeviceSetting();
    EXPECT_EQ(f->getParamString("LIBFPTR_PARAM_SETTING_VALUE"), "1");
}

TEST_F(InfoReports, DeviceStatusLeavesOtherSetting37ValuesAlone) {
    for (const QJsonValue& v : {QJsonValue(0), QJsonValue(2)}) {
        useBench(0, [&](QJsonObject& r) {
            r["settings"] = QJsonArray{QJsonObject{{"id", 37}, {"type", "number"}, {"value", v}}};
        });
        auto f = open();
        const auto rows = info::buildDeviceStatusReport(*f, true);
        EXPECT_EQ(rows.size(), 30);
        EXPECT_EQ(calls().filter("writeDeviceSetting").size(), 0) << v.toInt();
    }
    // no setting 37 at all (a table of only the listed settings): nothing written either
    useBench(0, [](QJsonObject& r) {
        r["settingsBase"] = "none";
        r["settings"] = QJsonArray();
    });
    auto f = open();
    info::buildDeviceStatusReport(*f, true);
    EXPECT_EQ(calls().filter("writeDeviceSetting").size(), 0);
}

TEST_F(InfoReports, DeviceStatusValuesOfThePlatform5Register) {
    auto f = open();
    const auto rows = info::buildDeviceStatusReport(*f, true);
    EXPECT_EQ(value(rows, "Модель"), "АТОЛ 30Ф");
    EXPECT_EQ(value(rows, "Серийный номер"), "00106107311234");
    EXPECT_EQ(value(rows, "Прошивка"), "Версия: 5.8.100");
    EXPECT_EQ(value(rows, "Конфигурация"), "Версия: 5.8.100 / Релиз: 7951");
    EXPECT_EQ(value(rows, "Движок шаблонов"), "Версия: 5.8.8.0");
    EXPECT_EQ(value(rows, "Версия шаблона чеков"), "Шаблон чеков ФФД 1.2 (v.28)");
    EXPECT_EQ(value(rows, "Напряжение батареи часов"), "3,1 В");
    EXPECT_EQ(value(rows, "Напряжение источника питания"), "24,2 В");
    EXPECT_EQ(value(rows, "Напряжение аккумулятора"), "0 В");
    EXPECT_EQ(value(rows, "Модуль Ethernet"), "Отсутствует");
    EXPECT_EQ(value(rows, "Модуль Wi-Fi"), "Отсутствует");
    EXPECT_EQ(value(rows, "Касса зарегистрирована"), "Да");
    EXPECT_EQ(value(rows, "Версия ФФД ККТ"), "1.2");
    EXPECT_EQ(value(rows, "Минимальная версия ФФД ККТ"), "1.05");
    EXPECT_EQ(value(rows, "Крышка закрыта"), "Да");
    EXPECT_EQ(value(rows, "Ошибка отрезчика"), "Нет");
    EXPECT_EQ(value(rows, "Состояние смены"), "Открыта");
    EXPECT_EQ(value(rows, "Состояние чека"), "Закрыт");
    EXPECT_EQ(value(rows, "Необнуляемая сумма прихода"), "1283455,5");
    const auto now =
        QDateTime::fromString(value(rows, "Дата и время в кассе"), "dd.MM.yyyy HH:mm:ss");
    ASSERT_TRUE(now.isValid());
    EXPECT_LE(std::abs(now.secsTo(testing_support::registerWallClock())), 60);
    // the register's own clock (+03:00), whatever the PC's zone
    EXPECT_EQ(value(rows, "Лицензия № 2"),
              "Лицензия на ФФД 1.2 (10.01.2023 00:00:00 - 01.01.2038 00:00:00)");
}

TEST_F(InfoReports, DeviceStatusEdgeValues) {
    useBench(0, [](QJsonObject& r) {
        r["wifi"] = 0;
        r["mac"] = "00:11:22:33:44:55";
        r["voltages"] = QJsonObject{{"rtcBattery", 3.5}, {"powerSupply", 12}, {"battery", 7.25}};
        r["flags"] = merged(r["flags"].toObject(), {{"coverOpened", true},
                                                    {"cutError", true},
                                                    {"printerOverheat", true},
                                                    {"blocked", true},
                                                    {"paperPresent", false},
                                                    {"fiscal", false}});
        r["ffd"] = QJsonObject{{"device", 100}, {"deviceMax", 100}, {"deviceMin", 0}};
        r["shift"] =
            QJsonObject{{"state", 2}, {"number", 5}, {"expiresAt", "2024-03-05T10:07:09Z"}};
        r["receipt"] = QJsonObject{{"type", 11}};  // no receipt type has this number
        r["licenses"] = QJsonArray();
    });
    auto f = open();
    const auto rows = info::buildDeviceStatusReport(*f, true);
    ASSERT_EQ(rows.size(), 28);  // no licences: the report ends at the clock
    EXPECT_EQ(value(rows, "Модуль Wi-Fi"), "0");
    EXPECT_EQ(value(rows, "Модуль Ethernet"), "Установлен");
    EXPECT_EQ(value(rows, "Напряжение батареи часов"), "3,5 В");
    EXPECT_EQ(value(rows, "Напряжение аккумулятора"), "7,25 В");
    EXPECT_EQ(value(rows, "Крышка закрыта"), "Нет");
    EXPECT_EQ(value(rows, "Бумага есть"), "Нет");
    EXPECT_EQ(value(rows, "Ошибка отрезчика"), "Да");
    EXPECT_EQ(value(rows, "Перегрев механизма"), "Да");
    EXPECT_EQ(value(rows, "Касса заблокирована"), "Да");
    EXPECT_EQ(value(rows, "Касса зарегистрирована"), "Нет");
    EXPECT_EQ(value(rows, "Версия ФФД ККТ"), "100");
    EXPECT_EQ(value(rows, "Максимальная версия ФФД ККТ"), "1.0");
    EXPECT_EQ(value(rows, "Минимальная версия ФФД ККТ"), "Неизвестно");
    EXPECT_EQ(value(rows, "Состояние смены"), "Истекла (05.03.2024 13:07:09)");  // 10:07:09 UTC
    EXPECT_EQ(value(rows, "Состояние чека"), "");
}

TEST_F(InfoReports, DeviceStatusWifiAndReceiptOnTheNetworkRegister) {
    useBench(1, [](QJsonObject& r) { r["receipt"] = QJsonObject{{"type", 5}}; });
    auto f = open(true);
    const auto rows = info::buildDeviceStatusReport(*f, false);
    EXPECT_EQ(rows.size(), 28);
    EXPECT_EQ(value(rows, "Модуль Wi-Fi"), "Неизвестно");
    EXPECT_EQ(value(rows, "Модуль Ethernet"), "Установлен");
    EXPECT_EQ(value(rows, "Минимальная версия ФФД ККТ"), "1.0");
    EXPECT_EQ(value(rows, "Версия шаблона чеков"), "");
    EXPECT_EQ(value(rows, "Состояние чека"),
              "Открыт чек возврата расхода");                   // LIBFPTR_RT_BUY_RETURN
    EXPECT_EQ(calls().filter("writeDeviceSetting").size(), 0);  // setting 37 reads 0 here
}

TEST_F(InfoReports, DeviceStatusReceiptStateOfEveryReceiptType) {
    // the receipt types by the driver's own names, whatever their numbers
    const QList<std::pair<const char*, QString>> types = {
        {"LIBFPTR_RT_CLOSED", "Закрыт"},
        {"LIBFPTR_RT_SELL", "Открыт чек прихода"},
        {"LIBFPTR_RT_SELL_RETURN", "Открыт чек возврата прихода"},
        {"LIBFPTR_RT_SELL_CORRECTION", "Открыт чек коррекции прихода"},
        {"LIBFPTR_RT_SELL_RETURN_CORRECTION", "Открыт чек коррекции возврата прихода"},
        {"LIBFPTR_RT_BUY", "Открыт чек расхода"},
        {"LIBFPTR_RT_BUY_RETURN", "Открыт чек возврата расхода"},
        {"LIBFPTR_RT_BUY_CORRECTION", "Открыт чек коррекции расхода"},
        {"LIBFPTR_RT_BUY_RETURN_CORRECTION", "Открыт чек коррекции возврата расхода"},
    };
    QList<int> known;
    for (const auto& [name, text] : types) {
        const int type = drv::Fptr::create()->c(name);
        known << type;
        useBench(0, [&](QJsonObject& r) {
            r["receipt"] = QJsonObject{{"type", type}, {"number", 4}, {"documentNumber", 216}};
        });
        auto f = open();
        const auto rows = info::buildDeviceStatusReport(*f, true);
        EXPECT_EQ(value(rows, "Состояние чека"), text) << name << " = " << type;
        EXPECT_EQ(info::receiptStateText(*f, type), text) << name;
    }
    // numbers that name no receipt type leave the value empty
    auto f = open();
    for (int type = -1; type <= 12; ++type) {
        if (known.contains(type)) continue;
        EXPECT_EQ(info::receiptStateText(*f, type), "") << type;
    }
}

TEST_F(InfoReports, RegistrationOfTheFfd12Register) {
    auto f = open();
    const auto report = info::buildRegistrationReport(*f);
    ASSERT_EQ(report.status, info::RegistrationReport::Status::Built);
    const auto& rows = report.rows;
    ASSERT_EQ(rows.size(), 30);
    EXPECT_EQ(rows[0].cells, QStringList({"Регистрационный номер ККТ", "0001234567012345"}));
    EXPECT_EQ(rows[1].cells, QStringList({"Наименование", "ООО \"Ромашка\""}));
    EXPECT_EQ(value(rows, "Системы налогообложения"), "ОСН, УСН доход");
    EXPECT_EQ(value(rows, "Признаки агента"), "Нет");
    EXPECT_EQ(value(rows, "Торговля маркированными товарами"), "Да");
    EXPECT_EQ(value(rows, "Ломбардная деятельность"), "Нет");
    EXPECT_EQ(value(rows, "Номер автомата"), "Нет");
    EXPECT_EQ(value(rows, "ФФД"), "1.2");
    EXPECT_EQ(rows[26].cells, QStringList({"", ""}));
    EXPECT_EQ(rows[26].mark, 10);
    for (int i = 0; i < rows.size(); ++i) {
        if (i != 26) {
            EXPECT_EQ(rows[i].mark, 0) << i;
        }
    }
    EXPECT_EQ(rows[27].cells[0], "Дата пере/регистрации");
    EXPECT_EQ(rows[27].cells[1], "14.03.2023 09:15:00");
    EXPECT_EQ(rows[28].cells, QStringList({"Номер пере/регистрации", "1"}));
    EXPECT_EQ(rows[29].cells, QStringList({"Номер документа пере/регистрации", "1"}));
}

TEST_F(InfoReports, RegistrationFallbacksByFfdVersion) {
    // FFD 1.05 without the device.* paths: "Нет"
    auto f = open(true);
    auto rows = info::buildRegistrationReport(*f).rows;
    EXPECT_EQ(value(rows, "Торговля маркированными товарами"), "Нет");
    EXPECT_EQ(value(rows, "Страховая деятельность"), "Нет");
    EXPECT_EQ(value(rows, "Расчет за услуги"), "Да");
    EXPECT_EQ(value(rows, "ФФД"), "1.05");
    EXPECT_EQ(value(rows, "Номер документа пере/регистрации"), "2710");
    // FFD 1.2 whose answer is not JSON: the paths are absent, the rows stay empty
    useBench(0, [](QJsonObject& r) {
        r["jsonAnswers"] = QJsonObject{{"getRegistrationInfo", "not json"}};
        auto tags = r["registration"].toObject();
        tags["1062"] = 65;
        tags["1057"] = 20 | 0x300;
        tags["1036"] = "A-17";
        r["registration"] = tags;
    });
    f = open();
    rows = info::buildRegistrationReport(*f).rows;
    EXPECT_EQ(rows.size(), 30);
    EXPECT_EQ(value(rows, "Торговля маркированными товарами"), "");
    EXPECT_EQ(value(rows, "Ломбардная деятельность"), "");
    EXPECT_EQ(value(rows, "Системы налогообложения"), "ОСН, ");
    EXPECT_EQ(value(rows, "Признаки агента"), "Пл. агент, Поверенный");
    EXPECT_EQ(value(rows, "Номер автомата"), "A-17");
    // FFD 1.1 register, empty answer
    useBench(0, [](QJsonObject& r) {
        r["jsonAnswers"] = QJsonObject{{"getRegistrationInfo", ""}};
        auto tags = r["registration"].toObject();
        tags["1209"] = 110;
        r["registration"] = tags;
    });
    f = open();
    rows = info::buildRegistrationReport(*f).rows;
    EXPECT_EQ(value(rows, "Ломбардная деятельность"), "Нет");
    EXPECT_EQ(value(rows, "ФФД"), "1.1");
}

TEST_F(InfoReports, RegistrationNeedsAFiscalisedStorage) {
    useBench(0, [](QJsonObject& r) {
        r["flags"] = merged(r["flags"].toObject(), {{"fnPresent", false}});
    });
    auto f = open();
    auto report = info::buildRegistrationReport(*f);
    EXPECT_EQ(report.status, info::RegistrationReport::Status::NoStorage);
    EXPECT_TRUE(report.rows.isEmpty());
    EXPECT_EQ(calls().filter("fnQueryData").size(), 0);
    useBench(0, [](QJsonObject& r) {
        r["flags"] = merged(r["flags"].toObject(), {{"fnFiscal", false}});
    });
    f = open();
    report = info::buildRegistrationReport(*f);
    EXPECT_EQ(report.status, info::RegistrationReport::Status::NotFiscal);
    EXPECT_TRUE(report.rows.isEmpty());
}

TEST_F(InfoReports, FnReportOrderOfTasksAndQueries) {
    auto f = open();
    const auto rows = info::buildFnReport(*f);
    EXPECT_EQ(captions(rows),
              QStringList({"Серийный номер ФН",
                           "Исполнение ФН (только для ФН-М)",
                           "Версия ФФД ФН",
                           "Максимальная версия ФФД ФН",
                           "Фаза жизни ФН",
                           "ФН содержит URI сервера ОКП",
                           "URI сервера ОКП",
                           "Количество проведенных регистраций",
                           "Количество оставшихся регистраций",
                           "Дата первой пере/регистрации",
                           "Дата последней пере/регистрации",
                           "Срок действия ФН",
                           "Срок окончания действия ФН",
                           "Исчерпан ресурс ФН",
                           "Память ФН переполнена",
                           "Требуется срочная замена ФН",
                           "Критическая ошибка ФН",
                           "Количество документов в ФН",
                           "Приблизительное количество ФД которе еще можно записать в ФН",
                           "Количество непереданных в ОФД"}));
    // JSON tasks and storage queries in their order
    const QString json = QString::number(f->c("LIBFPTR_PARAM_JSON_DATA"));
    const QString fnType = QString::number(f->c("LIBFPTR_PARAM_FN_DATA_TYPE"));
    QStringList steps;
    for (const auto& c : calls()) {
        if (c.startsWith("setParam(" + json + ",")) steps << c.mid(10 + json.size());
        if (c.startsWith("setParam(" + fnType + ",")) steps << "fn " + c.mid(10 + fnType.size());
    }
    EXPECT_EQ(steps,
              QStringList(
                  {R"({"type": "getFnDocument", "fiscalDocumentNumber": 1, "withRawData": false}))",
                   R"({"type": "getFnInfo"}))", "fn 7)", "fn 2)", "fn 3)",
                   R"({"type": "getFnStatus"}))", "fn 17)", R"({"type": "ofdExchangeStatus"}))"}));
    EXPECT_EQ(value(rows, "Серийный номер ФН"), "7380440700123456");
    EXPECT_EQ(value(rows, "Исполнение ФН (только для ФН-М)"), "ФН-М");
    EXPECT_EQ(value(rows, "Максимальная версия ФФД ФН"), "1.2");
    EXPECT_EQ(value(rows, "Фаза жизни ФН"), "Фискальный режим");
    EXPECT_EQ(value(rows, "ФН содержит URI сервера ОКП"), "Да");
    EXPECT_EQ(value(rows, "URI сервера ОКП"), "okp.atol.ru:31101");
    EXPECT_EQ(value(rows, "Количество оставшихся регистраций"), "29");
    EXPECT_EQ(value(rows, "Срок окончания действия ФН"), "13.03.2026 21:00:00");  // in UTC
    EXPECT_EQ(value(rows, "Исчерпан ресурс ФН"), "Нет");
    EXPECT_EQ(value(rows, "Количество документов в ФН"), "215");
    EXPECT_EQ(value(rows, "Приблизительное количество ФД которе еще можно записать в ФН"),
              "247785");
    EXPECT_EQ(value(rows, "Количество непереданных в ОФД"), "2");
}

TEST_F(InfoReports, FnReportWithoutFirstDocumentOrWithOddAnswers) {
    useBench(1, [](QJsonObject& r) {
        auto fn = r["fn"].toObject();
        fn["documents"] = QJsonArray();
        fn["keysUpdaterServerUri"] = "";
        auto info = fn["info"].toObject();
        info["livePhase"] = "sleeping";
        info["fnContainsKeysUpdaterServerUri"] = "yes";
        info["warnings"] = QJsonObject{{"resourceExhausted", true}, {"memoryOverflow", "1"}};
        fn["info"] = info;
        r["fn"] = fn;
        r["ffd"] = merged(r["ffd"].toObject(), {{"fnMax", 100}});
        r["jsonAnswers"] = QJsonObject{{"getFnStatus", "<error/>"}, {"ofdExchangeStatus", ""}};
    });
    auto f = open(true);
    const auto rows = info::buildFnReport(*f);
    const auto names = captions(rows);
    EXPECT_EQ(rows.size(), 18);
    EXPECT_FALSE(names.contains("Дата первой пере/регистрации"));
    EXPECT_FALSE(names.contains("Срок действия ФН"));
    EXPECT_EQ(value(rows, "Фаза жизни ФН"), "");
    EXPECT_EQ(value(rows, "ФН содержит URI сервера ОКП"), "");
    EXPECT_EQ(value(rows, "URI сервера ОКП"), "Нет");
    EXPECT_EQ(value(rows, "Максимальная версия ФФД ФН"), "100");
    EXPECT_EQ(value(rows, "Исчерпан ресурс ФН"), "Да");
    EXPECT_EQ(value(rows, "Память ФН переполнена"), "");
    EXPECT_EQ(value(rows, "Требуется срочная замена ФН"), "");
    EXPECT_EQ(value(rows, "Срок окончания действия ФН"), "20.05.2027 00:00:00");
    EXPECT_EQ(value(rows, "Количество документов в ФН"), "");
    EXPECT_EQ(value(rows, "Количество непереданных в ОФД"), "");
    EXPECT_EQ(value(rows, "Приблизительное количество ФД которе еще можно записать в ФН"),
              "120315");
}

TEST_F(InfoReports, FnReportWhenGetFnInfoIsNotJson) {
    useBench(0, [](QJsonObject& r) { r["jsonAnswers"] = QJsonObject{{"getFnInfo", "{broken"}}; });
    auto f = open();
    const auto rows = info::buildFnReport(*f);
    // first registration still shown, no months (no validity), rows without values
    EXPECT_EQ(rows.size(), 19);
    EXPECT_EQ(value(rows, "Серийный номер ФН"), "");
    EXPECT_EQ(value(rows, "Срок окончания действия ФН"), "");
    EXPECT_FALSE(captions(rows).contains("Срок действия ФН"));
    EXPECT_FALSE(value(rows, "Дата первой пере/регистрации").isEmpty());
    EXPECT_EQ(value(rows, "Количество документов в ФН"), "215");
}

TEST_F(InfoReports, FnReportFirstRegistrationWithAnOffset) {
    // the storage writes moments with their offset: 11:15 at +05:00 is 06:15 UTC
    useBench(0, [](QJsonObject& r) {
        auto fn = r["fn"].toObject();
        fn["documents"] = QJsonArray{
            QJsonObject{{"documentTLV", QJsonObject{{"fiscalDocumentType", "registration"},
                                                    {"1012", "2023-03-14T11:15:00+05:00"},
                                                    {"1040", 1},
                                                    {"1077", "0A3F52D1C2B4"}}}}};
        r["fn"] = fn;
    });
    auto f = open();
    const auto rows = info::buildFnReport(*f);
    const QDateTime utc(QDate(2023, 3, 14), QTime(6, 15), Qt::UTC);
    EXPECT_EQ(value(rows, "Дата первой пере/регистрации"), drv::dateTimeText(utc.toLocalTime()));
    EXPECT_TRUE(captions(rows).contains("Срок действия ФН"));
}
