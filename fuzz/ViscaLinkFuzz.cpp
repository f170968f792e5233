// VISCA answers through both of the link's readers, whatever the module
// sends: an exchange is written at most three times, an inquiry the link
// accepts fills exactly the reply asked for (a framed one starting at a 90
// that is no completion), the framed reader hands over nothing longer than
// asked, and taking stale replies off the line writes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ModuleLine.h"
#include "controllers/serial/visca/Visca.h"
#include "framework/NullSenseController.h"
#include "sim/SimGPIO.h"

namespace {

bool isCompletion(const char* p_pBytes, int p_nLength) {
    return p_nLength == 3 && static_cast<unsigned char>(p_pBytes[0]) == 0x90 &&
           (p_pBytes[1] == 0x51 || p_pBytes[1] == 0x52) &&
           static_cast<unsigned char>(p_pBytes[2]) == 0xFF;
}

// What a caller does with a reply's digits.
void decodeValue(const char* p_pReply, int p_nLength) {
    if (p_nLength < 6) {
        return;
    }
    int ratio = 0;
    int position = static_cast<int>(Visca::fromNibbles(p_pReply + 2, 4));
    if (position > 0xFFFF ||
        (Visca::zoomRatio(position, ratio) && (ratio < 1000 || ratio > 12000))) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    FuzzEnvironment environment;
    FuzzBytes input(p_pData, p_nSize);
    const int mode = input.take();
    const ViscaLink::Reader reader = (mode & 1) != 0 ? ViscaLink::FRAMED : ViscaLink::SINGLE_READ;
    const int operation = input.take() % 4;
    const int length = input.take() % 16 + 1;

    Opened<NullSenseController> owner;
    SimSerialPort* line = serveLine(input);
    SafePointer<IUARTController> port(line);
    owner.setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
    const int index = 0;
    OVMutex mutex;
    ViscaLink link(owner, port, index, mutex, reader, (mode >> 1) & 7);

    const std::string frame = Visca::inquiry(0x47);
    // Exactly as long as asked, so a write past it is caught.
    std::vector<char> reply(static_cast<size_t>(length));
    switch (operation) {
        case 0:
            link.sendCommand(frame.data(), static_cast<int>(frame.size()));
            break;
        case 1:
            if (link.sendInquiry(frame.data(), static_cast<int>(frame.size()), reply.data(),
                                 length) == 1) {
                if (reader == ViscaLink::FRAMED && (static_cast<unsigned char>(reply[0]) != 0x90 ||
                                                    isCompletion(reply.data(), length))) {
                    std::abort();
                }
                decodeValue(reply.data(), length);
            }
            break;
        case 2: {
            int got = link.recvData(reply.data(), length, 1);
            if (got == 0 || got > length ||
                (got > 0 && (static_cast<unsigned char>(reply[0]) != 0x90 ||
                             isCompletion(reply.data(), got)))) {
                std::abort();
            }
            break;
        }
        default:
            Visca::takeStaleReplies(owner, *port, index);
            break;
    }
    if (line->writes().size() > (operation == 3 ? 0u : 3u)) {
        std::abort();
    }
    return 0;
}
