#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controllers/builtin/Hi351xSenseController.h"
#include "framework/NullSenseController.h"
#include "framework/OVRuntimeError.h"
#include "framework/SensorControllerManager.h"
#include "platform/GlobalEnv.h"
#include "platform/RefCount.h"
#include "sim/SimBoard.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

const char* const kDetail = "isInfrared=0;GPIO=1,2,0";
const char* const kErrorLog = "/mnt/mtd/log/SensorError.log";

// Switches the console messages on for one scope.
class PrintFlag {
public:
    explicit PrintFlag(bool p_bOn) { GlobalEnv::getInstance()->setPrintFlag(p_bOn); }
    ~PrintFlag() { GlobalEnv::getInstance()->setPrintFlag(false); }
};

template <class F>
std::string captured(F p_function) {
    testing::internal::CaptureStdout();
    p_function();
    return testing::internal::GetCapturedStdout();
}

bool contains(const std::string& p_strOut, const std::string& p_strText) {
    return p_strOut.find(p_strText) != std::string::npos;
}

// The message of the OVRuntimeError the call throws ("" if none).
template <class F>
std::string thrown(F p_function) {
    std::string message;
    testing::internal::CaptureStdout();
    try {
        p_function();
    } catch (const OVRuntimeError& error) {
        message = error.what();
    }
    testing::internal::GetCapturedStdout();
    return message;
}

// What the host's objects saw when they went: their name and how many
// reference records were still in use at that moment.
typedef std::vector<std::pair<std::string, size_t> > Departures;

class DepartingGpio : public SimGPIO {
public:
    explicit DepartingGpio(Departures& p_departures) : m_departures(p_departures) {}
    ~DepartingGpio() override {
        m_departures.push_back(
            std::make_pair("gpio", RefCountManager::getInstance()->inUseCount()));
    }

private:
    Departures& m_departures;
};

class DepartingPort : public SimSerialPort {
public:
    explicit DepartingPort(Departures& p_departures) : m_departures(p_departures) {}
    ~DepartingPort() override {
        m_departures.push_back(
            std::make_pair("port", RefCountManager::getInstance()->inUseCount()));
    }

private:
    Departures& m_departures;
};

class ManagerTest : public testing::Test {
protected:
    ManagerTest() : m_board(m_pGpio) {
        layBoard(m_root, 2);
        m_root.clock().setTimeOfDay(12, 0);
    }

    int boot(SensorControllerManager& p_manager, int p_nModuleId) {
        p_manager.setUARTController(m_uart);
        p_manager.setGPIO(m_gpio);
        return p_manager.init(1, VideoResolution(1920, 1080),
                              ModuleConfigure(p_nModuleId, kDetail, "RS485=9600,8,0,0"));
    }

    ScratchRoot m_root;
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    SafePointer<IUARTController> m_uart{new SimSerialPort()};
    SimBoard m_board;
};

}  // namespace

TEST(SenseControllerFactory, OnlyModuleSixtyGetsItsOwnController) {
    ScratchRoot root;
    SafePointer<ISensorController> controller = SenseControllerFactory::create(60);
    EXPECT_NE(nullptr, dynamic_cast<Hi351xSenseController*>(controller.get()));
    EXPECT_EQ(60, controller->getSensorType());
    for (int id : {0, 59, 61, -1}) {
        SCOPED_TRACE(id);
        std::string out = captured([&] { controller = SenseControllerFactory::create(id); });
        EXPECT_EQ("", out);
        EXPECT_NE(nullptr, dynamic_cast<NullSenseController*>(controller.get()));
        EXPECT_EQ(0, controller->getSensorType());
    }
    {
        PrintFlag flag(true);
        std::string out = captured([&] { controller = SenseControllerFactory::create(59); });
        EXPECT_EQ("SenseController: SensorType = 59\n", out);
        out = captured([&] { controller = SenseControllerFactory::create(60); });
        EXPECT_EQ("SenseController: SensorType = 60\n", out);
    }

    // The Null controller answers everything harmlessly.
    NullSenseController null;
    int value = -77;
    EXPECT_EQ(0, null.getMirrorValue(value));
    EXPECT_EQ(0, null.setSensorVideoSystem(1, VideoResolution(1920, 1080)));
    EXPECT_EQ(0, null.initController(59, ModuleConfigure(59, kDetail, "")));
    EXPECT_EQ(0, null.getParameterFromSensor(1, value));
    EXPECT_EQ(0, null.setParameterToSensor(1, 5));
    EXPECT_EQ(-77, value);
    EXPECT_EQ(1, null.updateSensorVideoSystem(1, VideoResolution(1920, 1080)));
}

