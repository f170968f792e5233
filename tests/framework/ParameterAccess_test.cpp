#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/Owned.h"
#include "support/TestController.h"

namespace {

const std::string kDir = "/mnt/mtd/code/config_file";
const std::string kFactory = kDir + "/sensor_Factory.cfg";
const std::string kEspecial = kDir + "/sensor_Especial.cfg";
const std::string kScheme0 = kDir + "/sensor0.cfg";
const std::string kScheme1 = kDir + "/sensor1.cfg";

// What a first boot of TestController leaves in the factory file and in
// scheme 0; scheme 1 differs only in being disabled.
const std::string kFactorySet =
    "(1,10)(2,20)(3,30)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)";
const std::string kDisabledSet =
    "(1,10)(2,20)(3,30)(4,40)(5,50)(7,70)(500,0)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)";

template <typename Action>
std::string console(Action p_action) {
    testing::internal::CaptureStdout();
    p_action();
    return testing::internal::GetCapturedStdout();
}

bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

// Notes whether the parameter lock is held whenever the base calls back.
class LockWatchingController : public TestController {
public:
    using ISensorController::m_paramMutex;

    int setParameterToSensor(int p_nId, int p_nValue) override {
        heldWhileApplying.push_back(lockHeld());
        return TestController::setParameterToSensor(p_nId, p_nValue);
    }
    int UpdateParameters(std::string& p_strValues) override {
        heldWhileUpdating.push_back(lockHeld());
        if (duringUpdate) {
            duringUpdate();
        }
        p_strValues += appendOnUpdate;
        return updateResult != 0 ? TestController::UpdateParameters(p_strValues) : 0;
    }
    int flush() override {
        heldWhileFlushing.push_back(lockHeld());
        return ISensorController::flush();
    }

    int updateResult = 1;
    std::string appendOnUpdate;
    std::function<void()> duringUpdate;
    std::vector<bool> heldWhileApplying;
    std::vector<bool> heldWhileUpdating;
    std::vector<bool> heldWhileFlushing;

private:
    // Asked from another thread: the caller may hold the lock itself.
    bool lockHeld() {
        bool held = false;
        std::thread probe([&] {
            held = m_paramMutex.tryLock() == 0;
            if (!held) {
                m_paramMutex.unlock();
            }
        });
        probe.join();
        return held;
    }
};

class ParameterAccessTest : public testing::Test {
protected:
    ParameterAccessTest() {
        layBoard(m_root, 2);
        m_controller.setOperator(m_uart, m_gpio);
    }

    // The files of a first boot, with scheme 0 applied to the sensor.
    void bootFiles() {
        m_root.writeFile(kFactory, kFactorySet);
        m_root.writeFile(kScheme0, kFactorySet);
        m_root.writeFile(kScheme1, kDisabledSet);
        ASSERT_EQ(1, m_controller.createSensorXML());
        ASSERT_EQ(1, m_controller.initSensorFilesHandler());
        ASSERT_EQ(1, m_controller.loadSchemeParamToMemory());
        ASSERT_EQ(1, m_controller.switchScheme(0));
        m_controller.applied.clear();
    }

    std::string cached(SensorCache& p_cache) {
        std::string text;
        p_cache.getAllSensorValues(text);
        return text;
    }

    ScratchRoot m_root;
    SimSerialPort* m_port = new SimSerialPort();
    SafePointer<IUARTController> m_uart{m_port};
    SafePointer<IGPIO> m_gpio{new SimGPIO()};
    TestController m_controller;
};

}  // namespace

