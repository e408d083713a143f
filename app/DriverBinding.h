#pragma once
// Finding and binding the register driver at start-up, and what the Подключение tab says of it.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "driver/Fptr.h"

namespace platform {
class IPc;
}

namespace app {

inline const QString kWindowCaption = QStringLiteral("Velmor АТОЛ ККТ 1.1 Beta");
inline const QString kDistributorAddress = QStringLiteral("www.velmor-kkt.ru");

namespace paths {
inline const QString programFilesX86 = QStringLiteral("c:\\Program Files (x86)");
inline const QString x86Present =
    QStringLiteral("c:\\Program Files (x86)\\ATOL\\Drivers10\\KKT\\bin\\fptr10.dll");
inline const QString x86Version =
    QStringLiteral("c:\\Program Files (x86)\\ATOL\\Drivers10\\kkt\\bin\\fptr10.dll");
inline const QString pfPresent =
    QStringLiteral("c:\\Program Files\\ATOL\\Drivers10\\KKT\\bin\\fptr10.dll");
inline const QString pfVersion =
    QStringLiteral("c:\\Program Files\\ATOL\\Drivers10\\kkt\\bin\\fptr10.dll");
inline const QString addin = QStringLiteral(
    "c:\\Program Files (x86)\\ATOL\\Drivers10\\kkt\\langs\\com\\addin_fptr10_x86.dll");
}  // namespace paths

struct Binding {
    bool is32prog = true;
    bool is32os = false;
    bool drvX86 = false;
    bool drvX64 = false;
    bool fptrOK = false;
    QString drvVer;
    QString titleSuffix;      // appended to the window caption
    QString label;            // lblDrvVer
    QString downloadCaption;  // btnDrvDown
    QStringList memoLines;    // lines added to mmoInfo
    std::unique_ptr<drv::Fptr> fptr;
};

// Windows edition name for a product type; empty when the query failed.
QString editionName(std::optional<int> productType);

// Steps 1 to 8 of the binding, in order.
Binding bindDriver(platform::IPc& pc);

}  // namespace app
