// Seawolf replies: the first input byte is the most data the caller takes,
// the rest is what the line gave. Whatever the length byte says, the decoder
// writes no further than that maximum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "controllers/serial/register/SeawolfLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize < 1) {
        return 0;
    }
    int replyMax = p_pData[0] % (SeawolfLink::MAX_DATA + 1);
    BufferSource source(reinterpret_cast<const char*>(p_pData + 1), p_nSize - 1);
    char* reply = new char[replyMax > 0 ? replyMax : 1];
    int length = -1;
    int result = SeawolfLink::receiveReply(source, reply, replyMax, length);
    bool data = result == SeawolfLink::DATA;
    if (result < SeawolfLink::MODULE_ERROR_CODE || result > SeawolfLink::DATA ||
        length > replyMax || (data ? length < 0 : length != 0)) {
        std::abort();
    }
    delete[] reply;
    return 0;
}
