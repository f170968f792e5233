#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/OVRuntimeError.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

// A controller that supplies only what the base leaves open, so every other
// answer is the base's own.
class BareController : public ISensorController {
public:
    BareController() : ISensorController(99) {}
    ~BareController() override { stopThreads(); }

    int getMirrorValue(int& p_nMirror) override {
        p_nMirror = 0;
        return 1;
    }
    int setSensorVideoSystem(int, const VideoResolution&) override { return 1; }
    int initController(int, const ModuleConfigure&) override { return 1; }

    using ISensorController::m_nUARTIndex;
};

template <typename Action>
std::string console(Action p_action) {
    testing::internal::CaptureStdout();
    p_action();
    return testing::internal::GetCapturedStdout();
}

bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

class SerialHelpersTest : public testing::Test {
protected:
    SerialHelpersTest() { m_controller.setOperator(m_uart, m_gpio); }

    ScratchRoot m_root;
    SimSerialPort* m_port = new SimSerialPort();
    SafePointer<IUARTController> m_uart{m_port};
    SafePointer<IGPIO> m_gpio{new SimGPIO()};
    BareController m_controller;
};

}  // namespace

TEST_F(SerialHelpersTest, ComputeSumStoresTheBodySumBeforeTheEndByte) {
    char frame[8] = {'\xFE', '\x01', '\x1E', '\x02', '\x06', '\x32', '\x77', '\xFF'};
    m_controller.computeSum(frame, 8);
    EXPECT_EQ(std::string("\xFE\x01\x1E\x02\x06\x32\x59\xFF", 8), std::string(frame, 8));

    char shortFrame[4] = {'\xAA', '\x42', '\x00', '\xBB'};
    m_controller.computeSum(shortFrame, 4);
    EXPECT_EQ(std::string("\xAA\x42\x42\xBB", 4), std::string(shortFrame, 4));

    char empty[3] = {'\xAA', '\x13', '\xBB'};
    m_controller.computeSum(empty, 3);
    EXPECT_EQ(std::string("\xAA\x00\xBB", 3), std::string(empty, 3));

    // High bytes count as unsigned and the sum wraps at 256.
    char wrap[5] = {'\x00', '\xFF', '\x80', '\x00', '\x00'};
    m_controller.computeSum(wrap, 5);
    EXPECT_EQ('\x7F', wrap[3]);
    EXPECT_EQ('\x00', wrap[4]);
}

TEST_F(SerialHelpersTest, CheckUARTRecvFindsOnlyPatternsWhollyInsideTheData) {
    BareController& c = m_controller;
    const char data[] = "\x90\x41\xFF\x90\x51\xFF";
    EXPECT_EQ(1, c.checkUARTRecv("\x90\x51\xFF", 3, data, 6));  // ends at the last byte
    EXPECT_EQ(1, c.checkUARTRecv("\x90\x41", 2, data, 6));      // at the start
    EXPECT_EQ(0, c.checkUARTRecv("\x90\x51\xFF", 3, data, 5));  // would run past the end
    EXPECT_EQ(1, c.checkUARTRecv("\x90\x51", 2, data, 5));
    EXPECT_EQ(0, c.checkUARTRecv("\x41\x90", 2, data, 6));
    EXPECT_EQ(0, c.checkUARTRecv("\x90", 1, data, 0));
    EXPECT_EQ(0, c.checkUARTRecv("\x90", 0, data, 6));
    EXPECT_EQ(0, c.checkUARTRecv(data, 6, data, 5));
    EXPECT_EQ(1, c.checkUARTRecv(data, 6, data, 6));
}

TEST_F(SerialHelpersTest, ClearUartBufferDrainsWholeReadsUntilAShortOne) {
    BareController& c = m_controller;
    m_port->feed(std::string(45, 'x'));
    int last = -1;
    std::string out = console([&] { last = c.clearUartBuffer(); });
    EXPECT_EQ("Clear UART buffer\n", out);
    EXPECT_EQ(5, last);
    EXPECT_EQ(0u, m_port->pendingBytes());

    m_port->feed(std::string(40, 'x'));
    EXPECT_EQ(0, c.clearUartBuffer());  // the third read found nothing
    EXPECT_EQ(0u, m_port->pendingBytes());

    // A short read ends the drain although bytes are still waiting.
    m_port->feed(std::string(30, 'x'));
    m_port->setShortRead(7);
    EXPECT_EQ(7, c.clearUartBuffer());
    EXPECT_EQ(23u, m_port->pendingBytes());
    EXPECT_TRUE(m_port->writes().empty());

    BareController unwired;
    EXPECT_THROW(unwired.clearUartBuffer(), OVRuntimeError);
}

TEST_F(SerialHelpersTest, RecodeArrayWritesAHexListToTheErrorLog) {
    BareController& c = m_controller;
    const std::string many(30, '\xFF');
    std::string out = console([&] {
        c.recodeArray("\x81\x01\x04\x19", 4);
        c.recodeArray("\x0A", 1);
        c.recodeArray("\x0A", 0);
        c.recodeArray(many.data(), static_cast<int>(many.size()));
    });
    std::string longest = "0xff";
    for (int n = 1; n < 30; ++n) {
        longest += ",0xff";
    }
    EXPECT_EQ("0x81,0x1,0x4,0x19\n0xa\n" + longest.substr(0, 99) + "\n", out);
}

