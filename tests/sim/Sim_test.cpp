#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"

namespace {

std::string readAll(SimSerialPort& p_port, int p_nChunk) {
    std::string got;
    char buffer[64];
    for (int count; (count = p_port.read(0, buffer, p_nChunk, 1)) > 0;) {
        got.append(buffer, static_cast<size_t>(count));
    }
    return got;
}

}  // namespace

TEST(SimSerialPort, EachWriteReleasesTheNextScriptedAnswer) {
    SimSerialPort port;
    port.scriptAnswer("\x90\x41\xFF");
    port.scriptAnswer("\x90\x51\xFF");
    EXPECT_EQ("", readAll(port, 64));  // nothing before the request
    EXPECT_EQ(6, port.write(0, "\x81\x01\x04\x00\x02\xFF", 6));
    EXPECT_EQ("\x90\x41\xFF", readAll(port, 64));
    port.write(0, "x", 1);
    port.write(0, "y", 1);  // the script is used up: no answer
    EXPECT_EQ("\x90\x51\xFF", readAll(port, 64));
    EXPECT_EQ((std::vector<std::string>{std::string("\x81\x01\x04\x00\x02\xFF", 6), "x", "y"}),
              port.writes());
}

TEST(SimSerialPort, InjectsSilenceShortReadsWrongBytesAndShortWrites) {
    SimSerialPort port;
    port.feed("abcdef");
    port.setSilent(true);
    char buffer[8];
    EXPECT_EQ(0, port.read(0, buffer, 8, 4));
    port.setSilent(false);
    port.setShortRead(2);
    EXPECT_EQ(2, port.read(0, buffer, 8, 1));
    EXPECT_EQ("cdef", readAll(port, 8));
    port.setShortRead(0);

    port.scriptAnswer("\x90\x41\xFF");
    port.corruptNextAnswer(1, '\x42');
    port.write(0, "q", 1);
    EXPECT_EQ("\x90\x42\xFF", readAll(port, 8));

    port.setWriteLimit(3);
    EXPECT_EQ(3, port.write(0, "MENUON", 6));
    EXPECT_EQ("MEN", port.writes().back());

    port.setOpenResult(-1);
    EXPECT_EQ(-1, port.open("/dev/ttyAMA1"));
    EXPECT_EQ("/dev/ttyAMA1", port.opened());
    EXPECT_TRUE(port.setParameter(0, 9600, 8, 1, 0));
    EXPECT_EQ((std::vector<int>{9600, 8, 1, 0}), port.lineParameters());
}

TEST(SimGPIO, PinsReadBackWhatWasSetAndFailOnRequest) {
    SimGPIO gpio;
    int level = -1;
    EXPECT_TRUE(gpio.getLevel(1, 2, level));
    EXPECT_EQ(0, level);
    EXPECT_TRUE(gpio.setLevel(1, 2, 1));
    EXPECT_TRUE(gpio.getLevel(1, 2, level));
    EXPECT_EQ(1, level);
    gpio.setInput(3, 4, 1);
    EXPECT_EQ(1, gpio.level(3, 4));

    gpio.failWrites(1, 2);
    gpio.failReads(3, 4);
    EXPECT_FALSE(gpio.setLevel(1, 2, 0));
    EXPECT_EQ(1, gpio.level(1, 2));
    level = -1;
    EXPECT_FALSE(gpio.getLevel(3, 4, level));
    EXPECT_EQ(-1, level);
    EXPECT_TRUE(gpio.setLevel(1, 3, 0));  // other pins still work
    ASSERT_EQ(2u, gpio.writes().size());
    EXPECT_EQ(3, gpio.writes()[1].nPin);

    gpio.setStartResult(0);
    EXPECT_EQ(0, gpio.start());
    EXPECT_EQ(1, gpio.startCalls());
}
