#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "platform/PosixUARTController.h"
#include "sim/PtyBridge.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

class Camera : public FCBEV7310SenseController {
public:
    using FCBEV7310SenseController::m_nFocusMode;
    using FCBEV7310SenseController::m_nVideoSystemChanged;
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
};

const char* const kLensTable =
    "0 1000 4096 49152\n16384 4000 8192 49408\n31424 30000 28672 50688\n";

// A controller ready for parameter access, talking to the simulated camera.
class FCBEV7310Test : public testing::Test {
protected:
    FCBEV7310Test() {
        m_camera.setOperator(m_port, m_gpio);
        m_camera.m_nUARTIndex = 0;
        m_camera.m_SensorStatus = ISensorController::InitSuccess;
        m_root.writeFile("/hd1/program/config/ZMAParam.txt", kLensTable);
    }

    // Every frame the camera took since the last call, as text.
    std::vector<std::string> frames() {
        std::vector<std::string> result;
        for (const auto& frame : m_pVisca->received()) {
            result.push_back(text(frame));
        }
        m_pVisca->clearReceived();
        return result;
    }

    int set(int p_nId, int p_nValue) {
        testing::internal::CaptureStdout();
        int result = m_camera.setParameterToSensor(p_nId, p_nValue);
        m_strOut = testing::internal::GetCapturedStdout();
        return result;
    }

    void cache(int p_nId, int p_nValue) {
        m_camera.m_pSensorCache->setSensorValue(p_nId, p_nValue);
    }

    ScratchRoot m_root;
    SimViscaCamera* m_pVisca = new SimViscaCamera();
    SafePointer<IUARTController> m_port{m_pVisca};
    SafePointer<IGPIO> m_gpio{new SimGPIO()};
    Camera m_camera;
    std::string m_strOut;
};

}  // namespace

TEST_F(FCBEV7310Test, TheFramedReaderSkipsCompletionsAndNoiseAndRetriesBadAnswers) {
    m_pVisca->injectFault(SimViscaCamera::FAULT_COMPLETION_FIRST);
    EXPECT_EQ(1, set(1, 100));
    m_pVisca->injectFault(SimViscaCamera::FAULT_NOISE);
    EXPECT_EQ(1, set(1, 50));
    EXPECT_EQ(
        (std::vector<std::string>{"81 01 04 42 00 00 00 0F FF", "81 01 04 42 00 00 00 07 FF"}),
        frames());
    m_pVisca->injectFault(SimViscaCamera::FAULT_CORRUPT);
    EXPECT_EQ(1, set(1, 50));  // 90 4F FF is no acknowledgement: one retry
    EXPECT_EQ(2u, frames().size());
    EXPECT_NE(std::string::npos,
              m_strOut.find("===setParameterValue(1 times) recv error,recv:0x90,0x4f,0xff"))
        << m_strOut;

    m_pVisca->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, set(1, 20));
    EXPECT_EQ(3u, frames().size());
    EXPECT_NE(std::string::npos, m_strOut.find("===recv(3 times) @setParameterValue failed,send:"));
    EXPECT_NE(std::string::npos, m_strOut.find("setSharpness error,value is 20"));
}

TEST(FCBEV7310Transport, EveryAttemptIsFollowedByAnEmptiedPort) {
    ScratchRoot root;
    SimSerialPort* raw = new SimSerialPort();
    SafePointer<IUARTController> port(raw);
    Camera camera;
    camera.setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
    camera.m_nUARTIndex = 0;
    // A syntax error, then a stray byte left in the line, then the ack.
    raw->scriptAnswer(hex("90 60 02 FF 90"));
    raw->scriptAnswer(hex("90 41 FF"));
    testing::internal::CaptureStdout();
    std::string inquiry = hex("81 09 04 47 FF");
    char reply[7];
    EXPECT_EQ(1, camera.setParameterValue("\x81\x01\x04\x07\x00\xFF", 6));
    EXPECT_EQ(0, camera.getParameterValue(inquiry.data(), 5, reply, 7));  // nothing answers
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(5u, raw->writes().size());  // 2 commands, 3 inquiries
    EXPECT_EQ(0u, raw->pendingBytes());
}

