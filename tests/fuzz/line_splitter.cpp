// The console runner's line splitter: the complete lines must not depend on how the output was
// cut into pieces. The first byte chooses the cut.
#include <cstdlib>

#include "FuzzInput.h"
#include "discovery/DosCommand.h"

namespace {

QStringList split(const QByteArray& in, qsizetype piece) {
    discovery::LineSplitter splitter;
    QStringList lines;
    const auto sink = [&lines](const QString& line, discovery::TOutputType type) {
        if (type == discovery::otEntireLine) lines << line;
    };
    for (qsizetype i = 0; i < in.size(); i += piece) splitter.feedBytes(in.mid(i, piece), sink);
    splitter.finish(sink);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QByteArray in = fuzz::bytes(data + 1, size - 1);
    const qsizetype piece = data[0] % 7 + 1;
    if (split(in, piece) != split(in, qMax<qsizetype>(in.size(), 1))) std::abort();
    return 0;
}
