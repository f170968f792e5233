// Effio DSP replies: the first input byte says how many data bytes the read
// asked for, the rest is what the line gave. Whatever the bytes say, the
// decoders read only what was received, and a decoded read hands over
// exactly the data bytes between status and checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "controllers/serial/register/EffioLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize < 1) {
        return 0;
    }
    int wanted = p_pData[0] % (EffioLink::MAX_DATA + 1);
    const char* reply = reinterpret_cast<const char*>(p_pData + 1);
    int received = static_cast<int>(p_nSize - 1);
    char out[EffioLink::MAX_DATA] = {0};
    if (EffioLink::decodeReadReply(reply, received, wanted, out) == EffioLink::DECODED &&
        (received < wanted + 3 || std::memcmp(out, reply + 2, static_cast<size_t>(wanted)) != 0)) {
        std::abort();
    }
    if (EffioLink::decodeWriteReply(reply, received) == EffioLink::DECODED && received < 3) {
        std::abort();
    }
    return 0;
}