TEST_F(ParameterAccessTest, SetParameterSendsOnlyChangesAndCachesByIdClass) {
    TestController& c = m_controller;
    EXPECT_EQ(1, c.setParameter(1, 15));
    EXPECT_EQ(1, c.setParameter(1, 15));  // already applied: the sensor is not asked again
    EXPECT_EQ(1, c.setParameter(10000, 4));
    EXPECT_EQ(1, c.setParameter(10001, 4));
    EXPECT_EQ(0, c.m_pSensorCache->isIdExist(10000));
    EXPECT_EQ(0, c.m_pSensorCache->isIdExist(10001));

    // Set-only: reaches the sensor every time, never the cache.
    EXPECT_EQ(1, c.setParameter(6, 66));
    EXPECT_EQ(1, c.setParameter(6, 66));
    EXPECT_EQ(0, c.m_pSensorCache->isIdExist(6));
    EXPECT_EQ(66, c.hardware[6]);

    // Keep-default: the first value stays cached although the sensor follows.
    EXPECT_EQ(1, c.setParameter(7, 71));
    EXPECT_EQ(1, c.setParameter(7, 72));
    EXPECT_EQ(72, c.hardware[7]);

    // The window ids are the base's: accepted and cached, not the driver's.
    EXPECT_EQ(1, c.setParameter(501, 8));

    EXPECT_EQ((std::vector<std::pair<int, int> >{{1, 15}, {6, 66}, {6, 66}, {7, 71}, {7, 72}}),
              c.applied);
    EXPECT_EQ("(1,15)(7,71)(501,8)", cached(*c.m_pSensorCache));
}

TEST_F(ParameterAccessTest, SetParameterRefusesUnknownIdsAndHardwareFailures) {
    TestController& c = m_controller;
    c.failingIds = {2};
    std::string out = console([&] {
        EXPECT_EQ(0, c.setParameter(9, 5));
        EXPECT_EQ(0, c.setParameter(2, 25));
    });
    // The unknown id did reach the sensor before it was refused.
    EXPECT_EQ((std::vector<std::pair<int, int> >{{9, 5}, {2, 25}}), c.applied);
    EXPECT_TRUE(contains(out, "id type is unknow\n")) << out;
    EXPECT_TRUE(contains(out, "setParameterToSensor (2,25) failed\n")) << out;
    EXPECT_EQ(0u, c.m_pSensorCache->size());
    EXPECT_EQ(0, c.setParameter(2, 20));  // equal to the sensor, but not cached
}

TEST_F(ParameterAccessTest, SetParametersAppliesInIdOrderAndStopsAtTheFirstFailure) {
    TestController& c = m_controller;
    c.failingIds = {3};
    int result = 0;
    std::string out = console([&] { result = c.setParameters("(4,44)(1,11)(3,33)(2,22)"); });
    EXPECT_EQ(-3, result);
    EXPECT_TRUE(contains(out, "setParameter (3,33) failed\n")) << out;
    EXPECT_EQ((std::vector<std::pair<int, int> >{{1, 11}, {2, 22}, {3, 33}}), c.applied);
    EXPECT_EQ(40, c.hardware[4]);
    EXPECT_EQ("(1,11)(2,22)", cached(*c.m_pSensorCache));
    EXPECT_EQ("(1,11)(2,22)(3,33)(4,44)", cached(*c.m_pSensorLastValueCache));

    // A read prefers what was asked for over what was applied.
    int value = 0;
    EXPECT_EQ(1, c.getParameter(4, value));
    EXPECT_EQ(44, value);

    c.failingIds.clear();
    EXPECT_EQ(0, c.setParameters("(5,55)"));
    EXPECT_EQ("(5,55)", cached(*c.m_pSensorLastValueCache));
    EXPECT_EQ(1, c.getParameter(1, value));  // from the applied values
    EXPECT_EQ(11, value);
    value = -7;
    EXPECT_EQ(0, c.getParameter(4, value));
    EXPECT_EQ(-7, value);
}

TEST_F(ParameterAccessTest, GetParametersReadsTheAppliedValuesOfAnIdList) {
    TestController& c = m_controller;
    ASSERT_EQ(0, c.setParameters("(1,11)(2,22)"));
    c.m_pSensorLastValueCache->setSensorValue(1, 99);
    std::string values;
    EXPECT_EQ(1, c.getParameters("2,1", values));
    EXPECT_EQ("(1,11)(2,22)", values);
    values = "untouched";
    EXPECT_EQ(0, c.getParameters("1,3", values));
    EXPECT_EQ("untouched", values);
}

