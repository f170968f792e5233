#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/Devices.h"
#include "sim/SimBoard.h"
#include "support/ScratchRoot.h"

namespace {

// One reading of the LDR the way a driver takes it; -1 when the device
// cannot be opened, -2 when a request fails.
int readAdc() {
    int fd = ovdev_open("/dev/adc", O_RDONLY);
    if (fd < 0) {
        return -1;
    }
    uint32_t request[3] = {1, 0, 0};
    int raw = -2;
    if (ovdev_ioctl(fd, 0xC00C4100ul, request) == 0 &&
        ovdev_ioctl(fd, 0xC00C4101ul, request) == 0) {
        raw = static_cast<int>(request[2]);
    }
    ovdev_close(fd);
    return raw;
}

// A PWM request: channel, 3 bytes padding, duty, period, enable, padding.
int sendPwm(unsigned char p_nChannel, uint32_t p_nDuty, uint32_t p_nPeriod, unsigned char p_nEnable,
            unsigned long p_nRequest = 1) {
    unsigned char bytes[16];
    std::memset(bytes, 0xAB, sizeof(bytes));  // the padding carries no meaning
    bytes[0] = p_nChannel;
    std::memcpy(bytes + 4, &p_nDuty, 4);
    std::memcpy(bytes + 8, &p_nPeriod, 4);
    bytes[12] = p_nEnable;
    int fd = ovdev_open("/dev/pwm", O_RDWR);
    int result = ovdev_ioctl(fd, p_nRequest, bytes);
    ovdev_close(fd);
    return result;
}

int isp(int p_nCode, int p_nValue = 0) {
    int value = p_nValue;
    int result = OvEwfi_Api_Ioctrl(p_nCode, &value);
    return result == 0 ? value : result * 1000;
}

class SimBoardTest : public testing::Test {
protected:
    SimBoardTest() : m_board(m_pGpio) {}

    ScratchRoot m_root;
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    SimBoard m_board;
};

}  // namespace

TEST_F(SimBoardTest, IspSetCodesFeedTheirGetCodesAndEveryCallIsRecorded) {
    EXPECT_EQ(50, isp(14));  // a fresh ISP's brightness
    EXPECT_EQ(42, isp(13, 42));
    EXPECT_EQ(42, isp(14, -1));
    EXPECT_EQ(42, m_board.isp().value(14));
    m_board.isp().setValue(1570, 1);
    EXPECT_EQ(1, isp(1570));
    EXPECT_EQ(0, isp(1578, 9));  // never set: 0
    std::vector<SimIsp::Call> calls = m_board.isp().calls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ(14, calls[0].nCode);
    EXPECT_EQ(50, calls[0].nValue);
    EXPECT_EQ(13, calls[1].nCode);
    EXPECT_EQ(42, calls[1].nValue);
    EXPECT_EQ(1578, calls[4].nCode);
    EXPECT_EQ(0, calls[4].nValue);
    m_board.isp().clearCalls();
    EXPECT_TRUE(m_board.isp().calls().empty());

    EXPECT_EQ(1, isp(2049, 1));
    EXPECT_EQ(1, m_board.isp().videoStandard());
}

TEST_F(SimBoardTest, ScriptedResultsReplaceTheCommand) {
    for (int result : {-1, -2, -3}) {
        m_board.isp().setResult(13, result);
        EXPECT_EQ(result * 1000, isp(13, 77));
        EXPECT_EQ(50, m_board.isp().value(14));
        m_board.isp().setResult(14, result);
        int value = -5;
        EXPECT_EQ(result, OvEwfi_Api_Ioctrl(14, &value));
        EXPECT_EQ(-5, value);
    }
    m_board.isp().setResult(13, 0);
    m_board.isp().setResult(14, 0);
    EXPECT_EQ(77, isp(13, 77));
    EXPECT_EQ(77, isp(14));
    // Failed calls are recorded as well, with the value they carried.
    std::vector<SimIsp::Call> calls = m_board.isp().calls();
    ASSERT_EQ(8u, calls.size());
    EXPECT_EQ(13, calls[0].nCode);
    EXPECT_EQ(77, calls[0].nValue);
}

TEST_F(SimBoardTest, LightLevelAndNightSwitchFollowTheSceneAndTheClock) {
    EXPECT_EQ(0, isp(4102));
    m_board.setBrightness(30);
    EXPECT_EQ(70, isp(4102));
    m_board.setBrightness(-5);
    EXPECT_EQ(100, isp(4102));
    m_board.setBrightness(150);
    EXPECT_EQ(0, isp(4102));

    EXPECT_EQ(1, isp(4106));  // no night switch started
    m_board.isp().setNightSwitchDelay(0.5);
    EXPECT_EQ(2, isp(15, 2));
    EXPECT_EQ(2, m_board.isp().pictureMode());
    m_root.clock().advance(0.25);
    EXPECT_EQ(1, isp(4106));
    m_root.clock().advance(0.24);
    EXPECT_EQ(1, isp(4106));
    m_root.clock().advance(0.02);
    EXPECT_EQ(0, isp(4106));
    EXPECT_EQ(0, isp(4106));
    EXPECT_EQ(1, isp(15, 1));
    EXPECT_EQ(1, m_board.isp().pictureMode());
    EXPECT_EQ(1, isp(4106));
}