TEST_F(ManagerTest, BeforeInitOnlyTheThreeForwardedCallsAnswer) {
    SensorControllerManager manager;
    EXPECT_EQ("SafePointer Report:ISensorController Construct from NULL <T>pointer",
              thrown([&] { manager.getSensorController(); }));
    int value = -77;
    std::string out = captured([&] {
        EXPECT_EQ(0, manager.getMirrorValue(value));
        EXPECT_EQ(0, manager.getStillImageValue(value));
    });
    EXPECT_EQ("", out);
    EXPECT_EQ(-77, value);
    {
        PrintFlag flag(true);
        out = captured([&] {
            EXPECT_EQ(0, manager.getMirrorValue(value));
            EXPECT_EQ(0, manager.getStillImageValue(value));
        });
    }
    EXPECT_EQ(
        "SensorControllerManager::getMirrorValue:m_pSensorController is NULL\n"
        "SensorControllerManager::getStillImageValue:m_pSensorController is NULL\n",
        out);

    std::string message;
    out = captured([&] {
        try {
            manager.updateSensorVideoSystem(1, VideoResolution(1920, 1080));
        } catch (const OVRuntimeError& error) {
            message = error.what();
        }
    });
    EXPECT_EQ("SafePointer Report:ISensorController Use NULL pointer ->", message);
    EXPECT_TRUE(contains(out, "SafePointer Report:ISensorController Use NULL pointer ->")) << out;
    EXPECT_TRUE(m_board.isp().calls().empty());
}

TEST_F(ManagerTest, ModuleZeroInstallsTheNullControllerWithoutWiringOrInit) {
    SensorControllerManager manager;
    PrintFlag flag(true);
    std::string out = captured(
        [&] { manager.init(1, VideoResolution(1920, 1080), ModuleConfigure(0, kDetail, "")); });
    EXPECT_EQ("SenseController: SensorType = 0\n", out);
    SafePointer<ISensorController> controller = manager.getSensorController();
    EXPECT_NE(nullptr, dynamic_cast<NullSenseController*>(controller.get()));
    EXPECT_NE(ISensorController::InitSuccess, controller->getSensorStatus());
    EXPECT_FALSE(controller->isInitFinished());
    EXPECT_FALSE(m_root.exists(kErrorLog));
    EXPECT_EQ(0, m_pGpio->startCalls());
    int value = -77;
    EXPECT_EQ(0, manager.getMirrorValue(value));
    EXPECT_EQ(0, manager.getStillImageValue(value));
    EXPECT_EQ(1, manager.updateSensorVideoSystem(1, VideoResolution(1920, 1080)));
}

TEST_F(ManagerTest, InitBeforePortAndGpioThrowsButInstallsTheController) {
    SensorControllerManager manager;
    const ModuleConfigure module(60, kDetail, "RS485=9600,8,0,0");
    EXPECT_EQ("SafePointer Report:IUARTController Assigned NULL <T>pointer",
              thrown([&] { manager.init(1, VideoResolution(1920, 1080), module); }));
    SafePointer<ISensorController> controller = manager.getSensorController();
    EXPECT_NE(nullptr, dynamic_cast<Hi351xSenseController*>(controller.get()));
    EXPECT_NE(ISensorController::InitSuccess, controller->getSensorStatus());

    SensorControllerManager second;
    second.setUARTController(m_uart);
    EXPECT_EQ("SafePointer Report:IGPIO Assigned NULL <T>pointer",
              thrown([&] { second.init(1, VideoResolution(1920, 1080), module); }));
    EXPECT_NE(nullptr, dynamic_cast<Hi351xSenseController*>(second.getSensorController().get()));
    EXPECT_FALSE(second.getSensorController()->isInitFinished());
    EXPECT_EQ(0, m_pGpio->startCalls());
    EXPECT_TRUE(m_board.isp().calls().empty());
}

TEST_F(ManagerTest, AFailedControllerInitIsReportedAndTheControllerStays) {
    SensorControllerManager manager;
    std::string out = captured([&] { boot(manager, 59); });
    EXPECT_FALSE(contains(out, "SensorControllerManager")) << out;
    {
        PrintFlag flag(true);
        out = captured([&] { boot(manager, 59); });
    }
    EXPECT_TRUE(contains(out, "SenseController: SensorType = 59\n")) << out;
    EXPECT_TRUE(contains(out, "SensorControllerManager::initController error\n")) << out;
    EXPECT_FALSE(contains(out, "init successs")) << out;
    EXPECT_EQ(0, m_pGpio->startCalls());
    SafePointer<ISensorController> controller = manager.getSensorController();
    EXPECT_NE(nullptr, dynamic_cast<NullSenseController*>(controller.get()));
    EXPECT_TRUE(contains(m_root.readFile(kErrorLog), "initController failed"));
    int value = -77;
    EXPECT_EQ(0, manager.getMirrorValue(value));
    EXPECT_EQ(0, controller->getParameterFromSensor(1, value));
}

