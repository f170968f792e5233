#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegisterTesting.h"
#include "controllers/serial/register/IT1SenseController.h"
#include "controllers/serial/register/IT1ZoomModuleSenseController.h"
#include "platform/GThread.h"
#include "platform/GlobalEnv.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "sim/register/SimIT1Module.h"
#include "support/Owned.h"
#include "support/ScratchRoot.h"
#include "support/TestController.h"

namespace {

template <class Base>
class Open : public Base {
public:
    using ISensorController::m_nDNState;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
};
typedef Open<IT1SenseController> IT1;
typedef Open<IT1ZoomModuleSenseController> Zoom;

// IR-cut filter on 1.2 (day 0), IR LEDs on 1.3 (day 0), level line 1.4 (day 1).
const char* const kLine = "RS232=9600,8,0,0";
const std::string kLines = ";GPIO=1,2,0;GPIOInfraredLight=1,3,0;GPIODNLevel=1,4,1";

std::string detail(const std::string& p_strInfrared) {
    return "RS232=/dev/ttyAMA1;" + p_strInfrared + kLines;
}

// An IT1 controller on its simulated module and GPIO.
template <class Controller>
class IT1Fixture : public RegisterFixture<Controller, SimIT1Module> {
protected:
    // initController as the host's init calls it; the switch thread runs.
    int start(const std::string& p_strDetail, const std::string& p_strLine = kLine) {
        int result = 0;
        this->m_strOut = printed([&] {
            result = this->m_camera.initController(2, ModuleConfigure(2, p_strDetail, p_strLine));
        });
        this->m_camera.m_SensorStatus = ISensorController::InitSuccess;
        return result;
    }
};

typedef IT1Fixture<IT1> IT1Test;
typedef IT1Fixture<Zoom> IT1ZoomTest;

// A scripted port, for the bytes of single exchanges.
typedef RegisterFixture<IT1, SimSerialPort> IT1WireTest;

}  // namespace

TEST_F(IT1WireTest, FramesAndRepliesToTheByte) {
    m_pModule->scriptAnswer(hex("06 01 03 01 41 4C"));  // 0x1500 holds 0x41
    m_pModule->scriptAnswer(hex("05 01 02 01 09"));
    int mirror = 0;
    ASSERT_EQ(1, m_camera.getMirror(mirror));
    EXPECT_EQ(1, mirror);
    ASSERT_EQ(1, m_camera.setMirror(2));
    EXPECT_EQ((std::vector<std::string>{"08 01 05 01 15 00 01 25", "08 01 05 02 15 00 42 67"}),
              texts(m_pModule->writes()));
    EXPECT_EQ(0x42, m_camera.getCached1500());

    m_pModule->scriptAnswer(hex("07 01 04 01 10 27 44"));
    int shutter = 0;
    ASSERT_EQ(1, m_camera.getMaxShutterValue(shutter));
    EXPECT_EQ(10000, shutter);
    m_pModule->scriptAnswer(hex("05 01 02 01 09"));
    ASSERT_EQ(1, m_camera.link().writeRegister(0x0A0C, 2, 4000));
    EXPECT_EQ("09 01 06 02 0A 0C A0 0F D7", texts(m_pModule->writes()).back());
}

