#pragma once
// The check step of the JSON tasks, as the driver runs it before the register is touched: each
// task type checks the fields it knows, in a fixed order, and the first failure is the answer
// (error 501 with the field's path). Extra fields pass. Also the value sets the requests name
// (taxation systems, taxes, payment types, ...) as the driver's numbers.
#include <QJsonObject>
#include <QString>
#include <optional>

namespace emu::json {

struct CheckOutcome {
    bool hasCheck = false;  // the task type has a check step at all
    QString error;          // the first failure's text; empty when the request passed
};

// Runs the check step of `request` (its "type" picks the rules). `fnFfd` is the storage's FFD
// version (100, 105, 110, 120): corrections need items from 1.1 on.
CheckOutcome checkTask(const QJsonObject& request, int fnFfd);

// The value sets, as driver numbers; nullopt for a value outside the set.
std::optional<int> receiptTypeOf(const QString& taskType);  // sell, ..., buyReturnCorrection
std::optional<int> taxationTypeOf(const QString& value);    // osn, usnIncome, ...
std::optional<int> taxTypeOf(const QString& value);         // none, vat20, "20", ...
std::optional<int> paymentTypeOf(const QString& value);     // cash, electronically, "7", ...
std::optional<int> paymentMethodOf(const QString& value);   // fullPayment, "4", ...
std::optional<int> paymentObjectOf(const QString& value);   // commodity, service, "4", ...

}  // namespace emu::json
