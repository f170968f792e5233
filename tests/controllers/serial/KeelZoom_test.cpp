#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controllers/serial/IKeelZoomSensorController.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

class Keel : public IKeelZoomSensorController {
public:
    Keel() : IKeelZoomSensorController(23) {}
    using ISensorController::m_bInitFinished;
    using ISensorController::m_nUARTIndex;
};

// The base on a scripted port: each frame written gets the answer scripted
// for it, so every echo byte is the test's choice.
class KeelZoomTest : public testing::Test {
protected:
    KeelZoomTest() {
        m_keel.setOperator(SafePointer<IUARTController>(m_pPort),
                           SafePointer<IGPIO>(new SimGPIO()));
        m_keel.m_nUARTIndex = 0;
    }

    int quiet(const std::function<int()>& p_call) {
        testing::internal::CaptureStdout();
        int result = p_call();
        m_strOut = testing::internal::GetCapturedStdout();
        return result;
    }

    // A module that echoes the next p_nCount frames faithfully.
    void echo(const std::string& p_strFrame, int p_nCount = 1) {
        for (int i = 0; i < p_nCount; ++i) {
            m_pPort->scriptAnswer(hex(p_strFrame));
        }
    }

    std::vector<std::string> writes() {
        std::vector<std::string> result = m_pPort->writes();
        std::vector<std::string> fresh(result.begin() + static_cast<long>(m_nSeen), result.end());
        m_nSeen = result.size();
        return fresh;
    }

    bool logged(const std::string& p_strText) const {
        return m_strOut.find(p_strText) != std::string::npos;
    }

    ScratchRoot m_root;
    SimSerialPort* m_pPort = new SimSerialPort();
    Keel m_keel;
    std::string m_strOut;
    size_t m_nSeen = 0;
};

}  // namespace

TEST_F(KeelZoomTest, EchoMustMatchByteForByteWithinThreeAttempts) {
    const std::string frame = hex("A1 00 03 FF");
    auto send = [&] { return quiet([&] { return m_keel.OVSendParam(frame.data(), 4); }); };
    echo("A1 00 03 FF");
    EXPECT_EQ(1, send());
    EXPECT_EQ(1u, writes().size());

    // One changed byte costs an attempt; the port is emptied before the next.
    echo("A1 00 03 FF A1");
    m_pPort->corruptNextAnswer(2, '\x04');
    echo("A1 00 03 FF");
    EXPECT_EQ(1, send());
    EXPECT_EQ(2u, writes().size());
    EXPECT_TRUE(logged("===check(1 times) @OVSendParam failed,send:")) << m_strOut;
    EXPECT_TRUE(logged("0xa1,0x0,0x4,0xff"));
    EXPECT_EQ(0u, m_pPort->pendingBytes());

    echo("A1 00 13 FF", 3);
    EXPECT_EQ(0, send());
    EXPECT_EQ(3u, writes().size());
    EXPECT_TRUE(logged("===check(3 times) @OVSendParam failed,send:"));

    echo("A1 00");  // a short echo
    EXPECT_EQ(0, send());
    EXPECT_TRUE(logged("===recv(1 times) @OVSendParam failed,send:"));
    EXPECT_TRUE(logged("===recv(2):"));

    m_pPort->setWriteLimit(2);
    EXPECT_EQ(0, send());
    EXPECT_TRUE(logged("===send(3 times) @OVSendParam failed,send(2):"));
    m_pPort->setWriteLimit(-1);
    writes();
    EXPECT_EQ(1, quiet([&] { return m_keel.OVSendParam(frame.data(), 0); }));
    EXPECT_EQ(1u, writes().size());  // written, no echo awaited
}

TEST_F(KeelZoomTest, MaskCommandsNeedARegionExceptClearAll) {
    EXPECT_EQ(0, quiet([&] { return m_keel.showMask(); }));
    EXPECT_TRUE(logged("0==m_nRegion"));
    EXPECT_EQ(0, quiet([&] { return m_keel.increaseWidth(); }));
    EXPECT_TRUE(writes().empty());

    echo("A1 07 00 FF");
    EXPECT_EQ(1, quiet([&] { return m_keel.clearAllMask(); }));
    EXPECT_EQ(std::vector<std::string>{hex("A1 07 00 FF")}, writes());

    // Before start-up completes the region is only remembered.
    EXPECT_EQ(1, quiet([&] { return m_keel.setRegion(3); }));
    EXPECT_TRUE(writes().empty());
    const struct {
        int (IKeelZoomSensorController::*command)();
        const char* szFrame;
    } kCommands[] = {
        {&IKeelZoomSensorController::setMask, "A1 01 03 FF"},
        {&IKeelZoomSensorController::showMask, "A1 04 03 FF"},
        {&IKeelZoomSensorController::hideMask, "A1 05 03 FF"},
        {&IKeelZoomSensorController::clearMask, "A1 06 03 FF"},
        {&IKeelZoomSensorController::clearAllMask, "A1 07 03 FF"},
        {&IKeelZoomSensorController::increaseWidth, "A1 20 01 FF"},
        {&IKeelZoomSensorController::decreaseWidth, "A1 20 02 FF"},
        {&IKeelZoomSensorController::increaseHight, "A1 20 03 FF"},
        {&IKeelZoomSensorController::decreaseHight, "A1 20 04 FF"},
    };
    for (const auto& row : kCommands) {
        echo(row.szFrame);
        EXPECT_EQ(1, quiet([&] { return (m_keel.*row.command)(); })) << row.szFrame;
        EXPECT_EQ(std::vector<std::string>{hex(row.szFrame)}, writes());
    }

    m_pPort->setSilent(true);
    EXPECT_EQ(0, quiet([&] { return m_keel.hideMask(); }));
    EXPECT_TRUE(logged("hideMask failed"));
    EXPECT_EQ(3u, writes().size());
}

TEST_F(KeelZoomTest, AfterStartUpARegionIsSelectedOnTheModuleAndKeptOnlyWhenTaken) {
    m_keel.m_bInitFinished = true;
    echo("A1 00 05 FF");
    EXPECT_EQ(1, quiet([&] { return m_keel.setRegion(5); }));
    EXPECT_EQ(std::vector<std::string>{hex("A1 00 05 FF")}, writes());

    m_pPort->setSilent(true);
    EXPECT_EQ(0, quiet([&] { return m_keel.setRegion(6); }));
    EXPECT_TRUE(logged("setRegion failed"));
    m_pPort->setSilent(false);
    writes();
    echo("A1 04 05 FF");
    EXPECT_EQ(1, quiet([&] { return m_keel.showMask(); }));
    EXPECT_EQ(std::vector<std::string>{hex("A1 04 05 FF")}, writes());  // still region 5

    EXPECT_EQ(1, quiet([&] { return m_keel.setRegion(0); }));
    EXPECT_TRUE(writes().empty());
    int region = -1;
    EXPECT_EQ(1, m_keel.getRegion(region));
    EXPECT_EQ(0, region);
}