TEST_F(IT1WireTest, AFailedExchangeIsRepeatedOnceAndTheLineDrained) {
    // A bad checksum, then the good reply: the retry reads it.
    m_pModule->scriptAnswer(hex("06 01 03 01 41 4D 77"));
    m_pModule->scriptAnswer(hex("06 01 03 01 41 4C"));
    int value = 0;
    std::string out = printed([&] { EXPECT_EQ(1, m_camera.getBrightness(value)); });
    EXPECT_EQ(0x41, value);
    EXPECT_EQ(2u, m_pModule->writes().size());
    EXPECT_TRUE(contains(out, "checkSum error,nExpectedCheckSum = 0x4c,actualCheckSum=0x4d"))
        << out;
    EXPECT_EQ(0u, m_pModule->pendingBytes());

    // Failed exchanges are tried twice; a reply of the wrong kind is not.
    struct Case {
        const char* szReply;
        const char* szMessage;
        size_t nAttempts;
    } cases[] = {
        {"", "recv dataCount failed,nRecvLength=0", 2},
        {"06 01 03", "recv data failed,nRecvLength=2,nRecvCount=6", 2},
        {"FF 01 03 01 41 4C 00 00", "getParameterValue error,nRet = -4", 2},  // over-long count
        {"05 01 02 01 09", "getParameterValue error,nRet = 5", 1},            // a write's reply
        {"06 01 03 00 41 4B", "getParameterValue error,nRet = 6", 1},         // refused
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szReply);
        size_t writes = m_pModule->writes().size();
        for (size_t attempt = 0; attempt < c.nAttempts; ++attempt) {
            m_pModule->scriptAnswer(hex(c.szReply));
        }
        out = printed([&] { EXPECT_EQ(0, m_camera.getBrightness(value)); });
        EXPECT_TRUE(contains(out, c.szMessage)) << out;
        EXPECT_EQ(writes + c.nAttempts, m_pModule->writes().size());
        EXPECT_EQ(0u, m_pModule->pendingBytes());
    }
    EXPECT_EQ(0x41, value);

    // Writes take only the write's reply; nothing is cached on a failure.
    int cached = m_camera.getCached1500();
    m_pModule->scriptAnswer(hex("06 01 03 01 41 4C"));
    out = printed([&] { EXPECT_EQ(0, m_camera.setMirror(3)); });
    EXPECT_TRUE(contains(out, "setParameterValue error,nRet = 6,")) << out;
    EXPECT_TRUE(contains(out, "\trecvCommand:06 01 03 01 41 4c")) << out;
    EXPECT_EQ(cached, m_camera.getCached1500());
}

TEST_F(IT1Test, SettingsWriteTheirRegistersAndRefuseBadValues) {
    ASSERT_EQ(1, start(detail("isInfrared=0")));
    // The switch thread's reads, late to start on a slow machine, are no
    // part of what the settings send.
    m_camera.stopThreads();
    frames();
    EXPECT_EQ(1, m_camera.setSharpness(12));  // with the low-light sharpness 4 read at init
    EXPECT_EQ(std::vector<std::string>{"09 01 06 02 14 02 0C 04 38"}, frames());
    EXPECT_EQ(1, m_camera.setIrisSpeed(5));
    EXPECT_EQ(16, m_pModule->registerValue(0x0A27));
    EXPECT_EQ(50, m_pModule->registerValue(0x0A2A));
    int value = 0;
    ASSERT_EQ(1, m_camera.getIrisSpeed(value));
    EXPECT_EQ(5, value);
    EXPECT_EQ(1, m_camera.setGama(3));
    EXPECT_EQ(0x46, m_pModule->registerValue(0x1604));
    EXPECT_EQ(1, m_camera.setChroma(100));
    EXPECT_EQ(0x280, m_pModule->registerValue(0x141F) | m_pModule->registerValue(0x1420) << 8);
    EXPECT_EQ(0x230, m_pModule->registerValue(0x1438) | m_pModule->registerValue(0x1439) << 8);
    ASSERT_EQ(1, m_camera.getChroma(value));
    EXPECT_EQ(100, value);

    // Shutter: a fixed value waits for the fixed mode, which uses it.
    std::string out = printed([&] { EXPECT_EQ(1, m_camera.setFixedShutter(250)); });
    EXPECT_TRUE(contains(out, "set fixed shutter failed : current is shutter mode is auto"));
    EXPECT_EQ(25, m_pModule->registerValue(0x0A08));
    EXPECT_EQ(1, m_camera.setShutterMode(1));
    EXPECT_EQ(250, m_pModule->registerValue(0x0A08));
    EXPECT_EQ(0x11, m_pModule->registerValue(0x0A01));
    EXPECT_EQ(1, m_camera.setMinShutterValue(30));  // kept for auto
    EXPECT_EQ(250, m_pModule->registerValue(0x0A08));
    EXPECT_EQ(1, m_camera.setShutterMode(0));
    EXPECT_EQ(30, m_pModule->registerValue(0x0A08));
    m_camera.m_pSensorCache->setSensorValue(11, 1000);
    out = printed([&] { EXPECT_EQ(0, m_camera.setMinShutterValue(2000)); });
    EXPECT_TRUE(contains(out, "set MinShutterValue > MaxShutterValue!")) << out;

    frames();
    out = printed([&] {
        EXPECT_EQ(0, m_camera.setParameterToSensor(17, 7));
        EXPECT_EQ(0, m_camera.setParameterToSensor(12, 5));
        EXPECT_EQ(0, m_camera.setParameterToSensor(1, 256));
        EXPECT_EQ(0, m_camera.setParameterToSensor(3, 4));
        EXPECT_EQ(0, m_camera.setParameterToSensor(14, 9));
        EXPECT_EQ(0, m_camera.setDayToNightTransition(10));  // below the night-to-day 48
        EXPECT_EQ(0, m_camera.setParameterToSensor(22, 2));
    });
    for (const char* message :
         {"invalid iris speed value (7)", "setGama(5) is out of range",
          "p_nBrightness(256) is out of range", "setWhiteBalance failed p_nWBValue=9",
          "Error : DTN(10) is less than NTD(48)", "setInfrared out of range,p_nInfrared=2"}) {
        EXPECT_TRUE(contains(out, message)) << message << "\n" << out;
    }
    EXPECT_TRUE(frames().empty());
}