TEST_F(FCBEV7310Test, WriteRowsSendTheirFramesAndRefuseBadValues) {
    EXPECT_EQ(1, set(6, 3));
    EXPECT_EQ(1, set(28, 3));
    EXPECT_EQ(1, set(47, 100));
    EXPECT_EQ(1, set(65, 0));
    EXPECT_EQ(1, set(65, 2));
    EXPECT_EQ(1, set(23, 4));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 61 03 FF", "81 01 04 66 02 FF",
                                        "81 01 04 3D 00 FF", "81 01 04 49 00 00 00 0E FF",
                                        "81 01 04 37 03 00 FF", "81 01 04 37 02 02 FF",
                                        "81 01 04 35 03 FF", "81 01 04 10 05 FF"}),
              frames());

    EXPECT_EQ(0, set(6, 4));
    EXPECT_NE(std::string::npos, m_strOut.find("p_nMirror(4) is out of range"));
    EXPECT_EQ(0, set(1, -1));
    EXPECT_EQ(0, set(3, 6));
    EXPECT_EQ(0, set(23, 10));
    EXPECT_NE(std::string::npos, m_strOut.find("p_nWBMode(10) is out of range"));
    EXPECT_EQ(0, set(9, 1));  // not this module's
    EXPECT_EQ(0, set(69, 1));
    EXPECT_TRUE(frames().empty());
}

TEST_F(FCBEV7310Test, SettingsThatDependOnAModeAreSentOnlyInThatMode) {
    cache(10, 0);
    EXPECT_EQ(1, set(11, 5));   // shutter needs manual or shutter priority
    EXPECT_EQ(1, set(14, 3));   // gain needs manual
    EXPECT_EQ(1, set(13, 10));  // bright needs bright mode
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(0, set(11, 22));  // the range comes first

    EXPECT_EQ(1, set(17, -1));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 3E 03 FF"}), frames());
    EXPECT_EQ(1, set(17, 5));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 3E 02 FF", "81 01 04 4E 00 00 00 05 FF"}),
              frames());

    cache(10, 4);
    EXPECT_EQ(1, set(13, 10));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 4D 00 00 00 0E FF"}), frames());
    int value = 0;
    EXPECT_TRUE(m_camera.m_pSensorCache->getSensorValue(50, value));
    EXPECT_EQ(37, value);
}

TEST_F(FCBEV7310Test, AnExposureModeChangeResendsItsSettingsFromTheCache) {
    cache(15, 9);
    cache(16, 1);
    cache(17, -1);
    cache(22, 1);
    cache(18, 7);
    cache(11, 4);
    cache(12, 6);
    cache(14, 2);
    cache(13, 3);
    EXPECT_EQ(1, set(10, 0));
    EXPECT_EQ(
        (std::vector<std::string>{"81 01 04 39 00 FF", "81 01 04 2C 09 FF", "81 01 04 5A 02 FF",
                                  "81 01 04 3E 03 FF", "81 01 04 33 02 FF", "81 01 04 5D 07 FF"}),
        frames());
    EXPECT_EQ(1, set(10, 1));
    EXPECT_EQ(
        (std::vector<std::string>{"81 01 04 39 03 FF", "81 01 04 4A 00 00 00 04 FF",
                                  "81 01 04 4B 00 00 00 06 FF", "81 01 04 4C 00 00 00 02 FF"}),
        frames());
    // From manual to bright the camera passes through auto first.
    double slept = m_root.clock().sleptSeconds();
    EXPECT_EQ(1, set(10, 4));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 39 00 FF", "81 01 04 39 0D FF",
                                        "81 01 04 4D 00 00 00 07 FF"}),
              frames());
    EXPECT_NEAR(0.1, m_root.clock().sleptSeconds() - slept, 1e-6);
}

