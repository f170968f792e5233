#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "RegisterTesting.h"
#include "controllers/serial/register/EffioSenseController.h"
#include "platform/GThread.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "sim/register/SimEffioModule.h"
#include "support/ScratchRoot.h"
#include "support/TestController.h"

namespace {

class Effio : public EffioSenseController {
public:
    using ISensorController::m_bNewInfrared;
    using ISensorController::m_DNLevelGpio;
    using ISensorController::m_InfraredLightGpio;
    using ISensorController::m_IrCutGpio;
    using ISensorController::m_nDNState;
    using ISensorController::m_nHDRMode;
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
};

const char* const kDetail = "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0;GPIOInfraredLight=1,3,1";
const char* const kLine = "RS232=9600,8,0,0";

int key(int p_nCategory, int p_nAddress) {
    return SimEffioModule::key(p_nCategory, p_nAddress);
}

typedef RegisterFixture<Effio, SimEffioModule> EffioTest;
// A scripted port, for the bytes of single exchanges.
typedef RegisterFixture<Effio, SimSerialPort> EffioWireTest;

}  // namespace

TEST(EffioBits, FieldsAreCutAndReplacedWithinTheirWidth) {
    EXPECT_EQ(0x80, EffioSenseController::getAppointedBit(0xF010, 16, 5, 8));
    EXPECT_EQ(1, EffioSenseController::getAppointedBit(0x1FF, 8, 8, 1) + 1);  // bit 8 is outside
    EXPECT_EQ(0xFFF0, EffioSenseController::modifyAppointedBits(0xF010, 16, 0xFF, 5, 8));
    EXPECT_EQ(0xFF, EffioSenseController::modifyAppointedBits(0x1FE, 8, 1, 0, 1));
    EXPECT_EQ(3, EffioSenseController::modifyAppointedBits(0, 8, 3, 0, 1));  // not masked
    EXPECT_EQ(0x1234, EffioSenseController::assembleData(0x12, 0x34));
    int high = 0;
    int low = 0;
    EffioSenseController::splitData(0xABCD, high, low);
    EXPECT_EQ(0xAB, high);
    EXPECT_EQ(0xCD, low);
}

TEST_F(EffioWireTest, AMirrorWriteReadsTheRegisterAndWritesItBack) {
    m_pModule->scriptAnswer(hex("04 00 20 24"));
    m_pModule->scriptAnswer(hex("03 00 03"));
    ASSERT_EQ(1, m_camera.setMirror(1));
    EXPECT_EQ((std::vector<std::string>{"06 52 06 49 49 F0", "06 57 06 49 21 CD"}),
              texts(m_pModule->writes()));
    int mirror = -1;
    EXPECT_EQ(1, m_camera.getMirrorValue(mirror));
    EXPECT_EQ(1, mirror);
}

TEST_F(EffioWireTest, BadRepliesFailWithTheirMessageDrainTheLineAndCacheNothing) {
    struct Case {
        const char* szReply;
        const char* szMessage;
    } cases[] = {
        {"04 F1 01 F6 55 66", "Category number error"},
        {"04 F0 01 F5", "Communication error"},
        {"04 00 01 07 AA", "check sum error expect=7 , but actual = 5"},
        {"04 00", "getParmaters recv len error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szReply);
        m_pModule->scriptAnswer(hex(c.szReply));
        int result = 1;
        std::string out = printed([&] { result = m_camera.setMirror(1); });
        EXPECT_EQ(0, result);
        EXPECT_TRUE(contains(out, c.szMessage)) << out;
        EXPECT_EQ(0u, m_pModule->pendingBytes());
        int mirror = -1;
        m_camera.getMirrorValue(mirror);
        EXPECT_EQ(0, mirror);
    }
    EXPECT_EQ(4u, m_pModule->writes().size());  // reads only: nothing was written

    // A write whose acknowledgement does not add up fails too.
    m_pModule->scriptAnswer(hex("04 00 20 24"));
    m_pModule->scriptAnswer(hex("03 00 04"));
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.setMirror(1)); });
    EXPECT_TRUE(contains(out, "set request : 0x06\t0x57")) << out;
    m_pModule->scriptAnswer(hex("04 00 20 24"));
    m_pModule->scriptAnswer(hex("03 FE 01"));
    out = printed([&] { EXPECT_EQ(0, m_camera.setMirror(1)); });
    EXPECT_TRUE(contains(out, "Other error")) << out;

    // The line answers again: so does the controller.
    m_pModule->scriptAnswer(hex("04 00 20 24"));
    m_pModule->scriptAnswer(hex("03 00 03"));
    EXPECT_EQ(1, m_camera.setMirror(1));
}