TEST_F(IT1Test, InitReadsTheModuleAndHoldsItsOwnSwitchingOff) {
    ASSERT_EQ(1, start(detail("isInfrared=0")));
    EXPECT_TRUE(contains(m_strOut, "____IBaseIT1SenseController::init,ModuleConfigure is(RS232="))
        << m_strOut;
    EXPECT_TRUE(m_camera.isSwitchThreadRunning());
    EXPECT_EQ(0, m_pModule->registerValue(0x1412));
    EXPECT_EQ(0, m_pModule->registerValue(0x1411));
    int value = 0;
    m_camera.getDayToNightTransition(value);
    EXPECT_EQ(0x60, value);  // the stored transitions are the module's own

    // A silent module is logged step by step; the line opened, so init goes on.
    Owned<IT1> other;
    SimIT1Module* silent = new SimIT1Module();
    silent->injectFault(SimRegisterModule::FAULT_SILENT, 1000);
    other.setOperator(SafePointer<IUARTController>(silent), m_gpio);
    std::string out = printed([&] {
        EXPECT_EQ(1, other.initController(2, ModuleConfigure(2, detail("isInfrared=0"), kLine)));
    });
    for (const char* message :
         {"Init getMirror Value failed", "Init getChroma Value failed",
          "Init Low Sharpness Value failed", "Init Low Shutter Value failed",
          "Init Day Night Failed", "init base_setDayToNightTransition(0) failed",
          "init base_setNightToDayTransition(0) failed"}) {
        EXPECT_TRUE(contains(out, message)) << message;
    }
    printed(
        [&] { EXPECT_EQ(0, other.initController(2, ModuleConfigure(2, "isInfrared=0", kLine))); });
}

TEST_F(IT1Test, TheThreadFollowsTheModulesJudgementWithTheSwitchDelayBackToDay) {
    ASSERT_EQ(1, start(detail("isInfrared=0")));
    run(1);
    EXPECT_FALSE(m_pModule->blackAndWhite());
    EXPECT_EQ(1, m_camera.getDNState());

    m_pModule->setSceneDay(false);
    run(1.5);
    EXPECT_TRUE(m_pModule->blackAndWhite());
    EXPECT_EQ(0, m_camera.getDNState());
    EXPECT_EQ(1, m_pGpio->level(1, 2));  // the filter out
    EXPECT_EQ(0, m_pGpio->level(1, 4));  // the level line tells night
    EXPECT_EQ(0, m_pGpio->level(1, 3));  // no LEDs without isNewInfrared

    m_pModule->setSceneDay(true);
    run(3);
    EXPECT_TRUE(m_pModule->blackAndWhite());
    run(3);
    EXPECT_FALSE(m_pModule->blackAndWhite());
    EXPECT_EQ(0, m_pGpio->level(1, 2));

    // Steady state: one read a second, no writes.
    frames();
    run(3);
    std::vector<std::string> sent = frames();
    ASSERT_EQ(3u, sent.size());
    EXPECT_EQ("08 01 05 01 14 13 01 37", sent[0]);

    // Destruction stops the thread first: nothing reaches the module after it.
    {
        Owned<IT1> other;
        other.setOperator(m_port, m_gpio);
        printed(
            [&] { other.initController(2, ModuleConfigure(2, detail("isInfrared=0"), kLine)); });
        EXPECT_TRUE(other.isSwitchThreadRunning());
    }
    m_camera.stopSwitchThread();
    frames();
    run(5);
    EXPECT_TRUE(frames().empty());
}

