#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "sim/PtyBridge.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

const std::string kAck = hex("90 41 FF");
const std::string kCompletion = hex("90 51 FF");
const std::string kSyntaxError = hex("90 60 02 FF");

class SimViscaCameraTest : public testing::Test {
protected:
    // One exchange: the frame whole, then everything the camera answered.
    std::string ask(const std::string& p_strFrame) {
        std::string bytes = hex(p_strFrame);
        EXPECT_EQ(static_cast<int>(bytes.size()),
                  m_camera.write(0, bytes.data(), static_cast<int>(bytes.size())));
        return readAll();
    }

    std::string readAll() {
        std::string got;
        char buffer[5];  // smaller than most answers: reads continue where they stopped
        for (int count; (count = m_camera.read(0, buffer, sizeof(buffer), 1)) > 0;) {
            got.append(buffer, static_cast<size_t>(count));
        }
        return got;
    }

    ScratchRoot m_root;
    SimViscaCamera m_camera;
};

TEST_F(SimViscaCameraTest, CommandsAreAcknowledgedThenCompletedAndUnknownOnesRefused) {
    EXPECT_EQ(0, m_camera.open("/dev/ttyAMA1"));
    EXPECT_EQ(kAck + kCompletion, ask("81 01 04 42 00 00 0A 0F FF"));
    EXPECT_EQ(hex("00 00 0A 0F"), m_camera.commandParameters(0x42));
    EXPECT_EQ(kAck + kCompletion, ask("81 01 04 42 00 00 00 03 FF"));
    EXPECT_EQ(hex("00 00 00 03"), m_camera.commandParameters(0x42));
    EXPECT_EQ(2, m_camera.commandCount(0x42));

    m_camera.setSendCompletions(false);
    EXPECT_EQ(kAck, ask("81 01 04 3D 00 FF"));

    EXPECT_EQ(kSyntaxError, ask("81 01 04 77 02 FF"));  // no such command
    EXPECT_EQ(0, m_camera.commandCount(0x77));
    EXPECT_EQ(kSyntaxError, ask("81 01 06 01 FF"));  // another category
    EXPECT_EQ(kSyntaxError, ask("88 30 01 FF"));
    EXPECT_EQ(kSyntaxError, ask("81 01 04 24 72 08 FF"));  // a register needs two nibbles
    EXPECT_EQ(6, m_camera.registerValue(0x72));
    EXPECT_EQ(7u, m_camera.received().size());
    EXPECT_EQ(hex("88 30 01 FF"), m_camera.received()[5]);
}

TEST_F(SimViscaCameraTest, CommandsMoveTheLensAndTheFilterAndInquiriesReportThem) {
    ask("81 01 04 47 07 0A 0C 00 FF");
    EXPECT_EQ(0x7AC0, m_camera.zoomPosition());
    EXPECT_EQ(hex("90 50 07 0A 0C 00 FF"), ask("81 09 04 47 FF"));
    ask("81 01 04 07 27 FF");  // tele stops at the far end
    EXPECT_EQ(31424, m_camera.zoomPosition());
    ask("81 01 04 47 00 00 03 00 01 02 03 04 FF");  // zoom and focus at once
    EXPECT_EQ(0x0030, m_camera.zoomPosition());
    EXPECT_EQ(0x1234, m_camera.focusPosition());
    ask("81 01 04 07 33 FF");  // wide stops at 0
    EXPECT_EQ(0, m_camera.zoomPosition());
    ask("81 01 04 07 20 FF");
    ask("81 01 04 07 00 FF");
    EXPECT_EQ(1000, m_camera.zoomPosition());
    ask("81 01 04 48 0A 0B 0C 0D FF");
    EXPECT_EQ(hex("90 50 0A 0B 0C 0D FF"), ask("81 09 04 48 FF"));

    ask("81 01 04 01 02 FF");
    EXPECT_TRUE(m_camera.irCutNight());
    EXPECT_EQ(hex("90 50 02 FF"), ask("81 09 04 01 FF"));
    ask("81 01 04 01 03 FF");
    EXPECT_EQ(hex("90 50 03 FF"), ask("81 09 04 01 FF"));

    m_camera.setGain(0x1C);
    EXPECT_EQ(hex("90 50 00 00 01 0C FF"), ask("81 09 04 4C FF"));
    EXPECT_EQ(hex("90 50 00 01 FF"), ask("81 09 04 24 56 FF"));
    ask("81 01 04 24 56 00 00 FF");  // ordinary registers change at once
    EXPECT_EQ(hex("90 50 00 00 FF"), ask("81 09 04 24 56 FF"));
    std::string version = ask("81 09 04 22 FF");
    ASSERT_EQ(7u, version.size());
    EXPECT_EQ(hex("90 50"), version.substr(0, 2));
    EXPECT_EQ(kSyntaxError, ask("81 09 04 7E FF"));
    EXPECT_EQ(kSyntaxError, ask("81 09 04 47 01 FF"));
}

