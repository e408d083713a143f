// Cliche files: decoded into lines, and the lines written back.
#include "FuzzInput.h"
#include "cliche/ClicheFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto read = cliche::decodeClicheFile(fuzz::bytes(data, size));
    if (read.ok) cliche::encodeClicheFile(read.lines);
    return 0;
}