TEST_F(IT1Test, RefusalsAreLoggedWhereTheSettersLoggedThem) {
    layBoard(m_root, 1);
    printed([&] {
        ASSERT_EQ(1, m_camera.init(1, ModuleConfigure(2, detail("isInfrared=0"), kLine),
                                   VideoResolution()));
    });
    m_camera.stopThreads();
    frames();
    std::string out = printed([&] {
        EXPECT_EQ(0, m_camera.setParameterToSensor(12, 5));
        EXPECT_EQ(0, m_camera.setParameterToSensor(4, 3));
        EXPECT_EQ(0, m_camera.setParameterToSensor(7, 2));
    });
    EXPECT_TRUE(frames().empty());
    std::string log = m_root.readFile("/mnt/mtd/log/SensorError.log");
    // The gamma's reason goes to the console only, the setup gives none.
    EXPECT_TRUE(contains(out, "setGama(5) is out of range")) << out;
    EXPECT_FALSE(contains(log, "setGama(5) is out of range")) << log;
    EXPECT_TRUE(contains(log, "setGama(5) failed")) << log;
    EXPECT_FALSE(contains(out, "(3) is out of range")) << out;
    EXPECT_TRUE(contains(log, "setDayNightSetup(3) failed")) << log;
    // The video output follows the host's video system: checked, not a
    // parameter of its own.
    EXPECT_TRUE(contains(log, "setVideoOutSetup(2) is out of range")) << log;
    ParameterDescriptor descriptor;
    EXPECT_EQ(0, m_camera.getParameterDescriptor(7, descriptor));
}

TEST_F(IT1Test, TheSetupStopsTheThreadForcesThePictureAndRestartsIt) {
    ASSERT_EQ(1, start(detail("isInfrared=0")));
    m_pModule->setSceneDay(false);
    run(1.5);
    ASSERT_EQ(1, m_camera.setParameterToSensor(4, 1));
    EXPECT_FALSE(m_camera.isSwitchThreadRunning());
    EXPECT_FALSE(m_pModule->blackAndWhite());
    run(3);
    EXPECT_FALSE(m_pModule->blackAndWhite());  // nothing switches it back
    ASSERT_EQ(1, m_camera.setParameterToSensor(4, 2));
    EXPECT_TRUE(m_pModule->blackAndWhite());
    EXPECT_EQ(0, m_camera.setParameterToSensor(4, 3));

    m_pModule->setSceneDay(true);
    ASSERT_EQ(1, m_camera.setParameterToSensor(4, 0));
    EXPECT_EQ(0x60, m_pModule->registerValue(0x1412));  // the transitions are back
    EXPECT_EQ(0x30, m_pModule->registerValue(0x1411));
    EXPECT_TRUE(m_camera.isSwitchThreadRunning());
    run(1.5);
    EXPECT_FALSE(m_pModule->blackAndWhite());  // at once after a restart
    int setup = -1;
    EXPECT_EQ(1, m_camera.getParameterFromSensor(4, setup));
    EXPECT_EQ(0, setup);
}

TEST_F(IT1Test, TheNewInfraredBoardFollowsItsLevelLineWithTheLEDs) {
    m_pModule->attachLevelOutput(m_pGpio, 1, 4, 1);
    ASSERT_EQ(1, start(detail("isInfrared=1;isNewInfrared=1")));
    m_pModule->setSceneDay(false);
    run(1.5);
    EXPECT_TRUE(m_pModule->blackAndWhite());
    EXPECT_EQ(1, m_pGpio->level(1, 2));
    EXPECT_EQ(1, m_pGpio->level(1, 3));  // LEDs on
    EXPECT_EQ(0, m_camera.getLastLevel());
    ASSERT_EQ(1, m_camera.setParameterToSensor(22, 0));
    EXPECT_EQ(0, m_pGpio->level(1, 3));  // off at once

    m_pGpio->failReads(1, 4);
    double before = m_root.clock().monotonicSeconds();
    run(4);
    EXPECT_TRUE(contains(m_strOut, "GPIO(4) get DNLevel failed value = -1")) << m_strOut;
    EXPECT_LT(m_root.clock().monotonicSeconds() - before, 4.5);
}

