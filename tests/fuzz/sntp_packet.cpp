// SNTP reply packets: decoded, and their times read as the client reads them (the era nearest
// the PC's clock, then offset and round trip against a request sent at a fixed PC time).
#include "FuzzInput.h"
#include "service/Sntp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto p = service::NtpPacket::decode(fuzz::bytes(data, size));
    if (!p) return 0;
    p->referenceText();
    service::fromNtp(p->transmit);
    const qint64 t1 = 1765324800LL * 1000000;  // 2025-12-10 00:00 UTC
    const qint64 t2 = service::fromNtp(p->receive, t1);
    const qint64 t3 = service::fromNtp(p->transmit, t1);
    service::offsetAndDelay(t1, t2, t3, t1 + 20000);
    return 0;
}
