#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegisterTesting.h"
#include "controllers/serial/register/ITNSenseController.h"
#include "platform/GThread.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "sim/register/SimITNModule.h"
#include "support/ScratchRoot.h"

namespace {

class ITN : public ITNSenseController {
public:
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_SensorStatus;
};

const char* const kDetail = "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0";
const char* const kLine = "RS232=9600,8,0,0";

typedef RegisterFixture<ITN, SimSerialPort> ITNWireTest;

class ITNTest : public RegisterFixture<ITN, SimITNModule> {
protected:
    void start() {
        m_strOut = printed([&] {
            ASSERT_EQ(1, m_camera.initController(15, ModuleConfigure(15, kDetail, kLine)));
        });
        m_camera.m_SensorStatus = ISensorController::InitSuccess;
    }
};

}  // namespace

TEST_F(ITNWireTest, FramesCarryThreeByteAddressesAndBigEndianValues) {
    m_pModule->scriptAnswer(hex("06 01 03 01 02 0D"));
    int value = 0;
    ASSERT_EQ(1, m_camera.getGAMA(value));
    EXPECT_EQ(2, value);
    m_pModule->scriptAnswer(hex("05 01 02 01 09"));
    ASSERT_EQ(1, m_camera.setMaxShutter(4000));
    m_pModule->scriptAnswer(hex("05 01 02 01 09"));
    ASSERT_EQ(1, m_camera.setPreventFlash(1));
    EXPECT_EQ(
        (std::vector<std::string>{"09 01 06 01 1C 00 00 01 2E", "0A 01 07 02 15 00 0E 0F A0 E6",
                                  "10 01 0D 02 15 00 BC 00 19 00 32 00 64 00 64 04"}),
        texts(m_pModule->writes()));

    m_pModule->scriptAnswer(hex("0B 01 08 01 00 00 0B B8 00 00 D8"));
    ASSERT_EQ(1, m_camera.getDayNightValue(value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(3000, m_camera.getExposureLevel());
}

TEST_F(ITNWireTest, EveryBadReplyFailsWithItsCodeAndDrainsTheLine) {
    // Stray bytes after each reply: the failure drains them.
    struct Case {
        const char* szReply;
        const char* szMessage;
    } cases[] = {
        {"05 01 02 01 08 AA BB", "setParameterValue error,nRet = -2"},
        {"08 01 02 01 09 AA BB", "recv code failed,first recv code = 0x8"},
        {"05 01", "__recv failed,nRet = 1 !=4"},
        {"06 01 03 01 07 12 AA", "recv code failed,first recv code = 0xaa"},  // a read's, then
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szReply);
        m_pModule->scriptAnswer(hex(c.szReply));
        std::string out = printed([&] { EXPECT_EQ(0, m_camera.setBrightness(10)); });
        EXPECT_TRUE(contains(out, c.szMessage)) << out;
        EXPECT_EQ(0u, m_pModule->pendingBytes());
    }
    struct Read {
        const char* szReply;
        const char* szMessage;
    } reads[] = {
        {"06 01", "__recv failed,nRet = 1 !=3"},
        {"06 01 03 01", "__recv failed,nRet = 0 !=1"},
        {"06 01 03 01 02", "2 recv checksum error"},
        {"07 01 04 01 27 10 45", "3 recv checksum error"},
        {"0B 01 08 01 00 00", "__recv failed,nRet = 2 !=6"},
        {"07 01 04 01 27 10 44", "getParameterValue error,nRet = -2"},  // two bytes for one
    };
    int value = -1;
    for (const Read& r : reads) {
        SCOPED_TRACE(r.szReply);
        m_pModule->scriptAnswer(hex(r.szReply));
        std::string out = printed([&] { EXPECT_EQ(0, m_camera.getGAMA(value)); });
        EXPECT_TRUE(contains(out, r.szMessage)) << out;
    }
    EXPECT_EQ(-1, value);
    m_pModule->scriptAnswer(hex("05 01 02 01 09"));
    EXPECT_EQ(1, m_camera.setBrightness(10));
}

TEST_F(ITNWireTest, ALateReplyToAnEarlierExchangeIsSkippedForTheCommandsOwn) {
    // A write's acknowledgement, then the read's own answer.
    m_pModule->scriptAnswer(hex("05 01 02 01 09 06 01 03 01 02 0D"));
    int value = 0;
    std::string out = printed([&] { ASSERT_EQ(1, m_camera.getGAMA(value)); });
    EXPECT_EQ(2, value);
    EXPECT_TRUE(contains(out, "skipped a late reply")) << out;
    // A two-byte read's answer before a one-byte read's.
    m_pModule->scriptAnswer(hex("07 01 04 01 27 10 44 06 01 03 01 03 0E"));
    printed([&] { ASSERT_EQ(1, m_camera.getGAMA(value)); });
    EXPECT_EQ(3, value);
    // A read's answer, then the write's acknowledgement.
    m_pModule->scriptAnswer(hex("06 01 03 01 07 12 05 01 02 01 09"));
    printed([&] { EXPECT_EQ(1, m_camera.setBrightness(10)); });
    // Only one is skipped: two late replies fail the command.
    m_pModule->scriptAnswer(hex("05 01 02 01 09 05 01 02 01 09 06 01 03 01 02 0D"));
    out = printed([&] { EXPECT_EQ(0, m_camera.getGAMA(value)); });
    EXPECT_TRUE(contains(out, "getParameterValue error,nRet = 1")) << out;
    EXPECT_EQ(0u, m_pModule->pendingBytes());
}

TEST_F(ITNTest, SettingsReachTheirRegisters) {
    start();
    EXPECT_EQ(1, m_camera.setParameterToSensor(23, 3));
    EXPECT_EQ(1, m_camera.setParameterToSensor(24, 12));
    EXPECT_EQ(0x3C, m_pModule->registerValue(0x150024));
    EXPECT_EQ(1, m_camera.setParameterToSensor(12, 900));
    EXPECT_EQ(900, m_pModule->wordValue(0x1B0558));
    EXPECT_EQ(1, m_camera.setParameterToSensor(7, 250));  // kept while the shutter is auto
    EXPECT_EQ(0, m_pModule->wordValue(0x150032));
    EXPECT_EQ(1, m_camera.setParameterToSensor(6, 1));
    EXPECT_EQ(250, m_pModule->wordValue(0x150032));
    int value = 0;
    EXPECT_EQ(1, m_camera.getParameterFromSensor(20, value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(1, m_camera.setParameterToSensor(20, 2));
    EXPECT_EQ(1, m_camera.getParameterFromSensor(20, value));
    EXPECT_EQ(2, value);

    std::string out = printed([&] {
        EXPECT_EQ(0, m_camera.setParameterToSensor(5, 4));
        EXPECT_EQ(0, m_camera.setParameterToSensor(27, 1));
    });
    EXPECT_TRUE(contains(out, "setMirror(4) is out of range")) << out;
    m_camera.m_SensorStatus = 1;
    out = printed([&] { EXPECT_EQ(0, m_camera.setParameterToSensor(2, 1)); });
    EXPECT_TRUE(contains(out, "m_BaseSensorStatus != ISensorController::InitSuccess!")) << out;
}

TEST_F(ITNTest, ItsThreadFollowsTheModuleAndResetsAModuleThatStoppedAnswering) {
    start();
    run(1);
    EXPECT_FALSE(m_pModule->blackAndWhite());
    m_pModule->setSceneDay(false);
    run(1.5);
    EXPECT_TRUE(m_pModule->blackAndWhite());
    EXPECT_EQ(0, m_camera.getDNState());
    EXPECT_EQ(1, m_pGpio->level(1, 2));

    // Three unanswered reads: the line is drained and the picture written again.
    m_pModule->setRegister(0x1A0001, 0);
    m_pModule->injectFault(SimRegisterModule::FAULT_SILENT, 3);
    run(3.5);
    EXPECT_TRUE(contains(m_strOut, "resetSensor")) << m_strOut;
    EXPECT_TRUE(m_pModule->blackAndWhite());

    ASSERT_EQ(1, m_camera.setParameterToSensor(10, 1));
    EXPECT_FALSE(m_camera.isSwitchThreadRunning());
    EXPECT_FALSE(m_pModule->blackAndWhite());
    ASSERT_EQ(1, m_camera.setParameterToSensor(10, 0));
    run(1.5);
    EXPECT_TRUE(m_pModule->blackAndWhite());
}