TEST_F(SimViscaCameraTest, VideoStandardAndBaudRateChangeOnlyAfterARestart) {
    ask("81 01 04 24 72 00 08 FF");
    EXPECT_EQ(hex("90 50 00 06 FF"), ask("81 09 04 24 72 FF"));
    EXPECT_EQ(kAck + kCompletion, ask("81 01 04 19 03 FF"));
    EXPECT_EQ(1, m_camera.restarts());
    EXPECT_EQ("", ask("81 09 04 24 72 FF"));  // deaf while it starts up
    m_root.clock().advance(19.9);
    EXPECT_TRUE(m_camera.restarting());
    m_root.clock().advance(0.2);
    EXPECT_EQ(hex("90 50 00 08 FF"), ask("81 09 04 24 72 FF"));
    EXPECT_EQ(8, m_camera.registerValue(0x72));

    // The IR board's restart frame restarts too, unanswered.
    ask("81 01 04 24 00 00 02 FF");
    EXPECT_EQ(hex("90 50 03 FF"), ask("81 09 04 01 FF"));  // still at 9600 until then
    m_camera.setRestartSeconds(5);
    EXPECT_EQ("", ask("FE 05 03 01 01 0A FF"));
    EXPECT_EQ(2, m_camera.restarts());
    m_root.clock().advance(5);
    EXPECT_EQ(2, m_camera.registerValue(0x00));
    EXPECT_EQ("", ask("81 09 04 01 FF"));  // the host is still at 9600
    m_camera.setParameter(0, 38400, 8, 1, 0);
    EXPECT_EQ(hex("90 50 03 FF"), ask("81 09 04 01 FF"));
    EXPECT_EQ((std::vector<int>{38400, 8, 1, 0}), m_camera.lineParameters());
}

TEST_F(SimViscaCameraTest, AHostAtAnotherBaudRateIsNotHeard) {
    m_camera.setBaudIndex(1);
    EXPECT_EQ("", ask("81 01 04 01 02 FF"));
    EXPECT_FALSE(m_camera.irCutNight());
    EXPECT_TRUE(m_camera.received().empty());
    std::string half = hex("81 01 04");
    m_camera.write(0, half.data(), 3);
    m_camera.setParameter(0, 19200, 8, 1, 0);
    EXPECT_EQ(kAck + kCompletion, ask("81 01 04 01 02 FF"));  // the half frame was lost
    EXPECT_TRUE(m_camera.irCutNight());
    EXPECT_EQ(1u, m_camera.received().size());
}

TEST_F(SimViscaCameraTest, EachFaultShapesOneAnswerInTheOrderQueued) {
    m_camera.injectFault(SimViscaCamera::FAULT_SILENT);
    m_camera.injectFault(SimViscaCamera::FAULT_COMPLETION_FIRST);
    m_camera.injectFault(SimViscaCamera::FAULT_CORRUPT, 2);
    m_camera.injectFault(SimViscaCamera::FAULT_SYNTAX_ERROR);
    m_camera.injectFault(SimViscaCamera::FAULT_NOISE);
    EXPECT_EQ("", ask("81 01 04 47 01 00 00 00 FF"));
    EXPECT_EQ(0x1000, m_camera.zoomPosition());  // taken, only the answer was lost
    EXPECT_EQ(kCompletion + kAck, ask("81 01 04 07 00 FF"));
    EXPECT_EQ(hex("90 4F FF") + kCompletion, ask("81 01 04 07 00 FF"));
    EXPECT_EQ(hex("A1 41 03 FF"), ask("A1 01 03 FF"));  // an echo with one byte wrong
    EXPECT_EQ(kSyntaxError, ask("81 01 04 47 02 00 00 00 FF"));
    EXPECT_EQ(0x1000, m_camera.zoomPosition());  // refused, so not done

    std::string noisy = ask("81 09 04 47 FF");
    std::string reply = hex("90 50 01 00 00 00 FF");
    ASSERT_GT(noisy.size(), reply.size());
    EXPECT_EQ(reply, noisy.substr(noisy.size() - reply.size()));
    EXPECT_EQ(noisy.size() - reply.size(), noisy.find('\x90'));
    EXPECT_EQ(kAck + kCompletion, ask("81 01 04 07 00 FF"));  // the queue is used up

    m_camera.injectFault(SimViscaCamera::FAULT_LATE);
    std::string frame = hex("81 09 04 01 FF");
    m_camera.write(0, frame.data(), 5);
    m_camera.write(0, frame.data(), 5);  // queues behind the late answer
    char buffer[16];
    EXPECT_EQ(0, m_camera.read(0, buffer, 16, 3));
    EXPECT_EQ(0, m_camera.read(0, buffer, 16, 3));
    EXPECT_EQ(hex("90 50 03 FF 90 50 03 FF"), readAll());
}

