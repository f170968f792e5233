#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controllers/serial/hextext/CMD7200SenseController.h"
#include "controllers/serial/hextext/SC110N_CSenseController.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/HexBytes.h"
#include "support/Owned.h"
#include "support/ScratchRoot.h"

namespace {

template <class Controller>
class Open : public Controller {
public:
    using ISensorController::m_errorLog;
    using ISensorController::m_nUARTIndex;
};

// A member on a scripted port: every byte the module sends is the test's
// choice, and the error log lands in the scratch root.
template <class Controller>
class Wired {
public:
    explicit Wired(ScratchRoot& p_root) {
        p_root.makeDir("/mnt/mtd/log");
        controller.setOperator(SafePointer<IUARTController>(port),
                               SafePointer<IGPIO>(new SimGPIO()));
        controller.m_nUARTIndex = 0;
        controller.m_errorLog->init("/mnt/mtd/log/SensorError.log", 10240, 3);
    }

    SimSerialPort* port = new SimSerialPort();
    Owned<Open<Controller> > controller;
};

class HexTextTransportTest : public testing::Test {
protected:
    template <class Call>
    int quiet(Call p_call) {
        testing::internal::CaptureStdout();
        int result = p_call();
        testing::internal::GetCapturedStdout();
        return result;
    }

    std::string log() const { return m_root.readFile("/mnt/mtd/log/SensorError.log"); }
    bool logged(const std::string& p_strText) const {
        return log().find(p_strText) != std::string::npos;
    }

    ScratchRoot m_root;
    Wired<CMD7200SenseController> m_cmd{m_root};
    SimSerialPort& m_port = *m_cmd.port;
    Open<CMD7200SenseController>& m_camera = m_cmd.controller;
};

}  // namespace

TEST_F(HexTextTransportTest, TextsAreAssembledUpperCaseInTheirWidth) {
    EXPECT_EQ(":WFD9EFF", m_camera.assembleString(":WFD9E", 255, 2));
    EXPECT_EQ(":WFCC905", m_camera.assembleString(":WFCC9", 5, 2));
    EXPECT_EQ(":wFD4600A0", m_camera.assembleString(":wFD46", 160, 4));
    EXPECT_EQ(":WFA20100", m_camera.assembleString(":WFA20", 0x100, 2));  // wider than asked
    EXPECT_EQ(":WFCC9ffffffFF", m_camera.assembleString(":WFCC9", static_cast<unsigned>(-1), 2));
    EXPECT_EQ(0xA0, m_camera.ascToHex("00a0"));
    EXPECT_EQ(0xFF, m_camera.ascToHex("FF"));
}

TEST_F(HexTextTransportTest, AWrongEchoIsRetriedAfterEmptyingThePortAndEachTryIsLogged) {
    m_port.scriptAnswer(":WFD9E81\x01\x02");  // one character off, and stray bytes behind
    m_port.scriptAnswer(":WFD9E81");
    m_port.scriptAnswer(":WFD9E80");
    EXPECT_EQ(1, quiet([&] { return m_camera.sendData(":WFD9E80"); }));
    EXPECT_EQ(std::vector<std::string>(3, ":WFD9E80"), m_port.writes());
    EXPECT_EQ(0u, m_port.pendingBytes());
    EXPECT_TRUE(logged("] ===check(1 times) @sendData failed,send:\n")) << log();
    EXPECT_TRUE(logged("] 0x3a,0x57,0x46,0x44,0x39,0x45,0x38,0x30\n")) << log();
    EXPECT_TRUE(logged("] ===recv(8):\n")) << log();
    EXPECT_TRUE(logged("] 0x3a,0x57,0x46,0x44,0x39,0x45,0x38,0x31\n")) << log();
    EXPECT_TRUE(logged("] ===check(2 times) @sendData failed,send:\n")) << log();
    EXPECT_FALSE(logged("3 times")) << log();
}

