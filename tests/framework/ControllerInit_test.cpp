#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/OVRuntimeError.h"
#include "platform/Shell.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

const char* const kDir = "/mnt/mtd/code/config_file";
const char* const kFactory = "/mnt/mtd/code/config_file/sensor_Factory.cfg";

// The factory set of TestController: ids 1-5 and 7 as the pretend sensor
// holds them, the whole-day window, versions 3 and 1.
const char* const kFactoryContent =
    "(1,10)(2,20)(3,30)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)";

class ControllerInitTest : public testing::Test {
protected:
    ControllerInitTest() { layBoard(m_root, 3); }

    std::unique_ptr<TestController> boot(const std::string& p_strDetail = "DNDefault=2") {
        std::unique_ptr<TestController> controller(new TestController());
        controller->setOperator(m_uart, m_gpio);
        m_nInitResult =
            controller->init(1, ModuleConfigure(99, p_strDetail, ""), VideoResolution(1920, 1080));
        if (m_nInitResult == 1) {
            // The background thread has run its first cycle and waits.
            EXPECT_TRUE(m_root.clock().settle(1));
        }
        return controller;
    }

    std::string file(const std::string& p_strName) {
        return m_root.readFile(std::string(kDir) + "/" + p_strName);
    }

    ScratchRoot m_root;
    SafePointer<IUARTController> m_uart{new SimSerialPort()};
    SafePointer<IGPIO> m_gpio{new SimGPIO()};
    int m_nInitResult = -1;
};

}  // namespace

TEST_F(ControllerInitTest, FirstBootOnEmptyFlashCreatesEveryFile) {
    ShellRecord::clear();
    auto controller = boot();
    ASSERT_EQ(1, m_nInitResult);
    EXPECT_TRUE(controller->isInitFinished());
    EXPECT_EQ(ISensorController::InitSuccess, controller->getSensorStatus());
    EXPECT_EQ(2, controller->m_nControllerState);
    EXPECT_EQ(2, controller->m_nDNDefault);
    EXPECT_EQ(1, controller->videoSystem);
    EXPECT_EQ(1, controller->getDNState());  // day entered before the files were read

    EXPECT_EQ("sensor.xml sensor0.cfg sensor1.cfg sensor2.cfg sensor_Factory.cfg",
              m_root.listDir(kDir));
    EXPECT_EQ(kFactoryContent, file("sensor_Factory.cfg"));
    EXPECT_EQ(
        "(1,10)(2,20)(3,30)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,"
        "1)",
        file("sensor0.cfg"));
    EXPECT_NE(std::string::npos, file("sensor1.cfg").find("(500,0)"));
    EXPECT_NE(std::string::npos, file("sensor2.cfg").find("(500,0)"));
    // The first thread cycle applied scheme 0, enabled all day.
    EXPECT_NE(std::string::npos, file("sensor.xml").find("name=\"SchemeIndex\" value=\"0\""));
    int scheme = -5;
    controller->getParamScheme(scheme);
    EXPECT_EQ(0, scheme);
    EXPECT_EQ(1, controller->dependCalls);
    EXPECT_NE(std::string::npos, file("sensor.xml").find("name=\"SchemeMode\" value=\"1\""));
    // No factory file means no matching version: the files are cleared first.
    const std::string dir = kDir;
    EXPECT_EQ(
        (std::vector<std::string>{"rm " + dir + "/sensor_Factory.cfg", "rm " + dir + "/sensor0.cfg",
                                  "rm " + dir + "/sensor1.cfg", "rm " + dir + "/sensor2.cfg",
                                  "cp " + dir + "/sensor_Factory.cfg " + dir + "/sensor0.cfg",
                                  "cp " + dir + "/sensor_Factory.cfg " + dir + "/sensor1.cfg",
                                  "cp " + dir + "/sensor_Factory.cfg " + dir + "/sensor2.cfg"}),
        ShellRecord::commands());
    EXPECT_NE(std::string::npos, m_root.readFile("/mnt/mtd/log/SensorError.log")
                                     .find("[SensorError] ISensorController::initSensor  success"));
    ASSERT_EQ(3u, controller->m_vecParamScheme.size());
    int enable = -1;
    controller->m_vecParamScheme[1]->getEnableFlag(enable);
    EXPECT_EQ(0, enable);
}

