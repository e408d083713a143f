#pragma once
// The JSON tasks of processJson beyond the storage's own answers: receipts and corrections,
// the shift, reports, cash, non-fiscal documents, printing, queries and the marking-code tasks.
// Each task is checked first (error 501 and the failing field, nothing touched), then carried out
// with the register's own operations, so it keeps the same counters, shift and archive as the
// calls a program makes one by one.
#include <QJsonObject>
#include <optional>

#include "emulator/ops/Call.h"

namespace emu::json {

// Runs the task of `request`; nullopt leaves the answer to the storage's queries (getFnInfo,
// getFnDocument, ... once their request passed the check).
std::optional<int> runTask(Call& c, const QJsonObject& request);

// validateJson: the check step alone.
void addJsonTaskOperations(OperationTable& table);

}  // namespace emu::json