TEST_F(EffioTest, FieldsKeepTheirNeighboursAndScaledOnesAreScaled) {
    ASSERT_EQ(1, m_camera.setBrightness(100));
    EXPECT_EQ((std::vector<std::string>{"06 52 02 63 64 21", "07 57 02 63 F0 FF B2"}), frames());
    EXPECT_EQ(0xF0, m_pModule->registerValue(key(0x02, 0x63)));  // bits 0-4 as read
    EXPECT_EQ(0xFF, m_pModule->registerValue(key(0x02, 0x64)));  // bits 13-15 as read
    int value = 0;
    ASSERT_EQ(1, m_camera.getBrightness(value));
    EXPECT_EQ(100, value);
    ASSERT_EQ(1, m_camera.getRGain(value));  // shares register 63, bits 0-4
    EXPECT_EQ(128, value);

    // Sharpness and the maximum AGC are whole bytes, written blind.
    frames();
    ASSERT_EQ(1, m_camera.setSharpness(100));
    ASSERT_EQ(1, m_camera.setMaxAGC(77));
    EXPECT_EQ((std::vector<std::string>{"06 57 02 99 FF F7", "06 57 03 0D 4D BA"}), frames());

    ASSERT_EQ(1, m_camera.setShutterSpeed(5));
    EXPECT_EQ(0x80 | (5 << 2) | 0x03, m_pModule->registerValue(key(0x04, 0x01)));
    ASSERT_EQ(1, m_camera.setAGCMode(7));
    EXPECT_EQ(0xC0 | 0x38, m_pModule->registerValue(key(0x03, 0x02)));
    ASSERT_EQ(1, m_camera.getExposal(value));
    EXPECT_EQ(0, value);

    // A value wider than its field is refused before anything is sent.
    frames();
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.setParameterToSensor(3, 2)); });
    EXPECT_TRUE(contains(out, "setMirror(2) is out of range")) << out;
    EXPECT_EQ(0, m_camera.setParameterToSensor(1, 101));
    EXPECT_TRUE(frames().empty());
}

TEST_F(EffioTest, AnotherThreadsFieldWriteNeverPutsBackAnOlderNeighbour) {
    // The exposure and the AGC mode share register 03 02. While another
    // thread keeps writing the AGC mode, every exposure written must stay:
    // a write that read the register before it and wrote after it would put
    // the old exposure back.
    std::atomic<bool> done(false);
    std::thread other([&] {
        for (int agc = 0; !done; agc = (agc + 1) % 8) {
            m_camera.setAGCMode(agc);
        }
    });
    int lost = 0;
    for (int round = 0; round < 400; ++round) {
        const int exposal = round % 2;
        ASSERT_EQ(1, m_camera.setExposal(exposal));
        // Read back a few times: a write the other thread began before may
        // land just after this one.
        for (int check = 0; check < 3; ++check) {
            int value = -1;
            ASSERT_EQ(1, m_camera.getExposal(value));
            lost += value != exposal ? 1 : 0;
        }
    }
    done = true;
    other.join();
    EXPECT_EQ(0, lost);
}

