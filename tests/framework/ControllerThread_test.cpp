#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

class ControllerThreadTest : public testing::Test {
protected:
    ControllerThreadTest() {
        layBoard(m_root, 2);
        m_root.clock().setTimeOfDay(12, 0);
    }

    // A serial module: the switch sequences have no GPIO pauses, so every
    // cycle ends in the one-second wait of the thread.
    std::unique_ptr<TestController> boot() {
        std::unique_ptr<TestController> controller(new TestController());
        controller->m_bIsUARTModule = true;
        controller->setOperator(m_uart, m_gpio);
        EXPECT_EQ(1, controller->init(0, ModuleConfigure(99, "", ""), VideoResolution()));
        EXPECT_TRUE(m_root.clock().settle(1));
        return controller;
    }

    ScratchRoot m_root;
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    SafePointer<IUARTController> m_uart{new SimSerialPort()};
};

}  // namespace

// The real thread, stepped second by second: it applies the scheme of the
// hour, follows the light input with its return-to-day delay, and runs the
// controller's hook once per cycle.
TEST_F(ControllerThreadTest, TheBackgroundThreadRunsOneCyclePerSecond) {
    auto controller = boot();
    EXPECT_EQ(1, controller->dependCalls);
    int scheme = -5;
    controller->getParamScheme(scheme);
    EXPECT_EQ(0, scheme);

    controller->sensorStatus = 0;  // dusk
    m_root.clock().advance(1);
    ASSERT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(0, controller->getDNState());
    controller->sensorStatus = 1;  // dawn: day only after five steady seconds
    for (int second = 1; second <= 4; ++second) {
        m_root.clock().advance(1);
        ASSERT_TRUE(m_root.clock().settle(1));
        EXPECT_EQ(0, controller->getDNState()) << second;
    }
    m_root.clock().advance(2);
    ASSERT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(1, controller->getDNState());
    EXPECT_GE(controller->dependCalls, 6);
}

// Host calls race the thread on purpose; ThreadSanitizer watches. Then the
// controller is destroyed while its thread is busy.
TEST_F(ControllerThreadTest, HostCallsDuringACycleAndDestructionWhileRunning) {
    auto controller = boot();
    std::atomic<bool> done{false};
    std::thread stepper([&] {
        while (!done.load()) {
            m_root.clock().advance(1);
            std::this_thread::yield();
        }
    });
    for (int n = 0; n < 200; ++n) {
        controller->setParameter(1 + n % 5, n % 100);
        controller->setDayNightMode(n % 4);
        std::string values;
        controller->getParameters("1,2,3", values);
        controller->setParamScheme(n % 2);
        controller->flush();
    }
    controller.reset();  // stops and joins a thread that is mid-run
    done.store(true);
    stepper.join();
    EXPECT_TRUE(m_root.clock().settle(0));
}

// With the real clock the thread sleeps a real second per cycle; destroying
// the controller must not wait that second out.
TEST(ControllerThread, DestructionInterruptsTheRealOneSecondPause) {
    ScratchRoot root;
    layBoard(root, 1);
    Clock::install(nullptr);
    SafePointer<IGPIO> gpio(new SimGPIO());
    SafePointer<IUARTController> uart(new SimSerialPort());
    std::unique_ptr<TestController> controller(new TestController());
    controller->m_bIsUARTModule = true;
    controller->setOperator(uart, gpio);
    ASSERT_EQ(1, controller->init(0, ModuleConfigure(), VideoResolution()));
    auto before = std::chrono::steady_clock::now();
    controller.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(900));
}
