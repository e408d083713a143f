// Driver answers: parsed, then searched by the paths the reports read.
#include "FuzzInput.h"
#include "driver/JsonAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto a = drv::JsonAnswer::parse(QString::fromUtf8(fuzz::bytes(data, size)));
    for (const char* path : {"fnInfo.serial", "documentTLV.1059[0].1030", "a[1][0]", "[0]", "x."})
        a.textOr(QString::fromLatin1(path));
    return 0;
}