// A camera polling every 20 ms sees the default 0.1-s switch end at its
// sixth poll, 100 ms after the command.
TEST_F(SimBoardTest, ANightSwitchEndsOnceItsDelayHasPassed) {
    EXPECT_EQ(2, isp(15, 2));
    m_root.clock().advance(0.08);
    EXPECT_EQ(1, isp(4106));
    m_root.clock().advance(0.02);
    EXPECT_EQ(0, isp(4106));
}

TEST_F(SimBoardTest, AdcReadsTheSceneAndTheReflectionOfGpioLeds) {
    EXPECT_EQ(400, readAdc());
    m_board.setBrightness(50);
    EXPECT_EQ(200, readAdc());
    EXPECT_EQ(200, m_board.adcRaw());
    m_pGpio->setLevel(1, 3, 1);
    EXPECT_EQ(200, readAdc());  // no LED pin known yet
    m_board.setLedPin(GPIOTriple{1, 3, 0});
    EXPECT_EQ(100, m_board.ledPower());
    EXPECT_EQ(340, readAdc());  // 4 x (50 + 35)
    m_board.setReflection(10);
    EXPECT_EQ(240, readAdc());
    m_pGpio->setLevel(1, 3, 0);
    EXPECT_EQ(0, m_board.ledPower());
    EXPECT_EQ(200, readAdc());
    m_board.setBrightness(100);
    m_board.setReflection(200);
    m_pGpio->setLevel(1, 3, 1);
    EXPECT_EQ(1023, readAdc());

    // A pin whose day level is 1 lights the LEDs at 0.
    m_board.setReflection(35);
    m_board.setBrightness(10);
    m_board.setLedPin(GPIOTriple{2, 4, 1});
    EXPECT_EQ(180, readAdc());
    m_pGpio->setLevel(2, 4, 1);
    EXPECT_EQ(40, readAdc());
    EXPECT_EQ(9, m_board.adc().reads());

    m_board.adc().setFailing(true);
    EXPECT_EQ(-2, readAdc());
    EXPECT_EQ(9, m_board.adc().reads());
    m_board.adc().setFailing(false);
    m_board.removeAdc(true);
    EXPECT_EQ(-1, readAdc());
    m_board.removeAdc(false);
    EXPECT_EQ(40, readAdc());
}

TEST_F(SimBoardTest, PwmRequestsAreDecodedAndDimTheLeds) {
    EXPECT_EQ(0, sendPwm(3, 250, 1000, 1));
    SimPwm::Setting last = m_board.pwm().last();
    EXPECT_EQ(3, last.nChannel);
    EXPECT_EQ(250u, last.nDuty);
    EXPECT_EQ(1000u, last.nPeriod);
    EXPECT_EQ(1, last.nEnable);
    EXPECT_EQ(25, m_board.ledPower());
    m_board.setBrightness(0);
    EXPECT_EQ(35, readAdc());  // 4 x 35 x 25 / 100

    EXPECT_EQ(0, sendPwm(0, 500, 1000, 0));
    EXPECT_EQ(0, m_board.ledPower());
    EXPECT_EQ(0, readAdc());
    EXPECT_EQ(0, sendPwm(0, 1500, 1000, 1));
    EXPECT_EQ(100, m_board.ledPower());
    EXPECT_EQ(140, readAdc());
    // Only request 1 configures the output.
    EXPECT_EQ(-1, sendPwm(0, 0, 1000, 0, 2));
    EXPECT_EQ(100, m_board.ledPower());
    std::vector<SimPwm::Setting> history = m_board.pwm().history();
    ASSERT_EQ(3u, history.size());
    EXPECT_EQ(500u, history[1].nDuty);
    EXPECT_EQ(0, history[1].nEnable);

    // The brighter of the two LED controls wins.
    m_board.setLedPin(GPIOTriple{1, 3, 0});
    sendPwm(0, 400, 1000, 1);
    EXPECT_EQ(40, m_board.ledPower());
    m_pGpio->setLevel(1, 3, 1);
    EXPECT_EQ(100, m_board.ledPower());
}

TEST(SimBoard, LeavesTheDeviceLayerWhenDestroyed) {
    ScratchRoot root;
    SimGPIO* gpio = new SimGPIO();
    SafePointer<IGPIO> handle(gpio);
    {
        SimBoard board(gpio);
        EXPECT_EQ(50, isp(14));
        EXPECT_EQ(400, readAdc());
    }
    int value = 0;
    EXPECT_EQ(OVEWFI_NOT_SUPPORTED, OvEwfi_Api_Ioctrl(14, &value));
    EXPECT_EQ(-1, readAdc());
    EXPECT_EQ(-1, ovdev_open("/dev/pwm", O_RDWR));
}