TEST_F(ParameterAccessTest, GetAllParametersSavesOnlyWhatTheHardwareChanged) {
    bootFiles();
    TestController& c = m_controller;
    ino_t scheme = m_root.inode(kScheme0);
    std::string values;
    std::string out = console([&] { EXPECT_EQ(1, c.getAllParameters(values)); });
    EXPECT_EQ("(1,10)(2,20)(3,30)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)", values);
    EXPECT_FALSE(contains(out, "save sensor parameter")) << out;
    EXPECT_EQ(scheme, m_root.inode(kScheme0));
    EXPECT_FALSE(m_root.exists(kEspecial));

    c.drift = {{2, 27}};
    out = console([&] { EXPECT_EQ(1, c.getAllParameters(values)); });
    EXPECT_EQ("(1,10)(2,27)(3,30)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)", values);
    EXPECT_TRUE(contains(out, "save sensor parameter\n")) << out;
    EXPECT_EQ(
        "(1,10)(2,27)(3,30)(4,40)(5,50)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)",
        m_root.readFile(kScheme0));
    EXPECT_TRUE(m_root.exists(kEspecial));
    int value = 0;
    c.m_pSensorCache->getSensorValue(2, value);
    EXPECT_EQ(27, value);
}

TEST_F(ParameterAccessTest, StopPTZWritesMenuOnToASerialModuleOnly) {
    TestController& c = m_controller;
    EXPECT_EQ(1, c.stopPTZ());
    EXPECT_TRUE(m_port->writes().empty());

    c.m_bIsUARTModule = true;
    EXPECT_EQ(1, c.stopPTZ());
    EXPECT_EQ((std::vector<std::string>{"MENUON"}), m_port->writes());

    m_port->setWriteLimit(5);
    std::string values = "untouched";
    std::string out = console([&] {
        EXPECT_EQ(0, c.stopPTZ());
        EXPECT_EQ(0, c.getAllParameters(values));
    });
    EXPECT_TRUE(contains(out, "stop PTZ @getAllParameters failed\n")) << out;
    EXPECT_EQ("untouched", values);
    EXPECT_EQ(3u, m_port->writes().size());
}

TEST_F(ParameterAccessTest, GetAllParametersFromSensorReadsEveryReadableIdListInTurn) {
    TestController& c = m_controller;
    c.hardware[6] = 61;
    std::string values;
    EXPECT_EQ(1, c.getAllParametersFromSensor(values));
    // Set-only id 6 is never read back.
    EXPECT_EQ("(1,10)(2,20)(3,30)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)", values);

    // Common ids first (500s after 1-5), then especial ids, then keep-default.
    c.getIdManager()->addParameterId(ID_TYPE_ESPECIAL, 8);  // the sensor cannot read it
    c.unreadableIds = {7, 502};
    values = "untouched";
    std::string out = console([&] { EXPECT_EQ(0, c.getAllParametersFromSensor(values)); });
    EXPECT_EQ("untouched", values);
    EXPECT_TRUE(contains(out, "getParameterFromSensor (502) failed\n")) << out;
    c.unreadableIds = {7};
    out = console([&] { EXPECT_EQ(0, c.getAllParametersFromSensor(values)); });
    EXPECT_TRUE(contains(out, "getParameterFromSensor (8) failed\n")) << out;
}

TEST_F(ParameterAccessTest, FlushChecksTheSchemeWindowAndKeepsItInTheScheme) {
    bootFiles();
    TestController& c = m_controller;
    ASSERT_EQ(0, c.setParameters("(500,1)(501,8)(502,3)(503,17)(504,0)"));
    EXPECT_EQ(0, c.flush());
    int start = 0;
    int end = 0;
    c.m_vecParamScheme[0]->getStartTime(start);
    c.m_vecParamScheme[0]->getEndTime(end);
    EXPECT_EQ(830, start);
    EXPECT_EQ(1700, end);
    EXPECT_TRUE(contains(m_root.readFile(kScheme0), "(501,8)(502,3)(503,17)(504,0)"));

    ASSERT_EQ(0, c.setParameters("(503,24)(504,0)"));
    EXPECT_EQ(0, c.flush());  // ending at 24:00 is allowed
    ASSERT_EQ(0, c.setParameters("(504,1)"));
    EXPECT_EQ(506, c.flush());
    ASSERT_EQ(0, c.setParameters("(501,24)(502,1)(504,0)"));
    EXPECT_EQ(505, c.flush());
    ASSERT_EQ(0, c.setParameters("(501,17)(502,0)(503,17)(504,0)"));
    EXPECT_EQ(507, c.flush());
    // A refused window is not taken over into the scheme or its file.
    c.m_vecParamScheme[0]->getStartTime(start);
    EXPECT_EQ(830, start);
    EXPECT_TRUE(contains(m_root.readFile(kScheme0), "(501,8)(502,3)(503,24)(504,0)"));
}

