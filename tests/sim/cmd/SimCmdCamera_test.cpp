#include <gtest/gtest.h>

#include <string>

#include "sim/cmd/SimCmdCamera.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

const std::string kAck = hex("90 41 FF");
const std::string kSyntaxError = hex("90 60 02 FF");

class SimCmdCameraTest : public testing::Test {
protected:
    std::string ask(const std::string& p_strFrame) {
        std::string bytes = hex(p_strFrame);
        m_camera.write(0, bytes.data(), static_cast<int>(bytes.size()));
        std::string got;
        char buffer[4];
        for (int count; (count = m_camera.read(0, buffer, sizeof(buffer), 4)) > 0;) {
            got.append(buffer, static_cast<size_t>(count));
        }
        return got;
    }

    ScratchRoot m_root;
    SimCmdCamera m_camera;
};

}  // namespace

TEST_F(SimCmdCameraTest, CommandsOfItsOwnSetAreAcknowledgedOnce) {
    EXPECT_EQ(kAck, ask("81 01 04 A1 02 FF"));           // defog (CMD7300 layout)
    EXPECT_EQ(kAck, ask("81 01 04 A1 00 00 00 0C FF"));  // saturation (CMD8300 layout)
    EXPECT_EQ(kAck, ask("81 01 04 21 01 00 01 09 FF"));  // a sensitivity
    EXPECT_EQ("", ask("81 01 04 22 FF"));                // the start-up notice
    EXPECT_EQ(1, m_camera.commandCount(0x22));
    EXPECT_EQ(kSyntaxError, ask("81 01 04 5F 01 FF"));                 // a Sony code it lacks
    EXPECT_EQ(kSyntaxError, ask("81 01 04 4E 07 FF"));                 // a long setting sent short
    EXPECT_EQ(kSyntaxError + kSyntaxError, ask("81 01 04 51 FF FF"));  // FF as a parameter
    EXPECT_EQ(0, m_camera.commandCount(0x51));
}

TEST_F(SimCmdCameraTest, ItsOwnSwitchingFollowsTheSceneOtherwiseTheLastFilterCommand) {
    const std::string night = hex("90 50 02 FF");
    const std::string day = hex("90 50 03 FF");
    ask("81 01 04 01 02 FF");
    EXPECT_EQ(night, ask("81 09 04 01 FF"));
    m_camera.setSceneDark(false);
    ask("81 01 04 51 02 FF");
    EXPECT_TRUE(m_camera.autoDayNight());
    EXPECT_EQ(day, ask("81 09 04 01 FF"));
    m_camera.setSceneDark(true);
    EXPECT_EQ(night, ask("81 09 04 01 FF"));
    ask("81 01 04 51 03 FF");
    ask("81 01 04 01 03 FF");
    EXPECT_EQ(day, ask("81 09 04 01 FF"));
    EXPECT_FALSE(m_camera.reportsNight());
}

TEST_F(SimCmdCameraTest, FaultsOfTheViscaCameraAndACompletionInPlaceOfTheAcknowledgement) {
    m_camera.injectFault(SimViscaCamera::FAULT_COMPLETION_ONLY);
    m_camera.injectFault(SimViscaCamera::FAULT_SILENT);
    m_camera.injectFault(SimViscaCamera::FAULT_CORRUPT);
    m_camera.injectFault(SimViscaCamera::FAULT_SYNTAX_ERROR);
    ask("81 01 04 22 FF");  // unanswered: it leaves the faults queued
    EXPECT_EQ(hex("90 51 FF"), ask("81 01 04 53 02 FF"));
    EXPECT_EQ("", ask("81 01 04 53 02 FF"));
    EXPECT_EQ(hex("90 4F FF"), ask("81 01 04 53 02 FF"));
    EXPECT_EQ(kSyntaxError, ask("81 01 04 53 02 FF"));
    EXPECT_EQ(kAck, ask("81 01 04 53 02 FF"));
}

TEST_F(SimCmdCameraTest, RestartFramesPutTheVideoRegisterInForce) {
    m_camera.setRestartSeconds(2);
    EXPECT_EQ(kAck, ask("81 01 04 24 72 01 01 FF"));
    EXPECT_EQ(hex("90 50 00 06 FF"), ask("81 09 04 24 72 FF"));
    EXPECT_EQ("", ask("FE 05 03 01 01 0A FF"));
    EXPECT_EQ("", ask("81 09 04 24 72 FF"));  // starting up: deaf
    m_root.clock().advance(2);
    EXPECT_EQ(hex("90 50 01 01 FF"), ask("81 09 04 24 72 FF"));
    EXPECT_EQ(kAck, ask("81 01 04 24 72 00 08 FF"));
    EXPECT_EQ(kAck, ask("81 01 04 19 03 FF"));  // the reset command restarts it too
    m_root.clock().advance(2);
    EXPECT_EQ(8, m_camera.registerValue(0x72));
    EXPECT_EQ(2, m_camera.restarts());
}

TEST_F(SimCmdCameraTest, StateKeepsSwitchingSceneAndTheRateItListensAt) {
    ask("81 01 04 51 02 FF");
    m_camera.setSceneDark(true);
    std::string state = m_camera.saveState();
    EXPECT_EQ("zoom=0;focus=0;ircut=day;auto=1;scene=dark;baud=9600", state);

    SimCmdCamera other;
    other.loadState("auto=1;scene=dark;baud=115200");
    EXPECT_TRUE(other.reportsNight());
    std::string inquiry = hex("81 09 04 01 FF");
    other.setParameter(0, 9600, 8, 0, 0);
    other.write(0, inquiry.data(), static_cast<int>(inquiry.size()));
    EXPECT_EQ(0u, other.pendingBytes());  // a host at 9600 hears nothing
    other.setParameter(0, 115200, 8, 0, 0);
    other.write(0, inquiry.data(), static_cast<int>(inquiry.size()));
    EXPECT_EQ(4u, other.pendingBytes());
}