TEST_F(ManagerTest, ASuccessfulInitStartsTheGpioOnce) {
    SensorControllerManager manager;
    PrintFlag flag(true);
    int result = -1;
    std::string out = captured([&] { result = boot(manager, 60); });
    EXPECT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(1, result);
    EXPECT_EQ(1, m_pGpio->startCalls());
    EXPECT_TRUE(contains(out, "SenseController: SensorType = 60\n")) << out;
    EXPECT_TRUE(contains(out, "\n!!!!!!!!!!!!!!!!!!SensorControllerManager::init successs\n"))
        << out;
    EXPECT_FALSE(contains(out, "initController error")) << out;
    SafePointer<ISensorController> controller = manager.getSensorController();
    EXPECT_EQ(ISensorController::InitSuccess, controller->getSensorStatus());
    EXPECT_EQ(1, m_board.isp().videoStandard());

    // The three forwarded calls reach the camera.
    int value = -77;
    EXPECT_EQ(1, manager.getMirrorValue(value));
    EXPECT_EQ(1, manager.updateSensorVideoSystem(0, VideoResolution(1920, 1080)));
    EXPECT_EQ(0, m_board.isp().videoStandard());
    captured(
        [&] { EXPECT_EQ(0, manager.updateSensorVideoSystem(2, VideoResolution(1920, 1080))); });

    // A GPIO that does not start is not announced.
    SensorControllerManager quiet;
    m_pGpio->setStartResult(0);
    out = captured([&] { result = boot(quiet, 60); });
    EXPECT_TRUE(m_root.clock().settle(2));
    EXPECT_EQ(2, m_pGpio->startCalls());
    EXPECT_FALSE(contains(out, "init successs")) << out;
}

TEST_F(ManagerTest, ASecondInitReleasesTheFirstControllerUnlessTheHostHoldsIt) {
    SensorControllerManager manager;
    captured([&] { ASSERT_EQ(1, boot(manager, 60)); });
    ASSERT_TRUE(m_root.clock().settle(1));
    boot(manager, 0);
    // The first camera's day/night thread has gone with it.
    EXPECT_TRUE(m_root.clock().settle(0));
    EXPECT_NE(nullptr, dynamic_cast<NullSenseController*>(manager.getSensorController().get()));

    captured([&] { ASSERT_EQ(1, boot(manager, 60)); });
    ASSERT_TRUE(m_root.clock().settle(1));
    SafePointer<ISensorController> held = manager.getSensorController();
    boot(manager, 0);
    EXPECT_TRUE(m_root.clock().settle(1));
    EXPECT_NE(held.get(), manager.getSensorController().get());
    EXPECT_EQ(ISensorController::InitSuccess, held->getSensorStatus());
    EXPECT_EQ(1, held->setParameter(1, 64));
    EXPECT_EQ(64, m_board.isp().value(14));
    held.reset();
    EXPECT_TRUE(m_root.clock().settle(0));
}

TEST_F(ManagerTest, TheDestructorReleasesControllerThenGpioThenPort) {
    // A first controller brings up whatever the library keeps for good.
    SenseControllerFactory::create(0);
    const size_t idle = RefCountManager::getInstance()->inUseCount();
    Departures departures;
    {
        SensorControllerManager manager;
        manager.setUARTController(SafePointer<IUARTController>(new DepartingPort(departures)));
        manager.setGPIO(SafePointer<IGPIO>(new DepartingGpio(departures)));
        manager.init(1, VideoResolution(1920, 1080), ModuleConfigure(0, kDetail, ""));
        EXPECT_TRUE(departures.empty());
    }
    // When the GPIO goes only its own record and the port's are left: the
    // controller went first.
    EXPECT_EQ((Departures{{"gpio", idle + 2}, {"port", idle + 1}}), departures);
    EXPECT_EQ(idle, RefCountManager::getInstance()->inUseCount());

    // Wired into a controller, the host's objects still go GPIO first.
    departures.clear();
    {
        SensorControllerManager manager;
        manager.setUARTController(SafePointer<IUARTController>(new DepartingPort(departures)));
        manager.setGPIO(SafePointer<IGPIO>(new DepartingGpio(departures)));
        captured([&] {
            manager.init(1, VideoResolution(1920, 1080), ModuleConfigure(59, kDetail, ""));
        });
    }
    EXPECT_EQ((Departures{{"gpio", idle + 2}, {"port", idle + 1}}), departures);
}