TEST_F(ParameterAccessTest, FlushWritesEspecialValuesEverywhereAndCommonOnlyToTheScheme) {
    TestController& c = m_controller;
    c.getIdManager()->addParameterId(ID_TYPE_ESPECIAL, 8);
    bootFiles();
    m_root.writeFile(kFactory, "(1,10)(7,70)(8,5)(10000,3)(10001,1)");
    ASSERT_EQ(0, c.setParameters("(1,11)(6,66)(7,71)(8,80)"));

    // Without an active scheme only the factory and especial files change.
    c.m_nCurrentScheme = -1;
    ino_t scheme0 = m_root.inode(kScheme0);
    ino_t scheme1 = m_root.inode(kScheme1);
    EXPECT_EQ(0, c.flush());
    EXPECT_EQ("(1,10)(7,70)(8,80)(10000,3)(10001,1)", m_root.readFile(kFactory));
    EXPECT_EQ("(8,80)(10000,3)(10001,1)", m_root.readFile(kEspecial));
    EXPECT_EQ(scheme0, m_root.inode(kScheme0));
    EXPECT_EQ(scheme1, m_root.inode(kScheme1));

    // With one, its file holds exactly the common and especial values.
    c.m_nCurrentScheme = 0;
    EXPECT_EQ(0, c.flush());
    EXPECT_EQ(
        "(1,11)(2,20)(3,30)(4,40)(5,50)(500,1)(501,0)(502,0)(503,24)(504,0)(8,80)(10000,3)(10001,"
        "1)",
        m_root.readFile(kScheme0));
    EXPECT_EQ(scheme1, m_root.inode(kScheme1));

    // Nothing changed since: nothing is rewritten.
    ino_t factory = m_root.inode(kFactory);
    ino_t especial = m_root.inode(kEspecial);
    scheme0 = m_root.inode(kScheme0);
    EXPECT_EQ(0, c.flush());
    EXPECT_EQ(factory, m_root.inode(kFactory));
    EXPECT_EQ(especial, m_root.inode(kEspecial));
    EXPECT_EQ(scheme0, m_root.inode(kScheme0));
}

// A set applied only in part leaves ids uncached; flushing then must not drop
// their stored values from the files.
TEST_F(ParameterAccessTest, FlushKeepsStoredValuesOfIdsThatAreNotCached) {
    TestController& c = m_controller;
    c.getIdManager()->addParameterId(ID_TYPE_ESPECIAL, 8);
    m_root.writeFile(kFactory, "(1,10)(8,5)(10000,3)(10001,1)");
    m_root.writeFile(kScheme0, kFactorySet);
    m_root.writeFile(kEspecial, "(8,5)(10000,3)(10001,1)");
    ASSERT_EQ(1, c.initSensorFilesHandler());
    ASSERT_EQ(1, c.loadSchemeParamToMemory());
    c.m_nCurrentScheme = 0;
    // Ids 2-5 and 8 were never applied.
    ASSERT_EQ(0, c.setParameters("(1,11)(500,1)(501,0)(502,0)(503,24)(504,0)"));
    EXPECT_EQ(0, c.flush());
    EXPECT_EQ("(1,10)(8,5)(10000,3)(10001,1)", m_root.readFile(kFactory));
    EXPECT_EQ(
        "(1,11)(2,20)(3,30)(4,40)(5,50)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)",
        m_root.readFile(kScheme0));
    EXPECT_EQ("(8,5)(10000,3)(10001,1)", m_root.readFile(kEspecial));
}