TEST_F(EffioTest, TheAELevelDecidesDayOrNightWithNoDecisionBetweenTheThresholds) {
    int status = -1;
    m_pModule->setAELevel(1023);  // 255 on the AE scale
    ASSERT_EQ(1, m_camera.getDNStatusFromSensor(status));
    EXPECT_EQ(0, status);
    m_pModule->setAELevel(300);  // 74
    ASSERT_EQ(1, m_camera.getDNStatusFromSensor(status));
    EXPECT_EQ(1, status);

    m_pModule->setAELevel(600);  // 149: between 100 and 200
    double before = m_root.clock().sleptSeconds();
    EXPECT_EQ(0, m_camera.getDNStatusFromSensor(status));
    EXPECT_EQ(1, status);
    EXPECT_NEAR(1.0, m_root.clock().sleptSeconds() - before, 0.05);

    m_pModule->injectFault(SimRegisterModule::FAULT_SILENT);
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.getDNStatusFromSensor(status)); });
    EXPECT_TRUE(contains(out, "getAEHighValue failed")) << out;

    // The thresholds are checked against each other's cached value.
    m_camera.m_pSensorCache->setSensorValue(10, 40);
    EXPECT_EQ(0, m_camera.setDayToNightTransition(40));
    EXPECT_EQ(1, m_camera.setDayToNightTransition(41));
    m_camera.m_pSensorCache->setSensorValue(9, 41);
    EXPECT_EQ(0, m_camera.setNightToDayTransition(41));
    EXPECT_EQ(1, m_camera.setNightToDayTransition(39));
    m_pModule->setAELevel(160);  // 39
    ASSERT_EQ(1, m_camera.getDNStatusFromSensor(status));
    EXPECT_EQ(1, status);
}

TEST_F(EffioTest, ATRFollowsItsModeAndDayAndNightInMode3) {
    ASSERT_EQ(1, m_camera.setATR(1));
    EXPECT_EQ(0x07, m_pModule->registerValue(key(0x0C, 0x03)));
    ASSERT_EQ(1, m_camera.setATR(0));
    EXPECT_EQ(0x06, m_pModule->registerValue(key(0x0C, 0x03)));
    m_camera.m_nDNState = 1;
    ASSERT_EQ(1, m_camera.setATR(3));
    EXPECT_EQ(0x07, m_pModule->registerValue(key(0x0C, 0x03)));
    EXPECT_EQ(3, m_camera.m_nHDRMode);
    int mode = 0;
    ASSERT_EQ(1, m_camera.getATR(mode));
    EXPECT_EQ(3, mode);

    frames();
    m_camera.m_nDNState = -1;
    EXPECT_EQ(0, m_camera.setATR(3));
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.setParameterToSensor(17, 5)); });
    EXPECT_TRUE(contains(out, "updateHDRMode(-1) is out of range")) << out;
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(3, m_camera.m_nHDRMode);
}

TEST_F(EffioTest, TheDispatchLogsFailuresUnderTheOperationsName) {
    EXPECT_EQ(-1, m_camera.setParameterToSensor(11, 1));
    EXPECT_EQ(-1, m_camera.setParameterToSensor(62, 1));
    EXPECT_EQ(1, m_camera.setParameterToSensor(500, 1));
    int value = 0;
    EXPECT_EQ(0, m_camera.getParameterFromSensor(11, value));
    EXPECT_EQ(1, m_camera.getParameterFromSensor(58, value));
    EXPECT_EQ(18, value);

    m_pModule->injectFault(SimRegisterModule::FAULT_SILENT, 2);
    std::string out = printed([&] {
        EXPECT_EQ(0, m_camera.setParameterToSensor(5, 3));
        EXPECT_EQ(0, m_camera.getParameterFromSensor(5, value));
    });
    EXPECT_TRUE(contains(out, "setWB failed ")) << out;
    EXPECT_TRUE(contains(out, "getWB failed ")) << out;
    EXPECT_EQ(1, m_camera.setParameterToSensor(5, 3));
    EXPECT_EQ(0x33, m_pModule->registerValue(key(0x05, 0x01)));
}

