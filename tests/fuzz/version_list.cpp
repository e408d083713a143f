// The distributor's files: the version list, the history and the USB driver's .inf.
#include "FuzzInput.h"
#include "update/Rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray in = fuzz::bytes(data, size);
    update::parseVersionList(in);
    QString error;
    if (const auto lines = update::textLines(in, update::kHistoryCap, &error)) {
        const QString line = update::findVersionLine(*lines);
        update::substituteVersion(QStringLiteral("https://h/x-%1.zip"),
                                  update::extractVersion(line));
    }
    update::usbcomVersionFromInf(in);
    return 0;
}
