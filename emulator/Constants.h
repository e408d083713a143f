#pragma once
#include <QHash>
#include <QString>

namespace emu {
// The driver's LIBFPTR_ constants with the values the maker publishes.
const QHash<QString, int>& constants();
// Value of a constant that must exist (for the emulator's own use).
int k(const char* name);
}  // namespace emu