// The cache can hold what no write would have taken (a parameter file edited
// by hand): a setting brought back by a mode is checked against its row as a
// host's write is, and a partner value read for a shared frame likewise.
TEST_F(FCBEV7310Test, CachedValuesOutsideTheirRowsAreNotSent) {
    cache(10, 1);
    cache(15, 20);  // gain limit 4..15
    cache(16, 1);
    cache(17, 99);  // exposure compensation -1..14
    EXPECT_EQ(1, set(10, 0));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 39 00 FF", "81 01 04 5A 02 FF"}), frames());
    EXPECT_NE(std::string::npos, m_strOut.find("p_nExpComp(99) is out of range")) << m_strOut;
    // Refused, so no longer taken for what the module holds.
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_camera.setParameter(15, 20));
    testing::internal::GetCapturedStdout();

    cache(38, 7);  // display 0..2
    cache(40, 0);
    cache(41, 0);
    cache(44, 20);
    EXPECT_EQ(1, set(39, 1));
    EXPECT_TRUE(frames().empty());
    cache(38, 2);
    EXPECT_EQ(1, set(39, 1));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 2D 03 01 00 00 00 00 00 00 FF"}), frames());
}

// The focus mode is also the host's own call (and the lens drive's): it takes
// what its row takes.
TEST_F(FCBEV7310Test, AFocusModeOutsideItsMenuIsRefusedWhoeverAsks) {
    EXPECT_EQ(1, m_camera.setFocusMode(2));
    EXPECT_EQ((std::vector<std::string>{"81 01 04 38 03 FF"}), frames());
    EXPECT_EQ(0, m_camera.setFocusMode(4));
    EXPECT_EQ(0, m_camera.setFocusMode(0));
    EXPECT_TRUE(frames().empty());
    int mode = 0;
    m_camera.getCameraFocusMode(mode);
    EXPECT_EQ(2, mode);
}

TEST_F(FCBEV7310Test, ZoomPositionsBecomeRatiosBetweenTheOpticalSteps) {
    struct Case {
        int nPosition;
        int nRatio;
    } cases[] = {{0, 1000}, {16384, 1000}, {20480, 1500}, {24576, 2000}, {31424, 12000}};
    for (const Case& c : cases) {
        m_pVisca->setZoomPosition(c.nPosition);
        int position = -1;
        int ratio = -1;
        ASSERT_EQ(1, m_camera.getZoomValue(position, ratio));
        EXPECT_EQ(c.nPosition, position);
        EXPECT_EQ(c.nRatio, ratio) << c.nPosition;
    }
    m_pVisca->setZoomPosition(31425);  // digital zoom: no ratio
    int position = 0;
    int ratio = -7;
    EXPECT_EQ(1, m_camera.getZoomValue(position, ratio));
    EXPECT_EQ(-7, ratio);

    EXPECT_EQ(1, m_camera.setZoomAndFocusValue(0x1234, 0xABCD));
    EXPECT_EQ(0x1234, m_pVisca->zoomPosition());
    EXPECT_EQ(0xABCD, m_pVisca->focusPosition());
    EXPECT_EQ(0, m_camera.ZoomIn(9));
    EXPECT_EQ(1, m_camera.ZoomIn(3));
    EXPECT_EQ(0, m_camera.StopFocusContrl());  // only in manual focus
    frames();
    EXPECT_EQ(1, m_camera.FocusFar(18));
    EXPECT_EQ(
        (std::vector<std::string>{"81 01 04 38 03 FF", "81 01 04 18 01 FF", "81 01 04 08 22 FF"}),
        frames());
}

TEST_F(FCBEV7310Test, TheBaudRateIsFoundAndMovedWithARestart) {
    m_pVisca->setBaudIndex(2);  // the camera runs at 38400
    testing::internal::CaptureStdout();
    ASSERT_EQ(1, m_camera.changeCameraBuadrate(9600));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("the camera baudrate is 38400")) << out;
    EXPECT_EQ(1, m_pVisca->restarts());
    EXPECT_EQ(0, m_pVisca->registerValue(0x00));
    EXPECT_EQ(9600, m_pVisca->lineParameters().at(0));
    EXPECT_GE(m_root.clock().sleptSeconds(), 20.0);
    EXPECT_EQ(1, set(1, 70));  // and it talks again

    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_camera.changeCameraBuadrate(4800));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(
                                     "p_nBuadrate out of range, p_nBuadrate = 4800"));
}