TEST_F(SimViscaCameraTest, IrBoardFramesNeedTheirChecksum) {
    EXPECT_EQ(-1, m_camera.irBoardMode());
    EXPECT_EQ(kAck, ask("FE 01 1E 02 00 01 22 FF"));
    EXPECT_EQ(1, m_camera.irBoardMode());
    EXPECT_EQ(kAck, ask("FE 01 1E 02 00 02 23 FF"));
    EXPECT_EQ(2, m_camera.irBoardMode());
    EXPECT_EQ(kAck, ask("FE 01 1E 02 00 00 21 FF"));
    EXPECT_EQ(0, m_camera.irBoardMode());
    EXPECT_EQ(kAck, ask("FE 01 1E 02 07 40 68 FF"));
    EXPECT_EQ(0x40, m_camera.lampValue(0x07));
    EXPECT_EQ(-1, m_camera.lampValue(0x06));

    m_camera.injectFault(SimViscaCamera::FAULT_SYNTAX_ERROR);
    EXPECT_EQ("", ask("FE 01 1E 02 00 02 24 FF"));  // wrong sum: ignored
    EXPECT_EQ("", ask("FE 05 03 01 01 0B FF"));     // not the restart either
    EXPECT_EQ(0, m_camera.irBoardMode());
    EXPECT_EQ(0, m_camera.restarts());
    EXPECT_EQ(kSyntaxError, ask("FE 01 1E 02 00 02 23 FF"));  // the fault waited for an answer
}

TEST_F(SimViscaCameraTest, FramesArriveInAnyPieces) {
    std::string bytes = hex("81 01 04 01 02 FF A1 00 FF FF 81 09 04 01 FF FE 01 1E 02 00 01 22 FF");
    for (char byte : bytes) {
        m_camera.write(0, &byte, 1);
    }
    EXPECT_EQ(kAck + kCompletion + hex("A1 00 FF FF 90 50 02 FF") + kAck, readAll());
    EXPECT_EQ((std::vector<std::string>{hex("A1 00 FF FF")}), m_camera.maskFrames());
    EXPECT_EQ(4u, m_camera.received().size());

    // Two frames and the head of a third in one write.
    EXPECT_EQ(kAck + kCompletion + kAck + kCompletion,
              ask("81 01 04 07 20 FF 81 01 04 07 20 FF 81"));
    EXPECT_EQ(kAck + kCompletion, ask("01 04 07 20 FF"));
    EXPECT_EQ(3000, m_camera.zoomPosition());
}

// Reads from a terminal until p_nWant bytes came or about half a second passed.
std::string readTerminal(int p_nFd, size_t p_nWant) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (got.size() < p_nWant && std::chrono::steady_clock::now() < deadline) {
        pollfd wanted = {p_nFd, POLLIN, 0};
        if (poll(&wanted, 1, 20) > 0) {
            char buffer[64];
            ssize_t count = ::read(p_nFd, buffer, sizeof(buffer));
            if (count > 0) {
                got.append(buffer, static_cast<size_t>(count));
            }
        }
    }
    return got;
}

TEST_F(SimViscaCameraTest, ABridgeServesTheCameraOnAPseudoTerminal) {
    m_camera.setBaudIndex(1);  // answers only when the port's speed is passed on
    PtyBridge bridge(m_camera);
    ASSERT_TRUE(bridge.start());
    ASSERT_EQ(0u, bridge.slavePath().find("/dev/"));
    EXPECT_EQ(bridge.slavePath(), m_camera.opened());
    int fd = ::open(bridge.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios settings;
    ASSERT_EQ(0, tcgetattr(fd, &settings));
    cfmakeraw(&settings);
    cfsetspeed(&settings, B19200);
    ASSERT_EQ(0, tcsetattr(fd, TCSANOW, &settings));

    std::string frame = hex("81 01 04 01 02 FF");
    ASSERT_EQ(6, ::write(fd, frame.data(), frame.size()));
    EXPECT_EQ(kAck + kCompletion, readTerminal(fd, 6));
    EXPECT_TRUE(m_camera.irCutNight());

    // An answer held back still gets out with no further input.
    m_camera.injectFault(SimViscaCamera::FAULT_LATE);
    frame = hex("81 09 04 01 FF");
    ASSERT_EQ(5, ::write(fd, frame.data(), frame.size()));
    EXPECT_EQ(hex("90 50 02 FF"), readTerminal(fd, 4));
    ::close(fd);
    bridge.stop();
    EXPECT_EQ("", bridge.slavePath());
}

}  // namespace
