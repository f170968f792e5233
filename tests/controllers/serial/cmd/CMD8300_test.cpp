#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controllers/serial/cmd/CMD8300SenseController.h"
#include "platform/Shell.h"
#include "sim/SimGPIO.h"
#include "sim/cmd/SimCmdCamera.h"
#include "support/HexBytes.h"
#include "support/ModuleFixture.h"
#include "support/TestController.h"
#include "support/Owned.h"

namespace {

typedef std::vector<std::string> Frames;

bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

class Open : public CMD8300SenseController {
public:
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
};

const char kConfig[] = "RS485=/dev/ttyAMA1;isInfrared=0;generation=3";

class CMD8300Test : public ModuleFixture<Open, SimCmdCamera> {};

const char* const kNoLog = nullptr;

}  // namespace

TEST_F(CMD8300Test, EveryAttemptIsLoggedBeforeItIsWrittenAndRetriesStartEmpty) {
    SimSerialPort* port = new SimSerialPort();
    m_camera.setOperator(SafePointer<IUARTController>(port), m_gpio);
    const std::string frame = hex("81 01 04 5B 02 FF");
    auto send = [&] { return quiet([&] { return m_camera.setParameterValue(frame.data(), 6); }); };
    port->scriptAnswer(hex("90 41 FF"));
    EXPECT_EQ(1, send());
    EXPECT_EQ(
        "===~~~~~~~~~~~~~~~~~~send(1 times) setParameterValue send:\n0x81,0x1,0x4,0x5b,0x2,0xff\n",
        m_strOut);

    port->scriptAnswer(hex("90 60 02 FF"));
    EXPECT_EQ(0, send());
    EXPECT_TRUE(logged("===~~~~~~~~~~~~~~~~~~send(3 times) setParameterValue send:"));
    // Emptied after each failed attempt, and again before the second and the
    // third.
    EXPECT_EQ(5u, occurrences(m_strOut, "Clear UART buffer"));
    EXPECT_LT(m_strOut.find("===setParameterValue(1 times) recv error"),
              m_strOut.find("===~~~~~~~~~~~~~~~~~~send(2 times)"));
    EXPECT_EQ(Frames(4, frame), port->writes());
}

TEST_F(CMD8300Test, ItsOwnLayoutOfFramesRangesAndConditions) {
    expectCases({
        {1, 100, 1, {"81 01 04 A1 00 00 00 0F FF"}, kNoLog},
        {2, 50, 1, {"81 01 04 A2 00 00 00 07 FF"}, kNoLog},
        {3, 27, 1, {"81 01 04 42 00 00 00 04 FF"}, kNoLog},
        {4, 5, 1, {"81 01 04 5B 05 FF"}, kNoLog},
        {5, 9, 1, {}, kNoLog},
        {6, 1, 1, {"81 01 04 A5 01 FF"}, kNoLog},
        {7, 100, 1, {"81 01 04 A3 0F FF"}, kNoLog},
        {8, 3, 1, {"81 01 04 61 02 FF", "81 01 04 66 02 FF"}, kNoLog},
        {9, 2, 1, {"81 01 04 62 02 FF"}, kNoLog},
        {10, 4, 1, {"81 01 04 39 0D FF"}, kNoLog},
        {10, 5, 0, {}, "setExposalMode(5) is out of range"},
        {11, 21, 1, {}, kNoLog},  // not in a mode that has a shutter
        {11, 22, 0, {}, "setShutter(22) is out of range"},
        {13, 3, 0, {}, "setBright(3) is out of range"},
        {14, 16, 0, {}, "setGain(16) is out of range"},
        {15, 4, 1, {"81 01 04 2C 04 FF"}, kNoLog},
        {15, 3, 0, {}, "value 3 is out of range 4..15"},
        {18, 7, 0, {}, "value 7 is out of range 0..5 or 8..9"},
        {18, 9, 1, {"81 01 04 35 09 FF"}, kNoLog},
        {19, 200, 1, {}, kNoLog},  // red gain without manual white balance
        {19, 256, 0, {}, "setRedGain(256) out of range"},
        {20, -1, 0, {}, "setBlueGain(-1) out of range"},
        {23, 2, 1, {"81 01 04 3D 02 FF"}, kNoLog},
        {24, 1, 1, {"81 01 04 A6 01 FF"}, kNoLog},
        {25, 100, 1, {"81 01 04 A4 00 00 00 0F FF"}, kNoLog},
        {26, 2, 1, {"81 01 04 06 02 FF"}, kNoLog},
        {27, 1, 1, {"81 01 04 38 02 FF", "81 01 04 57 02 FF"}, kNoLog},
        {27, 3, 1, {"81 01 04 38 03 FF"}, kNoLog},
        {27, 0, 0, {}, "setFocusMode(0) is out of range"},
        {28, 0, 1, {"81 01 04 18 01 FF"}, kNoLog},
        {29, 3, 1, {"81 01 04 58 03 FF"}, kNoLog},
        {30, 4, 1, {"81 01 04 28 00 00 00 04 FF"}, kNoLog},
        {30, 5, 1, {"81 01 04 18 02 FF"}, kNoLog},
        {30, 6, 0, {}, "setFocusNearLimit(6) is out of range"},
        {65, 7, 1, {"81 01 04 53 07 FF"}, kNoLog},
        {66, 200, 1, {"81 01 04 53 C8 FF"}, kNoLog},
    });
    cache(10, 1);
    cache(18, 5);
    expectCases({
        {11, 21, 1, {"81 01 04 4A 00 00 01 05 FF"}, kNoLog},
        {12, 13, 1, {"81 01 04 4B 00 00 00 0D FF"}, kNoLog},
        {13, 5, 1, {"81 01 04 4D 00 00 00 05 FF"}, kNoLog},
        {14, 15, 1, {"81 01 04 4C 00 00 00 0F FF"}, kNoLog},
        {19, 200, 1, {"81 01 04 43 00 00 0C 08 FF"}, kNoLog},
    });
    m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, set(2, 10));
    EXPECT_TRUE(logged("setContrast failed,value is 10"));
}