TEST_F(IT1Test, TheOldBoardSwitchesOnlyWhenItsLevelInputChanges) {
    m_pModule->attachLevelOutput(m_pGpio, 1, 2, 0);
    ASSERT_EQ(1, start(detail("isInfrared=1")));
    run(1.5);
    frames();
    m_pGpio->clearWrites();
    run(3);  // an unchanged level: reads of the line, nothing sent
    EXPECT_TRUE(frames().empty());

    m_pModule->setSceneDay(false);
    m_pModule->injectFault(SimRegisterModule::FAULT_SILENT, 2);  // the switch fails once
    run(1.5);
    EXPECT_FALSE(m_pModule->blackAndWhite());
    EXPECT_TRUE(contains(m_strOut, "begin to turn to BlackWhite,level = 1")) << m_strOut;
    run(4);  // retried after the 3-s pause
    EXPECT_TRUE(m_pModule->blackAndWhite());
    EXPECT_TRUE(contains(m_strOut, "enterNightMode success")) << m_strOut;
    EXPECT_EQ(1, m_camera.getLastLevel());
    for (const auto& write : m_pGpio->writes()) {
        EXPECT_FALSE(write.nGroup == 1 && write.nPin == 2) << "the input was driven";
    }
}

TEST_F(IT1ZoomTest, TheLensGetsItsVISCAFramesOnTheSecondLine) {
    ASSERT_EQ(
        1, start(detail("isInfrared=0;RS485=/dev/ttyAMA2"), "RS232=9600,8,0,0;RS485=4800,8,0,0"));
    EXPECT_EQ((std::vector<std::string>{"/dev/ttyAMA1", "/dev/ttyAMA2"}), m_pModule->devices());
    GlobalEnv::getInstance()->setPrintFlag(true);
    std::string out = printed([&] {
        EXPECT_EQ(1, m_camera.setParameterToSensor(20, 2));
        EXPECT_EQ(1, m_camera.setParameterToSensor(21, 1));
        EXPECT_EQ(1, m_camera.setParameterToSensor(21, 2));
        EXPECT_EQ(1, m_camera.setParameterToSensor(22, 77));
        EXPECT_EQ(0, m_camera.setParameterToSensor(20, 5));
    });
    GlobalEnv::getInstance()->setPrintFlag(false);
    EXPECT_TRUE(contains(out, "auto focus 1m ")) << out;
    EXPECT_EQ((std::vector<std::string>{"81 01 04 B1 00 FF", "81 01 04 38 02 FF",
                                        "81 01 04 18 01 FF", "81 01 04 B1 03 FF"}),
              texts(m_pModule->lensFrames()));
    int value = 0;
    EXPECT_EQ(1, m_camera.getParameterFromSensor(20, value));
    EXPECT_EQ(4, value);
    EXPECT_EQ(1, m_camera.getParameterFromSensor(21, value));
    EXPECT_EQ(2, value);
    EXPECT_EQ(ID_TYPE_SET_ONLY, m_camera.getIdManager()->getIdType(22));
    EXPECT_EQ(ID_TYPE_NONE, m_camera.getIdManager()->getIdType(7));

    m_camera.m_SensorStatus = 1;
    out = printed([&] { EXPECT_EQ(0, m_camera.setParameterToSensor(1, 10)); });
    EXPECT_TRUE(contains(out, "m_BaseSensorStatus != ISensorController::InitSuccess!")) << out;
}

TEST_F(IT1ZoomTest, WithoutItsLensLineThePictureWorksAndTheLensFails) {
    ASSERT_EQ(1, start(detail("isInfrared=0")));
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.setParameterToSensor(22, 1)); });
    EXPECT_TRUE(contains(out, "send data failed nRet=-1")) << out;
    EXPECT_EQ(1, m_camera.setParameterToSensor(1, 200));
    EXPECT_EQ(200, m_pModule->registerValue(0x0A03));
}