TEST_F(ParameterAccessTest, FlushReports508WhenAFileCannotBeWritten) {
    bootFiles();
    TestController& c = m_controller;
    ASSERT_EQ(0, c.setParameters("(1,11)"));
    // A directory where a parameter file should be cannot be replaced.
    std::remove(m_root.path(kScheme0).c_str());
    m_root.makeDir(kScheme0);
    EXPECT_EQ(508, c.flush());
    EXPECT_FALSE(m_root.exists(kEspecial));  // the scheme file comes first
    m_root.makeDir(kEspecial);
    c.m_nCurrentScheme = -1;
    EXPECT_EQ(508, c.flush());
    std::remove(m_root.path(kFactory).c_str());
    EXPECT_EQ(508, c.flush());
    EXPECT_FALSE(m_root.exists(kFactory));
}

TEST_F(ParameterAccessTest, ResetParametersReturnsEverySchemeToTheFactorySet) {
    bootFiles();
    TestController& c = m_controller;
    ASSERT_EQ(1, c.setParamMode(1));
    ASSERT_EQ(1, c.setParamScheme(1));
    ASSERT_EQ(0, c.setParameters("(1,91)(2,92)"));
    ASSERT_EQ(0, c.flush());
    std::remove(m_root.path(kFactory).c_str());
    c.hardware[3] = 33;  // what the sensor holds when the factory set is remade

    std::string out = console([&] { EXPECT_EQ(1, c.resetParameters()); });
    EXPECT_TRUE(contains(out, "resetParameters success\n")) << out;
    EXPECT_FALSE(c.m_bBulkUpdate);
    EXPECT_EQ(0, c.m_nCurrentScheme);
    // The factory set is read from the sensor as scheme 1 left it.
    const std::string factory =
        "(1,91)(2,92)(3,33)(4,40)(5,50)(7,70)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,"
        "1)";
    EXPECT_EQ(factory, m_root.readFile(kFactory));
    EXPECT_EQ(factory, m_root.readFile(kScheme0));
    EXPECT_TRUE(contains(m_root.readFile(kScheme1), "(500,0)"));
    const std::string xml = m_root.readFile(kDir + "/sensor.xml");
    EXPECT_TRUE(contains(xml, "name=\"SchemeIndex\" value=\"0\"")) << xml;
    EXPECT_TRUE(contains(xml, "name=\"SchemeMode\" value=\"0\"")) << xml;
    int enable = -1;
    c.m_vecParamScheme[1]->getEnableFlag(enable);
    EXPECT_EQ(0, enable);
}

TEST_F(ParameterAccessTest, ResetToLastParametersReappliesTheActiveSchemesFile) {
    bootFiles();
    TestController& c = m_controller;
    ASSERT_EQ(0, c.setParameters("(1,11)"));
    m_root.writeFile(kScheme0,
                     "(1,33)(2,20)(3,30)(4,40)(5,50)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)"
                     "(10001,1)");
    EXPECT_EQ(1, c.resetToLastParameters());
    EXPECT_FALSE(c.m_bBulkUpdate);
    EXPECT_EQ(33, c.hardware[1]);
    int value = 0;
    c.m_pSensorCache->getSensorValue(1, value);
    EXPECT_EQ(33, value);
    EXPECT_TRUE(m_root.exists(kEspecial));  // flushed

    std::string out = console([&] {
        c.failingIds = {2};
        m_root.writeFile(kScheme0, "(1,33)(2,21)(500,1)(501,0)(502,0)(503,24)(504,0)");
        EXPECT_EQ(0, c.resetToLastParameters());
        c.failingIds.clear();
        m_root.writeFile(kScheme0, "(1,33)(2,21)(500,1)(501,24)(502,1)(503,24)(504,0)");
        EXPECT_EQ(0, c.resetToLastParameters());
        c.m_nCurrentScheme = -2;
        EXPECT_EQ(0, c.resetToLastParameters());
    });
    EXPECT_FALSE(c.m_bBulkUpdate);
    EXPECT_TRUE(contains(out, "setParameters @resetToLastParameters failed\n")) << out;
    EXPECT_TRUE(contains(out, "flush @resetToLastParameters false\n")) << out;
    EXPECT_TRUE(contains(out, "read user setting failed\n")) << out;
}