TEST_F(FCBEV7310Test, AVideoStandardChangeRestartsTheCamera) {
    m_pVisca->setRegister(0x72, 6);
    m_pVisca->setRestartSeconds(20);
    testing::internal::CaptureStdout();
    ASSERT_EQ(1, m_camera.setSensorVideoSystem(1, VideoResolution()));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("Restarting sensor.....Wait 20s"));
    EXPECT_EQ(8, m_pVisca->registerValue(0x72));
    EXPECT_EQ(1, m_camera.m_nVideoSystemChanged);
    std::vector<std::string> sent = frames();
    ASSERT_EQ(3u, sent.size());
    EXPECT_EQ("81 01 04 24 72 00 08 FF", sent[1]);
    EXPECT_EQ("81 01 04 19 03 FF", sent[2]);

    // Unchanged and never changed: no restart.
    SimViscaCamera* fresh = new SimViscaCamera();
    fresh->setRegister(0x72, 8);
    Camera other;
    other.setOperator(SafePointer<IUARTController>(fresh), m_gpio);
    other.m_nUARTIndex = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, other.setSensorVideoSystem(1, VideoResolution()));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("Video system not change!"));
    EXPECT_EQ(0, fresh->restarts());

    m_pVisca->injectFault(SimViscaCamera::FAULT_SILENT, 20);
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_camera.setSensorVideoSystem(0, VideoResolution()));
    testing::internal::GetCapturedStdout();
}

TEST_F(FCBEV7310Test, ReadsAnswerTheFactoryDefaultsWithoutAskingTheModule) {
    struct Case {
        int nId;
        int nValue;
    } cases[] = {{1, 70},  {11, 5},  {12, 17}, {17, -1}, {24, 203}, {26, 1},  {34, 7},
                 {50, 56}, {56, 50}, {57, 50}, {60, 18}, {67, 8},   {500, 1}, {503, 24}};
    for (const Case& c : cases) {
        int value = -99;
        EXPECT_EQ(1, m_camera.getParameterFromSensor(c.nId, value)) << c.nId;
        EXPECT_EQ(c.nValue, value) << c.nId;
    }
    m_camera.m_nIsInfrared = 1;
    int value = 0;
    m_camera.getParameterFromSensor(34, value);
    EXPECT_EQ(14, value);
    EXPECT_EQ(0, m_camera.getParameterFromSensor(69, value));
    EXPECT_TRUE(frames().empty());
    m_camera.m_SensorStatus = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_camera.getParameterFromSensor(1, value));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(
                                     "m_BaseSensorStatus != ISensorController::InitSuccess!"));
}

TEST_F(FCBEV7310Test, DayAndNightGoThroughTheFilterOrTheLampBoard) {
    EXPECT_EQ(1, m_camera.turnPictureToNight());
    EXPECT_EQ((std::vector<std::string>{"81 01 04 01 02 FF", "81 01 04 51 03 FF"}), frames());
    EXPECT_TRUE(m_pVisca->irCutNight());
    int state = -1;
    EXPECT_EQ(1, m_camera.getDayNightState(state));
    EXPECT_EQ(1, state);
    frames();
    m_camera.m_nIsInfrared = 1;
    EXPECT_EQ(1, m_camera.turnPictureToDay());
    EXPECT_EQ((std::vector<std::string>{"FE 01 1E 02 00 02 23 FF"}), frames());
    EXPECT_EQ(2, m_pVisca->irBoardMode());
    EXPECT_EQ(1, set(57, 50));  // the lamp frame of the base
    EXPECT_EQ((std::vector<std::string>{"FE 01 1E 02 06 32 59 FF"}), frames());
    EXPECT_EQ(1, set(26, 4));  // the module's night is the base's manual night
    EXPECT_EQ(2, m_camera.getCurrentDayNightMode());
}

