// SNTP reply packets.
#include "FuzzInput.h"
#include "service/Sntp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto p = service::NtpPacket::decode(fuzz::bytes(data, size)))
        service::fromNtp(p->transmit);
    return 0;
}
