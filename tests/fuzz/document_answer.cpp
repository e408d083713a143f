// Fiscal document answers: parsed, classified and read as the document view reads them.
#include "FuzzInput.h"
#include "documents/DocumentAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto a = documents::DocumentAnswer::parse(QString::fromUtf8(fuzz::bytes(data, size)));
    a.docClass();
    for (const char* key : {"1012", "1059", "fiscalDocumentType", "1020"})
        if (const auto t = a.tlv(QString::fromLatin1(key))) documents::wholeNumber(*t);
    a.item(0, QStringLiteral("1030"));
    return 0;
}
