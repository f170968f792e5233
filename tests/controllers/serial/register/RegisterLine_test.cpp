#include <gtest/gtest.h>

#include <string>

#include "controllers/serial/register/RegisterLine.h"
#include "sim/SimSerialPort.h"
#include "support/HexBytes.h"
#include "support/TestController.h"

namespace {

// A line that never falls silent, and counts the reads it served.
class BabblingPort : public IUARTController {
public:
    int open(const std::string&) override { return 0; }
    void close(int) override {}
    int setParameter(int, int, int, int, int) override { return 1; }
    int write(int, const char*, int p_nLength) override { return p_nLength; }
    int read(int, char* p_pBuffer, int p_nMaxLength, int p_nWait) override {
        ++nReads;
        nLastWait = p_nWait;
        if (p_nMaxLength > 0) {
            p_pBuffer[0] = '\x55';
        }
        return p_nMaxLength > 0 ? 1 : 0;
    }
    int nReads = 0;
    int nLastWait = 0;
};

}  // namespace

TEST(RegisterLine, ADrainGivesUpOnALineThatNeverFallsSilent) {
    BabblingPort* babbling = new BabblingPort();
    SafePointer<IUARTController> port(babbling);
    int index = 0;
    OVMutex mutex;
    ScratchRoot root;
    TestController owner;
    RegisterLine line(owner, port, index, mutex);
    EXPECT_EQ(RegisterLine::DRAIN_LIMIT, line.recvLeftData());
    EXPECT_EQ(RegisterLine::DRAIN_LIMIT, babbling->nReads);
    EXPECT_EQ(RegisterLine::DRAIN_WAIT, babbling->nLastWait);
    // A read collects what it asked for over several port reads.
    char buffer[5];
    EXPECT_EQ(5, line.read(buffer, 5, 3));
    EXPECT_EQ(3, babbling->nLastWait);
}

// After a failed exchange the drain says whether the module was silent, so
// a failure reads as what it was.
TEST(RegisterLine, ADrainAfterSilenceSaysTheModuleDidNotAnswer) {
    ScratchRoot root;
    TestController owner;
    SimSerialPort* silent = new SimSerialPort();
    SafePointer<IUARTController> port(silent);
    int index = 0;
    OVMutex mutex;
    RegisterLine line(owner, port, index, mutex);
    std::string request = hex("06 52 06 49 49 F0");
    char reply[4];
    testing::internal::CaptureStdout();
    EXPECT_EQ(6, line.write(request.data(), 6));
    EXPECT_EQ(0, line.read(reply, 4, 1));
    line.recvLeftData();
    // A module that answered wrongly was heard: no such line.
    silent->scriptAnswer(hex("06 F1"));
    line.write(request.data(), 6);
    line.read(reply, 4, 1);
    line.recvLeftData();
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("the module did not answer 06 52 06 49 49 F0"),
              log.rfind("the module did not answer"))
        << log;
    EXPECT_NE(std::string::npos, log.find("the module did not answer 06 52 06 49 49 F0")) << log;
}

TEST(RegisterBytes, SumsByteOrdersDumpsAndBufferedReplies) {
    std::string frame = hex("03 02 00 0F");
    EXPECT_EQ(0x14, RegisterBytes::additiveSum(frame.data(), frame.size()));
    EXPECT_EQ(0xEB, RegisterBytes::invertedSum(frame.data(), frame.size()));
    std::string value = hex("12 34 56 78");
    EXPECT_EQ(0x3412, RegisterBytes::littleEndian16(value.data()));
    EXPECT_EQ(0x1234, RegisterBytes::bigEndian16(value.data()));
    EXPECT_EQ(0x12345678u, RegisterBytes::bigEndian32(value.data()));
    char out[2];
    RegisterBytes::putLittleEndian16(out, 0xABCD);
    EXPECT_EQ("CD AB", text(std::string(out, 2)));
    RegisterBytes::putBigEndian16(out, 0xABCD);
    EXPECT_EQ("AB CD", text(std::string(out, 2)));
    EXPECT_EQ("0x81\t0x0a\t", RegisterBytes::dump("\x81\x0A", 2, "0x%02x\t"));

    BufferSource source(value.data(), value.size());
    char buffer[8];
    EXPECT_EQ(3, source.read(buffer, 3, 1));
    EXPECT_EQ(1, source.read(buffer, 8, 1));
    EXPECT_EQ(0, source.read(buffer, 8, 1));
}
