#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controllers/builtin/Hi351xSenseController.h"
#include "framework/SensorControllerManager.h"
#include "sim/SimBoard.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

class LivePathTest : public testing::Test {
protected:
    LivePathTest() : m_board(m_pGpio) {
        layBoard(m_root, 4);
        m_root.clock().setTimeOfDay(12, 0);
    }

    int boot(SensorControllerManager& p_manager, const std::string& p_strDetail) {
        p_manager.setUARTController(m_uart);
        p_manager.setGPIO(m_gpio);
        int result = p_manager.init(1, VideoResolution(1920, 1080),
                                    ModuleConfigure(60, p_strDetail, "RS485=9600,8,0,0"));
        EXPECT_TRUE(m_root.clock().settle(result ? 1 : 0));
        return result;
    }

    ScratchRoot m_root;
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    SafePointer<IUARTController> m_uart{new SimSerialPort()};
    SimBoard m_board;
};

}  // namespace

// Module 60 boots on the simulated board, keeps a parameter across a restart
// and applies it to the ISP again.
TEST_F(LivePathTest, ACameraKeepsItsParametersAcrossARestart) {
    {
        SensorControllerManager manager;
        ASSERT_EQ(1, boot(manager, "isInfrared=0;GPIO=1,2,0"));
        SafePointer<ISensorController> controller = manager.getSensorController();
        EXPECT_NE(nullptr, dynamic_cast<Hi351xSenseController*>(controller.get()));
        EXPECT_EQ(1, controller->setParameter(1, 77));
        EXPECT_EQ(77, m_board.isp().value(14));
        EXPECT_EQ(0, controller->flush());
        EXPECT_EQ(1, m_board.isp().videoStandard());
    }
    m_board.isp().setValue(14, 50);  // the ISP forgets at power-off
    SensorControllerManager manager;
    ASSERT_EQ(1, boot(manager, "isInfrared=0;GPIO=1,2,0"));
    EXPECT_EQ(77, m_board.isp().value(14));
    int value = 0;
    EXPECT_TRUE(manager.getSensorController()->getParameter(1, value));
    EXPECT_EQ(77, value);
}