TEST_F(ParameterAccessTest, BatchOperationsHoldTheParameterLockAroundTheCaches) {
    Owned<LockWatchingController> c;
    c.drift = {{2, 27}};
    ASSERT_EQ(0, c.setParameters("(1,11)(2,22)"));
    EXPECT_EQ((std::vector<bool>{true, true}), c.heldWhileApplying);
    EXPECT_EQ(1, c.setParameter(3, 33));  // a single set relies on the cache's own lock
    EXPECT_EQ((std::vector<bool>{true, true, false}), c.heldWhileApplying);
    std::string values;
    EXPECT_EQ(1, c.getAllParameters(values));
    EXPECT_EQ((std::vector<bool>{false}), c.heldWhileUpdating);
    EXPECT_EQ((std::vector<bool>{false}), c.heldWhileFlushing);  // flush takes it itself
    EXPECT_EQ(1, c.getParameters("1", values));
    EXPECT_EQ(std::string("ISensorController.cpp"), c.m_paramMutex.lastLockFile());
    EXPECT_GT(c.m_paramMutex.lastLockLine(), 0);
}

TEST_F(ParameterAccessTest, AWriteWhileAllAreReadIsNotUndoneByTheRead) {
    Owned<LockWatchingController> c;
    ASSERT_EQ(0, c.setParameters("(1,11)(2,22)"));
    c.drift = {{2, 27}};
    // A scheme switch or another host thread, between the read of the cache
    // and the module's answers.
    c.duringUpdate = [&] {
        std::thread other([&] { EXPECT_EQ(0, c.setParameters("(1,15)")); });
        other.join();
    };
    std::string values;
    EXPECT_EQ(1, c.getAllParameters(values));
    EXPECT_TRUE(contains(values, "(1,15)(2,27)")) << values;
    EXPECT_TRUE(contains(cached(*c.m_pSensorCache), "(1,15)(2,27)"));
    EXPECT_EQ(15, c.hardware[1]);
}

TEST_F(ParameterAccessTest, GetAllParametersGivesUpWhenTheUpdateFails) {
    Owned<LockWatchingController> c;
    ASSERT_EQ(0, c.setParameters("(1,11)(2,22)"));
    std::string values = "untouched";
    c.updateResult = 0;
    std::string out = console([&] { EXPECT_EQ(0, c.getAllParameters(values)); });
    EXPECT_TRUE(contains(out, "UpdateParameters() failed\n")) << out;
    EXPECT_EQ("(1,11)(2,22)", cached(*c.m_pSensorCache));

    c.updateResult = 1;
    c.appendOnUpdate = "(3,33)(4,";
    out = console([&] { EXPECT_EQ(0, c.getAllParameters(values)); });
    EXPECT_TRUE(contains(out, "setSensorValues failed\n")) << out;
    EXPECT_EQ("untouched", values);
    EXPECT_TRUE(c.heldWhileFlushing.empty());
    // The lock was given back.
    EXPECT_EQ(0, c.setParameters("(5,55)"));
}

TEST_F(ParameterAccessTest, UpdateParametersIdValueReplacesOrAppendsOneEntry) {
    TestController& c = m_controller;
    std::string values = "(3,1)(7,2)";
    c.UpdateParametersIdValue(values, 7, 9);
    EXPECT_EQ("(3,1)(7,9)", values);
    values = "(3,1)(7,2)";
    c.UpdateParametersIdValue(values, 8, 9);
    EXPECT_EQ("(3,1)(7,2)(8,9)", values);
    c.UpdateParametersIdValue(values, 3, -12);
    EXPECT_EQ("(3,-12)(7,2)(8,9)", values);
    values.clear();
    c.UpdateParametersIdValue(values, 501, 0);
    EXPECT_EQ("(501,0)", values);
}
