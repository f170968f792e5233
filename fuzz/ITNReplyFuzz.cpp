// ITN replies: the first input byte is the most data the caller takes, the
// rest is what the line gave. The decoder writes no further than that, and
// what it accepts is a known reply of the code it starts with.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controllers/serial/register/ITNLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize < 1) {
        return 0;
    }
    int replyMax = p_pData[0] % (ITNLink::MAX_DATA + 1);
    BufferSource source(reinterpret_cast<const char*>(p_pData + 1), p_nSize - 1);
    char* reply = new char[replyMax > 0 ? replyMax : 1];
    int length = -1;
    std::string error;
    int result = ITNLink::receiveReply(source, reply, replyMax, length, error);
    bool known = result == ITNLink::ACKNOWLEDGED || result == ITNLink::DATA ||
                 result == ITNLink::BAD_CODE || result == ITNLink::MALFORMED;
    if (!known || (result == ITNLink::DATA) != (length > 0) || length > replyMax ||
        (result < 0) == error.empty()) {
        std::abort();
    }
    if (result == ITNLink::DATA && length >= 2) {
        ITNLink::FlipChar(reply);
    }
    delete[] reply;
    return 0;
}
