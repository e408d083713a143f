// The handle-listing tool's output: split into lines as the runner does, each line read.
#include "FuzzInput.h"
#include "discovery/DosCommand.h"
#include "discovery/HandleListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    discovery::LineSplitter splitter;
    const auto read = [](const QString& line, discovery::TOutputType) {
        discovery::parseHandleLine(line);
    };
    splitter.feedBytes(fuzz::bytes(data, size), read);
    splitter.finish(read);
    return 0;
}
