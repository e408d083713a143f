#include "emulator/Constants.h"

#include <stdexcept>
#include <string>

namespace emu {

int k(std::string_view name) {
    const auto v = drv::constantValue(name);
    if (!v) throw std::logic_error("no published driver constant " + std::string(name));
    return *v;
}

}  // namespace emu
