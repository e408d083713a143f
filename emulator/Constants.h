#pragma once
// The virtual register's own use of the driver's constants: every value comes from the table of
// the maker's published values (driver/Names.h); nothing here chooses a number.
#include <QString>
#include <string_view>

#include "driver/Names.h"

namespace emu {

// Value of a published constant the virtual register relies on; a name missing from the table is
// a programming error (std::logic_error), never a silent 0.
int k(std::string_view name);

// The driver's Russian description of an error code ("Нет связи", ...).
QString errorText(int code);
// What the driver advises the user to do about an error code; empty when it has no advice.
QString errorRecommendation(int code);

}  // namespace emu