TEST_F(CMD8300Test, FactoryValuesAndRegisteredIds) {
    EXPECT_EQ(80, get(1));
    EXPECT_EQ(72, get(25));
    EXPECT_EQ(1, get(22));
    EXPECT_EQ(15, get(32));
    EXPECT_EQ(1, get(66));
    int value = 0;
    EXPECT_EQ(0, quiet([&] { return m_camera.getParameterFromSensor(40, value); }));
    IdManager* ids = m_camera.getIdManager();
    EXPECT_EQ(ID_TYPE_SET_ONLY, ids->getIdType(28));
    EXPECT_EQ(ID_TYPE_COMMON, ids->getIdType(32));
    EXPECT_EQ(ID_TYPE_NONE, ids->getIdType(0));
    EXPECT_EQ(ID_TYPE_NONE, ids->getIdType(40));
    EXPECT_EQ(3, m_camera.getGeneration());
    EXPECT_EQ(0, m_camera.setGainValue());
}

TEST_F(CMD8300Test, InfraredTwoFramesASecondApartAndFFBytesTheModuleRefuses) {
    EXPECT_NEAR(1.03, slept([&] { return m_camera.setParameterToSensor(21, 0); }), 1e-9);
    EXPECT_EQ((Frames{"81 01 04 51 02 FF", "81 01 04 01 03 FF"}), frames());
    EXPECT_EQ(1, set(21, 3));
    EXPECT_EQ((Frames{"81 01 04 51 03 FF", "81 01 04 01 03 FF"}), frames());
    EXPECT_EQ(0, set(21, 1));
    EXPECT_TRUE(logged("setInfrared failed,value is 1"));
    EXPECT_EQ(0, set(21, 4));
    EXPECT_TRUE(logged("setInfrared(4) out of range"));
}