TEST_F(EffioTest, InitReadsTheRS232ConfigurationAndOpensTheLine) {
    ASSERT_EQ(
        1, m_camera.initController(10, ModuleConfigure(10,
                                                       std::string(kDetail) + ";isNewInfrared=1;"
                                                                              "GPIODNLevel=1,4,1",
                                                       kLine)));
    EXPECT_EQ(std::vector<std::string>{"/dev/ttyAMA1"}, m_pModule->devices());
    EXPECT_EQ((std::vector<int>{9600, 8, 0, 0}), m_pModule->lineParameters());
    EXPECT_TRUE(m_camera.m_bNewInfrared);
    EXPECT_EQ(2, m_camera.m_IrCutGpio.nBit);
    EXPECT_EQ(1, m_camera.m_InfraredLightGpio.nDayLevel);
    EXPECT_EQ(4, m_camera.m_DNLevelGpio.nBit);

    struct Case {
        const char* szDetail;
        const char* szLine;
        const char* szMessage;
    } cases[] = {
        {"isInfrared=0;GPIO=1,2,0", kLine, "get RS232DeviceName from detail failed"},
        {"RS232=/dev/ttyAMA1;GPIO=1,2,0", kLine, "get isInfrared from detail failed"},
        {"RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0", "RS485=9600,8,0,0",
         "get RS232Parameter from senseParameter failed"},
        {"RS232=/dev/ttyAMA1;isInfrared=0", kLine, "get GPIO from detail failed"},
        {"RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2", kLine, "parse GPIO param failed,nRet=2"},
        {"RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0", "RS232=9600",
         "parse RS232 param failed,nRet=1"},
        {"RS232", kLine, "parse detail failed"},
    };
    for (const Case& c : cases) {
        int result = 1;
        std::string out = printed([&] {
            result = m_camera.initController(10, ModuleConfigure(10, c.szDetail, c.szLine));
        });
        EXPECT_EQ(0, result) << c.szMessage;
        EXPECT_TRUE(contains(out, c.szMessage)) << out;
    }
    m_pModule->setOpenResult(-1);
    std::string out = printed(
        [&] { EXPECT_EQ(0, m_camera.initController(10, ModuleConfigure(10, kDetail, kLine))); });
    EXPECT_TRUE(contains(out, "open UART(/dev/ttyAMA1) failed")) << out;
}

TEST_F(EffioTest, TheDayNightThreadSwitchesThePictureAndTheFilterByTheAELevel) {
    layBoard(m_root, 1);
    std::string out = printed([&] {
        ASSERT_EQ(1, m_camera.init(1, ModuleConfigure(10, kDetail, kLine), VideoResolution()));
    });
    ASSERT_TRUE(m_root.clock().runFor(2, GThread::runningCount())) << out;
    EXPECT_EQ(1, m_camera.getDNState());
    EXPECT_EQ(1, (m_pModule->registerValue(key(0x02, 0x8D)) >> 4) & 3);

    m_pModule->setAELevel(1000);
    printed([&] { m_root.clock().runFor(2, GThread::runningCount()); });
    EXPECT_EQ(0, m_camera.getDNState());
    EXPECT_EQ(2, (m_pModule->registerValue(key(0x02, 0x8D)) >> 4) & 3);
    EXPECT_EQ(1, m_pGpio->level(1, 2));  // the IR-cut filter out

    // Back to day only after the switch delay of steady day readings.
    m_pModule->setAELevel(100);
    printed([&] { m_root.clock().runFor(3, GThread::runningCount()); });
    EXPECT_EQ(0, m_camera.getDNState());
    printed([&] { m_root.clock().runFor(4, GThread::runningCount()); });
    EXPECT_EQ(1, m_camera.getDNState());
    EXPECT_EQ(0, m_pGpio->level(1, 2));
    // The factory set came from the DSP's registers.
    EXPECT_TRUE(
        contains(m_root.readFile("/mnt/mtd/code/config_file/sensor_Factory.cfg"), "(6,128)"));
}

TEST_F(EffioTest, ATRInMode3FollowsTheDayNightSwitches) {
    layBoard(m_root, 1);
    printed([&] {
        ASSERT_EQ(1, m_camera.init(1, ModuleConfigure(10, kDetail, kLine), VideoResolution()));
    });
    run(2);
    ASSERT_EQ(1, m_camera.setParameter(17, 3));
    EXPECT_EQ(0x07, m_pModule->registerValue(key(0x0C, 0x03)));  // day: ATR on
    m_pModule->setAELevel(1000);
    run(2);
    EXPECT_EQ(0, m_camera.getDNState());
    EXPECT_EQ(0x06, m_pModule->registerValue(key(0x0C, 0x03)));  // night: off
    m_pModule->setAELevel(100);
    run(8);
    EXPECT_EQ(0x07, m_pModule->registerValue(key(0x0C, 0x03)));
}