TEST_F(HexTextTransportTest, ASilentModuleFailsAfterThreeTriesAndSaysSo) {
    EXPECT_EQ(0, quiet([&] { return m_camera.sendData(":WFD9E80"); }));
    EXPECT_EQ(3u, m_port.writes().size());
    for (const char* line : {"===recv(1 times) @sendData failed,send:", "===recv(0):",
                             "===recv(3 times) @sendData failed,send:",
                             "the module did not answer :WFD9E80 (3 attempts)"}) {
        EXPECT_TRUE(logged(line)) << line;
    }

    m_port.scriptAnswer(":WFD9");  // short, then wrong twice
    m_port.scriptAnswer(":WFD9E81");
    m_port.scriptAnswer(":WFD9E81");
    EXPECT_EQ(0, quiet([&] { return m_camera.sendData(":WFD9E80"); }));
    EXPECT_TRUE(logged("===recv(5):")) << log();
    EXPECT_TRUE(logged("the module answered :WFD9E80 wrongly (3 attempts)")) << log();

    m_port.setWriteLimit(3);
    EXPECT_EQ(0, quiet([&] { return m_camera.sendData(":WFD9E80"); }));
    EXPECT_TRUE(logged("===send(3 times) @setParameterValue failed,send(3):")) << log();
    EXPECT_TRUE(logged("the port did not take :WFD9E80 (3 attempts)")) << log();
}

TEST_F(HexTextTransportTest, InitCompleteIsOnlyWritten) {
    m_port.feed("xyz");
    EXPECT_EQ(1, m_camera.NotifySensorInitComplate());
    EXPECT_EQ(std::vector<std::string>{":rE1ED0000"}, m_port.writes());
    EXPECT_EQ(3u, m_port.pendingBytes());  // nothing was read
}

TEST_F(HexTextTransportTest, AReadMustAnswerForTheSameRegisterAndKeepsTheValueOtherwise) {
    m_port.scriptAnswer(":RFB370120");  // another register
    m_port.scriptAnswer(":RFB380120");
    int value = 42;
    EXPECT_EQ(1, quiet([&] { return m_camera.recvData(":RFB380000", 4, value); }));
    EXPECT_EQ(0x120, value);
    EXPECT_TRUE(logged("===check(1 times) @getParameterValue failed,send:")) << log();

    m_port.scriptAnswer(":RFFE6");
    value = 42;
    EXPECT_EQ(0, quiet([&] { return m_camera.recvData(":RFFE700", 2, value); }));
    EXPECT_EQ(42, value);
    EXPECT_TRUE(logged("===recv(1 times) @getParameterValue failed,send:")) << log();
    EXPECT_TRUE(logged("===recv(6):")) << log();
    m_port.setWriteLimit(1);
    EXPECT_EQ(0, quiet([&] { return m_camera.recvData(":RFFE700", 2, value); }));
    EXPECT_TRUE(logged("===send(2 times) @getParameterValue failed,send(1):")) << log();
}

TEST_F(HexTextTransportTest, TheZoomModulesRawFramesAreEchoCheckedToo) {
    Wired<SC110N_CSenseController> sc(m_root);
    const std::string lamp = hex("FE 01 1E 02 06 32 59 FF");
    sc.port->scriptAnswer(hex("FE 01 1E 02 06 32 58 FF"));
    sc.port->scriptAnswer(lamp);
    EXPECT_EQ(1, quiet([&] { return sc.controller.setParameterValue(lamp.data(), 8); }));
    EXPECT_EQ(2u, sc.port->writes().size());
    EXPECT_TRUE(logged("===check(1 times) @sendData failed,send:")) << log();
    sc.port->setWriteLimit(2);
    EXPECT_EQ(0, quiet([&] { return sc.controller.setParameterValue(lamp.data(), 8); }));
    EXPECT_TRUE(logged("===send(1 times) @sendData failed,send(2):")) << log();
    EXPECT_TRUE(logged("the port did not take FE 01 1E 02 06 32 59 FF (3 attempts)")) << log();
}