TEST_F(FCBEV7310Test, InitControllerReadsTheDetailOpensThePortAndLoadsTheLensTable) {
    const std::string detail = "RS485=/dev/ttyAMA1;isInfrared=0;generation=2;DCDay=a";
    testing::internal::CaptureStdout();
    ASSERT_EQ(1, m_camera.initController(85, ModuleConfigure(85, detail, "RS485=9600,8,0,0")));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("m_nGeneration=2"));
    EXPECT_NE(std::string::npos, out.find("get DCNight from senseParameter failed"));
    EXPECT_EQ("/dev/ttyAMA1", m_pVisca->opened());
    EXPECT_EQ(2, m_camera.getGeneration());
    EXPECT_EQ(3u, m_camera.getLensTable().size());

    struct Case {
        const char* szDetail;
        const char* szParameters;
        const char* szMessage;
    } cases[] = {
        {"isInfrared=0;generation=1", "RS485=9600,8,0,0", "get RS232DeviceName from detail failed"},
        {"RS485=/dev/x;generation=1", "RS485=9600,8,0,0", "get isInfrared from detail failed"},
        {"RS485=/dev/x;isInfrared=1;generation=1", "RS485=9600,8,0,0",
         "get isNewInfrared from detail failed"},
        {"RS485=/dev/x;isInfrared=0", "RS485=9600,8,0,0", "get generation from detail failed"},
        {"RS485=/dev/x;isInfrared=0;generation=1", "RS232=9600", "get RS232Parameter from"},
        {"RS485=/dev/x;isInfrared=0;generation=1", "RS485=9600,8",
         "parse RS485 param failed,nRet=2"},
        {"RS485=/dev/x;isInfrared=0;generation=1", "broken", "parse senseParameter failed"},
    };
    for (const Case& c : cases) {
        Camera camera;
        camera.setOperator(m_port, m_gpio);
        testing::internal::CaptureStdout();
        EXPECT_EQ(0, camera.initController(85, ModuleConfigure(85, c.szDetail, c.szParameters)));
        EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(c.szMessage))
            << c.szMessage;
    }
    m_pVisca->setOpenResult(-1);
    Camera unopened;
    unopened.setOperator(m_port, m_gpio);
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, unopened.initController(85, ModuleConfigure(85, detail, "RS485=9600,8,0,0")));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("open uart (/dev/ttyAMA1) failed"));
}

// The whole way through the real serial port: termios on a pseudo-terminal
// with the simulated camera behind it.
TEST(FCBEV7310RealPort, ACameraOnAPseudoTerminalIsDrivenThroughTermios) {
    ScratchRoot root;
    root.writeFile("/hd1/program/config/ZMAParam.txt", kLensTable);
    SimViscaCamera* visca = new SimViscaCamera();
    SafePointer<IUARTController> simulator(visca);
    PtyBridge bridge(*visca);
    ASSERT_TRUE(bridge.start());
    root.makeDir("/dev");
    ASSERT_EQ(0, symlink(bridge.slavePath().c_str(), root.path("/dev/ttyAMA1").c_str()));
    {
        Camera camera;
        camera.setOperator(SafePointer<IUARTController>(new PosixUARTController()),
                           SafePointer<IGPIO>(new SimGPIO()));
        testing::internal::CaptureStdout();
        ASSERT_EQ(1, camera.initController(85, ModuleConfigure(85,
                                                               "RS485=/dev/ttyAMA1;isInfrared=0;"
                                                               "generation=1",
                                                               "RS485=9600,8,0,0")));
        camera.m_SensorStatus = ISensorController::InitSuccess;
        EXPECT_EQ(1, camera.setParameterToSensor(6, 2));
        int position = 0;
        int ratio = 0;
        visca->setZoomPosition(20480);
        EXPECT_EQ(1, camera.getZoomValue(position, ratio));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(1500, ratio);
        EXPECT_EQ("\x02", visca->commandParameters(0x66));
    }
    bridge.stop();
}