TEST(SerialLogsTest, LogLinesAreCutTo99CharactersAndKeptInTheirFiles) {
    ScratchRoot root;
    layBoard(root, 1);
    SafePointer<IUARTController> uart(new SimSerialPort());
    SafePointer<IGPIO> gpio(new SimGPIO());
    TestController c;
    c.setOperator(uart, gpio);
    ASSERT_EQ(1, c.init(1, ModuleConfigure(99, "DNDefault=2", ""), VideoResolution(1920, 1080)));
    EXPECT_TRUE(root.clock().settle(1));

    const std::string text = std::string(98, 'a') + "bc";  // 100 characters
    std::string out = console([&] {
        c.ErrorPrintf("%s", text.c_str());
        c.InitPrintf("init line %d", 7);
        c.InitPrintf("%s", text.c_str());
        c.Debug_Printf("debug line %d\n", 8);  // no marker file: silent
    });
    const std::string cut = std::string(98, 'a') + "b";
    EXPECT_EQ(cut + "\ninit line 7\n" + cut + "\n", out);

    const std::string errors = root.readFile("/mnt/mtd/log/SensorError.log");
    const std::string inits = root.readFile("/mnt/mtd/log/SensorInit.log");
    EXPECT_TRUE(contains(errors, "[SensorError] " + cut + "\n")) << errors;
    EXPECT_FALSE(contains(errors, "bc")) << errors;
    EXPECT_FALSE(contains(errors, "init line")) << errors;
    EXPECT_TRUE(contains(inits, "[SensorInit] init line 7\n")) << inits;
    EXPECT_TRUE(contains(inits, "[SensorInit] " + cut + "\n")) << inits;
    EXPECT_FALSE(contains(inits, "bc")) << inits;
}

TEST_F(SerialHelpersTest, ResetCameraSendsTheResetCommandThroughTheRawHook) {
    TestController driver;
    EXPECT_EQ(1, driver.resetCamera());
    EXPECT_EQ((std::vector<std::string>{std::string("\x81\x01\x04\x19\x01\xFF", 6)}),
              driver.frames);
    EXPECT_EQ(1, m_controller.resetCamera());
    EXPECT_TRUE(m_port->writes().empty());
}

TEST_F(SerialHelpersTest, TheBaseAnswersEveryOptionalOperation) {
    BareController& c = m_controller;
    int value = -1;
    int other = -1;
    EXPECT_EQ(1, c.getNearLight(value));
    EXPECT_EQ(50, value);
    value = -1;
    EXPECT_EQ(1, c.getMiddleLight(value));
    EXPECT_EQ(50, value);
    value = -1;
    EXPECT_EQ(1, c.getFarLight(value));
    EXPECT_EQ(50, value);
    value = -1;
    EXPECT_EQ(1, c.getPowerMode(value));
    EXPECT_EQ(0, value);

    std::string text = "(1,2)";
    char answer[4] = {0, 0, 0, 0};
    // Operations a plain sensor does not have report failure...
    const std::vector<int> unsupported = {c.getCameraVerInf(text),
                                          c.set2AParam(1),
                                          c.restoreAeMode(),
                                          c.setRunAutoIris(),
                                          c.IrisUp(),
                                          c.IrisDown(),
                                          c.FocusFar(1),
                                          c.FocusNear(1),
                                          c.ZoomIn(1),
                                          c.ZoomOut(1),
                                          c.getZoomValue(value, other),
                                          c.setZoomValue(1),
                                          c.setFocusValue(1),
                                          c.getFocusValue(value),
                                          c.setFocusMode(1),
                                          c.getFocusMode(value),
                                          c.StopZoomContrl(),
                                          c.StopFocusContrl(),
                                          c.StopIris(),
                                          c.setZoomAndFocusValue(1, 1),
                                          c.getDayNightState(value),
                                          c.getCameraFocusMode(value),
                                          c.getStillImageValue(value),
                                          c.getCurrentGain(value)};
    EXPECT_EQ(std::vector<int>(unsupported.size(), 0), unsupported);
    // ...and the hooks a driver may leave alone succeed.
    const std::vector<int> accepted = {c.updateSensorVideoSystem(1, VideoResolution(1920, 1080)),
                                       c.enterAutoMode(),
                                       c.NotifySensorInitComplate(),
                                       c.UpdateParameters(text),
                                       c.getParameterValue("\x81", 1, answer, 4),
                                       c.setParameterValue("\x81", 1),
                                       c.getDNStatusFromSensor(value),
                                       c.turnPictureToDay(),
                                       c.turnPictureToNight(),
                                       c.turnToAutoDayNightMode(),
                                       c.turnToManualDayNightMode(),
                                       c.initFactorySetting(),
                                       c.updateHDRMode(1)};
    EXPECT_EQ(std::vector<int>(accepted.size(), 1), accepted);
    EXPECT_EQ("(1,2)", text);

    // The raw hooks of the base talk to no module.
    EXPECT_TRUE(m_port->writes().empty());

    // The base owns only the scheme window, a whole day by default.
    const int window[5] = {1, 0, 0, 24, 0};
    for (int id = 500; id <= 504; ++id) {
        value = -1;
        EXPECT_EQ(1, c.getParameterFromSensor(id, value)) << id;
        EXPECT_EQ(window[id - 500], value) << id;
        EXPECT_EQ(1, c.setParameterToSensor(id, 3)) << id;
    }
    value = -1;
    EXPECT_EQ(0, c.getParameterFromSensor(1, value));
    EXPECT_EQ(-1, value);
    EXPECT_EQ(-1, c.setParameterToSensor(1, 5));
    EXPECT_EQ(-1, c.setParameterToSensor(505, 5));
    EXPECT_EQ(-1, c.setParameterToSensor(499, 5));

    std::string out = console([&] { c.printDebugMessage(); });
    EXPECT_EQ("", out);
}