TEST_F(ControllerInitTest, AWarmStartKeepsTheUsersFiles) {
    boot();
    m_root.writeFile(std::string(kDir) + "/sensor1.cfg", "(1,99)(10000,3)(10001,1)");
    ino_t factory = m_root.inode(kFactory);
    ShellRecord::clear();
    auto controller = boot();
    EXPECT_EQ(1, m_nInitResult);
    EXPECT_TRUE(ShellRecord::commands().empty());
    EXPECT_EQ("(1,99)(10000,3)(10001,1)", file("sensor1.cfg"));
    EXPECT_EQ(factory, m_root.inode(kFactory));
}

TEST_F(ControllerInitTest, AFirstVersionChangeRecreatesFactoryAndSchemeFiles) {
    boot();
    m_root.writeFile(kFactory, "(1,11)(10000,2)(10001,1)");
    m_root.writeFile(std::string(kDir) + "/sensor1.cfg", "(1,99)(10000,2)(10001,1)");
    ShellRecord::clear();
    auto controller = boot();
    std::vector<std::string> commands = ShellRecord::commands();
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ("rm " + std::string(kFactory), commands[0]);
    EXPECT_EQ("rm " + std::string(kDir) + "/sensor0.cfg", commands[1]);
    EXPECT_EQ("rm " + std::string(kDir) + "/sensor2.cfg", commands[3]);
    EXPECT_EQ(kFactoryContent, file("sensor_Factory.cfg"));
    EXPECT_EQ(std::string::npos, file("sensor1.cfg").find("(1,99)"));
}

TEST_F(ControllerInitTest, ASecondVersionChangeRecreatesOnlyTheFactoryFile) {
    boot();
    m_root.writeFile(kFactory, "(1,11)(10000,3)(10001,7)");
    m_root.writeFile(std::string(kDir) + "/sensor1.cfg", "(1,99)(10000,3)(10001,1)");
    ShellRecord::clear();
    testing::internal::CaptureStdout();
    auto controller = boot();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos,
              out.find("sensor configure version 2 changed delete configure files \n"));
    EXPECT_EQ((std::vector<std::string>{"rm " + std::string(kFactory)}), ShellRecord::commands());
    EXPECT_EQ(kFactoryContent, file("sensor_Factory.cfg"));
    EXPECT_EQ("(1,99)(10000,3)(10001,1)", file("sensor1.cfg"));
}

TEST_F(ControllerInitTest, TheOldSingleFileBecomesSchemeZeroInLineWithTheFactorySet) {
    boot();
    // An old file with a value of its own, an id no longer in use, and one id
    // missing.
    m_root.writeFile(std::string(kDir) + "/sensor.cfg", "(1,77)(2,20)(3,30)(4,40)(9,1)(10000,1)");
    auto controller = boot();
    EXPECT_FALSE(m_root.exists(std::string(kDir) + "/sensor.cfg"));
    EXPECT_EQ(
        "(1,77)(2,20)(3,30)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,"
        "1)",
        file("sensor0.cfg"));
}

TEST_F(ControllerInitTest, FailedStepsStopInitAndStartNoThread) {
    std::unique_ptr<TestController> controller(new TestController());
    controller->initResult = 0;
    controller->setOperator(m_uart, m_gpio);
    EXPECT_EQ(0, controller->init(1, ModuleConfigure(), VideoResolution()));
    EXPECT_FALSE(controller->isInitFinished());
    EXPECT_NE(std::string::npos,
              m_root.readFile("/mnt/mtd/log/SensorError.log").find("initController failed"));
    EXPECT_EQ("", m_root.listDir(kDir));

    auto badDetail = boot("no equals sign");
    EXPECT_EQ(0, m_nInitResult);
    EXPECT_NE(std::string::npos,
              m_root.readFile("/mnt/mtd/log/SensorError.log").find("parse detail failed"));
    EXPECT_EQ(1, badDetail->getSensorStatus());
}