TEST_F(CMD8300Test, SensitivityPairKeepsItsGapBothWays) {
    EXPECT_EQ(0, set(31, 10));
    EXPECT_TRUE(logged("m_nDtoNSensitivity(15) - p_nNtoDSensitivity(10) < 10"));
    EXPECT_EQ(0, set(31, 4));
    EXPECT_TRUE(logged("setNtoDSensitivity(4) out of range"));
    EXPECT_EQ(1, set(32, 30));
    EXPECT_EQ(1, set(31, 15));
    EXPECT_EQ(0, set(32, 20));
    EXPECT_TRUE(logged("p_nDtoNSensitivity(20) - m_nNtoDSensitivity(15) < 10"));
    EXPECT_EQ(1, set(32, 25));
    EXPECT_EQ(0, set(32, 127));
    EXPECT_TRUE(logged("setDtoNSensitivity(127) out of range"));
    EXPECT_EQ((Frames{"81 01 04 21 01 00 01 0E FF", "81 01 04 21 00 00 00 0F FF",
                      "81 01 04 21 01 00 01 09 FF"}),
              frames());
    // Only an acknowledged value moves the bound the other side is checked
    // against.
    m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, set(32, 100));
    EXPECT_EQ(25, m_camera.getDtoNSensitivity());
    EXPECT_EQ(0, set(31, 20));
    EXPECT_TRUE(logged("m_nDtoNSensitivity(25) - p_nNtoDSensitivity(20) < 10"));
    EXPECT_EQ(15, m_camera.getNtoDSensitivity());
}

TEST_F(CMD8300Test, DayNightValuesOfItsOwnAndItsStatusTexts) {
    struct {
        int nHost;
        int nBase;
    } modes[] = {{1, 4}, {3, 1}, {4, 2}, {5, 3}};
    for (const auto& mode : modes) {
        EXPECT_EQ(1, set(22, mode.nHost));
        EXPECT_EQ(mode.nBase, m_camera.getCurrentDayNightMode());
        EXPECT_TRUE(logged("~~~~~~~~CMD8300SenseController::setDayNightMode " +
                           std::to_string(mode.nHost)));
    }
    for (int bad : {0, 2, 6}) {
        EXPECT_EQ(0, set(22, bad));
        EXPECT_TRUE(logged("setDayNightMode(" + std::to_string(bad) + ") out of range"));
        EXPECT_EQ(3, m_camera.getCurrentDayNightMode());
    }
    int mode = 0;
    EXPECT_EQ(1, m_camera.getDayNightMode(mode));
    EXPECT_EQ(1, mode);

    int status = -1;
    SimSerialPort* port = new SimSerialPort();
    m_camera.setOperator(SafePointer<IUARTController>(port), m_gpio);
    port->scriptAnswer(hex("90 50 07 FF"));
    EXPECT_EQ(0, quiet([&] { return m_camera.getDNStatusFromSensor(status); }));
    EXPECT_TRUE(logged("get daynight value out of range value = 7"));
    port->scriptAnswer(hex("90 50 02 FF"));
    EXPECT_EQ(1, quiet([&] { return m_camera.getDNStatusFromSensor(status); }));
    EXPECT_EQ(0, status);
    port->setSilent(true);
    EXPECT_EQ(0, quiet([&] { return m_camera.getDNStatusFromSensor(status); }));
    EXPECT_TRUE(logged("get dn failed\n"));
}

TEST_F(CMD8300Test, PictureSwitchesSendTheFilterTwiceAfterASecond) {
    EXPECT_DOUBLE_EQ(1.0, slept([&] { return m_camera.turnPictureToDay(); }));
    EXPECT_EQ((Frames{"81 01 04 51 02 FF", "81 01 04 01 02 FF", "81 01 04 01 02 FF"}), frames());
    EXPECT_EQ(1, quiet([&] { return m_camera.turnPictureToNight(); }));
    EXPECT_EQ((Frames{"81 01 04 51 03 FF", "81 01 04 01 03 FF", "81 01 04 01 03 FF"}), frames());
    EXPECT_EQ(1, quiet([&] { return m_camera.enterAutoMode(); }));
    EXPECT_TRUE(logged("enter auto mode"));
    EXPECT_EQ((Frames{"81 01 04 51 02 FF", "81 01 04 01 03 FF", "81 01 04 01 03 FF"}), frames());

    // The second copy only after the first was acknowledged.
    m_pModule->injectFault(SimViscaCamera::FAULT_COMPLETION_ONLY);  // accepted as well
    m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, quiet([&] { return m_camera.turnPictureToNight(); }));
    EXPECT_EQ((Frames{"81 01 04 51 03 FF", "81 01 04 01 03 FF", "81 01 04 01 03 FF",
                      "81 01 04 01 03 FF"}),
              frames());

    m_camera.m_nIsInfrared = 1;
    EXPECT_DOUBLE_EQ(0.0, slept([&] { return m_camera.turnPictureToNight(); }));
    EXPECT_EQ((Frames{"FE 01 1E 02 00 01 22 FF"}), frames());
}

