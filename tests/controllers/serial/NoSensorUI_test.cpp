#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "controllers/serial/NoSensorUIController.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/Owned.h"
#include "support/ScratchRoot.h"

namespace {

const char kInquiry[] = "\x81\x09\x04\x01\xFF";

class Ui : public NoSensorUIController {
public:
    using ISensorController::m_nDNState;
    using ISensorController::m_nUARTIndex;
};

bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

std::string captured(const std::function<void()>& p_call) {
    testing::internal::CaptureStdout();
    p_call();
    return testing::internal::GetCapturedStdout();
}

// A controller wired to the simulated camera module.
class NoSensorUITest : public testing::Test {
protected:
    NoSensorUITest() { m_pUi->setOperator(m_port, SafePointer<IGPIO>(new SimGPIO())); }

    int init() {
        int result = 0;
        captured([&] {
            result = m_pUi->initController(
                0, ModuleConfigure(0, "RS485=/dev/ttyAMA1;isInfrared=0", "RS485=9600,8,0,0"));
        });
        return result;
    }

    int inquiries() { return static_cast<int>(m_pVisca->received().size()); }

    ScratchRoot m_root;
    SimViscaCamera* m_pVisca = new SimViscaCamera();
    SafePointer<IUARTController> m_port{m_pVisca};
    std::unique_ptr<Ui> m_pUi{new Owned<Ui>()};
};

}  // namespace

TEST_F(NoSensorUITest, OnePollFollowsTheIrCutFilterAndPacesItself) {
    m_pVisca->setIrCutNight(true);
    double before = m_root.clock().sleptSeconds();
    captured([&] { m_pUi->getDNbody(); });
    EXPECT_EQ(0, m_pUi->m_nDNState);
    EXPECT_DOUBLE_EQ(1.0, m_root.clock().sleptSeconds() - before);
    EXPECT_EQ(std::string(kInquiry), m_pVisca->received().back());

    m_pVisca->setIrCutNight(false);
    captured([&] { m_pUi->getDNbody(); });
    EXPECT_EQ(1, m_pUi->m_nDNState);
}

TEST_F(NoSensorUITest, BadOrMissingRepliesLeaveTheStatusAndRetryAfterThreeSeconds) {
    SimSerialPort* port = new SimSerialPort();
    m_pUi->setOperator(SafePointer<IUARTController>(port), SafePointer<IGPIO>(new SimGPIO()));
    m_pUi->m_nDNState = 1;
    auto poll = [&] {
        double before = m_root.clock().sleptSeconds();
        std::string out = captured([&] { m_pUi->getDNbody(); });
        EXPECT_DOUBLE_EQ(3.0, m_root.clock().sleptSeconds() - before) << out;
        EXPECT_EQ(1, m_pUi->m_nDNState) << out;
        return out;
    };
    EXPECT_TRUE(contains(poll(), "recv @getDNbody failed,nRet = 0"));
    port->scriptAnswer("\x90\x50\x02");
    EXPECT_TRUE(contains(poll(), "recv @getDNbody failed,nRet = 3"));
    port->scriptAnswer("\x90\x50\x07\xFF");
    EXPECT_TRUE(contains(poll(), "get daynight value out of range value = 7"));
    port->setWriteLimit(2);
    EXPECT_TRUE(contains(poll(), "sendData !! send data failed"));
    EXPECT_EQ(4u, port->writes().size());
}

TEST_F(NoSensorUITest, TheThreadPollsEverySecondOrEveryThreeWhileTheModuleIsSilent) {
    m_pVisca->setIrCutNight(true);
    ASSERT_EQ(1, init());
    EXPECT_EQ("/dev/ttyAMA1", m_pVisca->opened());
    ASSERT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(0, m_pUi->m_nDNState);
    EXPECT_TRUE(m_pUi->isPolling());

    m_pVisca->setIrCutNight(false);
    m_root.clock().advance(1);
    ASSERT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(1, m_pUi->m_nDNState);
    EXPECT_EQ(2, inquiries());

    m_pVisca->injectFault(SimViscaCamera::FAULT_SILENT, 100);
    m_pVisca->setIrCutNight(true);
    m_root.clock().advance(1);  // the silent poll
    ASSERT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(3, inquiries());
    m_root.clock().advance(2);
    ASSERT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(3, inquiries());  // still waiting out the 3 s
    m_root.clock().advance(1);
    ASSERT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(4, inquiries());
    EXPECT_EQ(1, m_pUi->m_nDNState);

    // Destruction stops the thread first: no poll after it.
    m_pUi.reset();
    m_root.clock().advance(10);
    EXPECT_EQ(4, inquiries());
}

TEST_F(NoSensorUITest, ParameterCallsSucceedWithoutTouchingTheLine) {
    int value = 42;
    EXPECT_EQ(1, m_pUi->setParameterToSensor(1, 50));
    EXPECT_EQ(1, m_pUi->getParameterFromSensor(1, value));
    EXPECT_EQ(42, value);
    EXPECT_EQ(1, m_pUi->setSensorVideoSystem(1, VideoResolution(1920, 1080)));
    EXPECT_EQ(1, m_pUi->NotifySensorInitComplate());
    EXPECT_TRUE(m_pVisca->received().empty());

    int result = 1;
    std::string out = captured([&] {
        result = m_pUi->initController(0, ModuleConfigure(0, "RS485=/dev/ttyAMA1", "RS485=9600"));
    });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(contains(out, "parse RS485 param failed,nRet=1")) << out;
    EXPECT_FALSE(m_pUi->isPolling());
}
