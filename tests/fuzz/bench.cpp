// Bench files: read into the virtual register's world; a bad one is refused with BenchError.
#include "emulator/Bench.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        emu::World::instance().loadJson(fuzz::bytes(data, size), QStringLiteral("fuzz"));
    } catch (const emu::BenchError&) {
    }
    return 0;
}