TEST_F(CMD8300Test, AVideoStandardChangeRestartsWithTheResetCommand) {
    double waited =
        this->slept([&] { return m_camera.setSensorVideoSystem(1, VideoResolution()); });
    EXPECT_TRUE(logged("set video system,nValue=8,szRecv[3]=6"));
    EXPECT_TRUE(logged("Restarting sensor"));
    EXPECT_EQ((Frames{"81 09 04 24 72 FF", "81 01 04 24 72 00 08 FF", "81 01 04 19 03 FF"}),
              frames());
    EXPECT_NEAR(21.0001, waited, 1e-9);
    EXPECT_EQ(1, m_pModule->restarts());
    EXPECT_EQ(0u, m_pModule->pendingBytes());  // the reset's answer went with the emptying
    m_root.clock().advance(21);
    EXPECT_EQ(8, m_pModule->registerValue(0x72));
}

TEST_F(CMD8300Test, TheStandardsStartUpScriptIsCopiedForTheNextBoot) {
    m_root.writeFile("/mnt/mtd/hd1/system/modules/sensor/cmd8300/cmd8300_NTSC.sh", "ntsc\n");
    m_root.makeDir("/mnt/mtd/code/config_file");
    ShellRecord::clear();
    EXPECT_EQ(1, quiet([&] { return m_camera.updateSensorVideoSystem(0, VideoResolution()); }));
    EXPECT_EQ(1, quiet([&] { return m_camera.updateSensorVideoSystem(1, VideoResolution()); }));
    EXPECT_EQ(1, quiet([&] { return m_camera.updateSensorVideoSystem(2, VideoResolution()); }));
    EXPECT_EQ(
        (std::vector<std::string>{"cp /mnt/mtd/hd1/system/modules/sensor/cmd8300/cmd8300_NTSC.sh "
                                  "/mnt/mtd/code/config_file/sensorInit.sh -rf",
                                  "cp /mnt/mtd/hd1/system/modules/sensor/cmd8300/cmd8300_PAL.sh "
                                  "/mnt/mtd/code/config_file/sensorInit.sh -rf"}),
        ShellRecord::commands());
    EXPECT_EQ("ntsc\n", m_root.readFile("/mnt/mtd/code/config_file/sensorInit.sh"));
    EXPECT_TRUE(frames().empty());
}

// Two boots of the whole controller: the thread's first cycle applies the
// stored pair although each half, checked alone against the values of a
// fresh start, would break the gap.
TEST(CMD8300Boot, AStoredSensitivityPairSurvivesARestart) {
    ScratchRoot root;
    layBoard(root, 1);
    SimCmdCamera* sim = new SimCmdCamera();
    sim->setRegister(0x72, 8);
    SafePointer<IUARTController> port(sim);
    auto boot = [&] {
        std::unique_ptr<CMD8300SenseController> camera(new Owned<CMD8300SenseController>());
        camera->setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
        EXPECT_EQ(1, camera->init(1, ModuleConfigure(25, kConfig, "RS485=9600,8,0,0"),
                                  VideoResolution(1920, 1080)));
        EXPECT_TRUE(root.clock().settle(1));
        EXPECT_TRUE(root.clock().runFor(3, 1));
        return camera;
    };
    testing::internal::CaptureStdout();
    auto camera = boot();
    EXPECT_EQ(4, camera->getCurrentDayNightMode());  // the factory value 1
    EXPECT_TRUE(sim->autoDayNight());
    EXPECT_EQ(1, camera->setParameter(32, 100));
    EXPECT_EQ(1, camera->setParameter(31, 50));
    EXPECT_EQ(0, camera->flush());
    camera.reset();

    camera = boot();
    EXPECT_EQ(50, camera->getNtoDSensitivity());
    EXPECT_EQ(100, camera->getDtoNSensitivity());
    int value = 0;
    EXPECT_EQ(1, camera->getParameter(66, value));  // the ids after the pair applied too
    camera.reset();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(contains(out, "< 10")) << out;
}
