// IT1 and ITN-style counted replies: the first input byte is the largest
// reply the caller takes, the rest is what the line gave. Whatever the count
// byte says, the decoder writes no further than that maximum, and a reply it
// accepts is exactly as long as its count and adds up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "controllers/serial/register/IT1Link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    if (p_nSize < 1) {
        return 0;
    }
    int replyMax = p_pData[0] % (IT1Link::MAX_REPLY + 1);
    BufferSource source(reinterpret_cast<const char*>(p_pData + 1), p_nSize - 1);
    // Exactly replyMax bytes, so a write past it is caught by the sanitizers.
    char* reply = new char[replyMax > 0 ? replyMax : 1];
    IT1Link::Failure failure;
    int length = IT1Link::receiveReply(source, reply, replyMax, failure);
    if (length > 0) {
        int value = 0;
        if (length > replyMax || static_cast<unsigned char>(reply[0]) != length ||
            IT1Link::computeCheckSum(reply, length - 1) !=
                static_cast<unsigned char>(reply[length - 1])) {
            std::abort();
        }
        IT1Link::replyValue(reply, length, value);
        IT1Link::isWriteDone(reply, length);
    }
    delete[] reply;
    return 0;
}