TEST_F(ControllerInitTest, SensorType17SetsItsOwnStatus) {
    std::unique_ptr<TestController> controller(new TestController(17));
    controller->setOperator(m_uart, m_gpio);
    ASSERT_EQ(1, controller->init(0, ModuleConfigure(), VideoResolution()));
    EXPECT_EQ(1, controller->getSensorStatus());
}

TEST_F(ControllerInitTest, AMissingOrBrokenSchemeCountStillBootsWithoutSchemes) {
    m_root.writeFile("/hd1/moduleConfig/sensorAbility.xml", "<sensorAbility><x/></sensorAbility>");
    auto controller = boot();
    EXPECT_EQ(1, m_nInitResult);
    EXPECT_TRUE(controller->m_vecSchemeFiles.empty());
    EXPECT_EQ("sensor.xml sensor_Factory.cfg", m_root.listDir(kDir));
    int count = -1;
    EXPECT_FALSE(controller->getParamSchemeNum(count));
    EXPECT_EQ(-1, count);
    m_root.writeFile("/hd1/moduleConfig/sensorAbility.xml",
                     "<a><n><item value=\"100000\"/></n></a>");
    EXPECT_FALSE(controller->getParamSchemeNum(count));
}

TEST_F(ControllerInitTest, SetOperatorRefusesEmptyHandles) {
    TestController controller;
    SafePointer<IGPIO> none;
    EXPECT_THROW(controller.setOperator(m_uart, none), OVRuntimeError);
}

TEST_F(ControllerInitTest, CheckModuleRebootsThroughTheWatchdogAfterTwoFailedQueries) {
    TestController controller;
    ShellRecord::clear();
    m_root.makeDir("/proc/wtd");
    EXPECT_EQ(1, controller.checkModule());  // queries and succeeds
    controller.zoomResult = 0;
    m_root.clock().advance(30);
    EXPECT_EQ(1, controller.checkModule());  // within the minute: no query
    m_root.clock().advance(31);
    EXPECT_EQ(0, controller.checkModule());
    EXPECT_EQ((std::vector<std::string>{"echo 1 >/proc/wtd/user_interval"}),
              ShellRecord::commands());
    EXPECT_EQ("1\n", m_root.readFile("/proc/wtd/user_interval"));
    EXPECT_NE(std::string::npos,
              m_root.readFile("/mnt/mtd/log/Reboot.log").find("[Reboot] module error"));
}

TEST_F(ControllerInitTest, DebugMarkerSwitchesDebugOutputOn) {
    testing::internal::CaptureStdout();
    {
        TestController quiet;
        quiet.Debug_Printf("hidden %d\n", 1);
        EXPECT_EQ(0, quiet.m_bDebugMode);
    }
    m_root.writeFile("/factory_setting/SensorControlDebug", "");
    TestController loud;
    loud.Debug_Printf("%s\n", std::string(80, 'x').c_str());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ("*********In sensor debug mode (/factory_setting/SensorControlDebug)*********\n" +
                  std::string(51, 'x'),
              out);
}

// A first start cut short - in the middle of copying the scheme files, or
// before all but the first were disabled - is done again by the next start,
// as long as no scheme was ever applied; after that the files are the user's.
TEST_F(ControllerInitTest, AFirstStartCutShortIsDoneAgainUntilASchemeIsApplied) {
    std::string disabled = kFactoryContent;
    disabled.replace(disabled.find("(500,1)"), 7, "(500,0)");
    m_root.writeFile(kFactory, kFactoryContent);
    m_root.writeFile(std::string(kDir) + "/sensor0.cfg", kFactoryContent);
    m_root.writeFile(std::string(kDir) + "/sensor1.cfg", kFactoryContent);
    m_root.writeFile(std::string(kDir) + "/sensor2.cfg", "(1,10)(2,2");
    auto controller = boot();
    EXPECT_EQ(kFactoryContent, file("sensor0.cfg"));
    EXPECT_EQ(disabled, file("sensor1.cfg"));
    EXPECT_EQ(disabled, file("sensor2.cfg"));

    m_root.writeFile(std::string(kDir) + "/sensor1.cfg", kFactoryContent);
    controller.reset();
    controller = boot();
    EXPECT_EQ(kFactoryContent, file("sensor1.cfg"));
}
