#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

const char* const kDir = "/mnt/mtd/code/config_file";
const char* const kFactory = "/mnt/mtd/code/config_file/sensor_Factory.cfg";
const char* const kState = "/mnt/mtd/code/config_file/sensor.xml";
const char* const kAbility = "/hd1/moduleConfig/sensorAbility.xml";

// Id 1 holds 9 in the factory set and 10 + n + 1 in scheme n, so the value the
// pretend sensor ends up with tells which set was applied.
const char* const kFactorySet =
    "(1,9)(2,19)(3,29)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)";

std::string schemeSet(int p_nMark, int p_nEnable, int p_nStartH, int p_nStartM, int p_nEndH,
                      int p_nEndM) {
    auto pair = [](int p_nId, int p_nValue) {
        return "(" + std::to_string(p_nId) + "," + std::to_string(p_nValue) + ")";
    };
    return pair(1, p_nMark) + pair(2, p_nMark + 10) + pair(3, p_nMark + 20) + pair(500, p_nEnable) +
           pair(501, p_nStartH) + pair(502, p_nStartM) + pair(503, p_nEndH) + pair(504, p_nEndM) +
           "(10000,3)(10001,1)";
}

std::string schemePath(size_t p_nScheme) {
    return std::string(kDir) + "/sensor" + std::to_string(p_nScheme) + ".cfg";
}

std::string stateItem(const char* p_szName, const std::string& p_strValue) {
    return "name=\"" + std::string(p_szName) + "\" value=\"" + p_strValue + "\"";
}

class SchemesTest : public testing::Test {
protected:
    // The files a boot leaves on flash, opened and loaded as a boot does it,
    // without starting the background thread.
    void prepare(const std::vector<std::string>& p_schemes) {
        layBoard(m_root, static_cast<int>(p_schemes.size()));
        m_root.writeFile(kFactory, kFactorySet);
        for (size_t scheme = 0; scheme < p_schemes.size(); ++scheme) {
            m_root.writeFile(schemePath(scheme), p_schemes[scheme]);
        }
        ASSERT_EQ(1, m_controller.createSensorXML());
        ASSERT_EQ(1, m_controller.initSensorFilesHandler());
        ASSERT_EQ(1, m_controller.loadSchemeParamToMemory());
    }

    // One automatic selection at the given time of day; the scheme then current.
    int cycleAt(int p_nHour, int p_nMinute) {
        m_root.clock().setTimeOfDay(p_nHour, p_nMinute);
        EXPECT_EQ(0, m_controller.paramSchemeSwitchBody());
        return current();
    }

    int current() {
        int scheme = -99;
        EXPECT_EQ(1, m_controller.getParamScheme(scheme));
        return scheme;
    }

    bool stateHas(const char* p_szName, const std::string& p_strValue) {
        return m_root.readFile(kState).find(stateItem(p_szName, p_strValue)) != std::string::npos;
    }

    ScratchRoot m_root;
    TestController m_controller;
};

}  // namespace

TEST_F(SchemesTest, AWindowHoldsFromItsStartUpToButNotIncludingItsEnd) {
    prepare({schemeSet(11, 1, 8, 3, 18, 0)});

    // The first cycle always switches: nothing was applied yet.
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, cycleAt(8, 29));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("Auto switch  Scheme to:-1"));
    EXPECT_EQ(9, m_controller.hardware[1]);
    EXPECT_TRUE(stateHas("SchemeIndex", "-1"));

    EXPECT_EQ(0, cycleAt(8, 30));
    EXPECT_EQ(11, m_controller.hardware[1]);
    EXPECT_EQ(31, m_controller.hardware[3]);
    EXPECT_TRUE(stateHas("SchemeIndex", "0"));

    // Same answer, nothing is applied or written.
    size_t applied = m_controller.applied.size();
    ino_t state = m_root.inode(kState);
    EXPECT_EQ(0, cycleAt(17, 59));
    EXPECT_EQ(applied, m_controller.applied.size());
    EXPECT_EQ(state, m_root.inode(kState));

    EXPECT_EQ(-1, cycleAt(18, 0));
    EXPECT_EQ(9, m_controller.hardware[1]);
    EXPECT_TRUE(stateHas("SchemeIndex", "-1"));
}

TEST_F(SchemesTest, OverlappingWindowsGoToTheLowerIndexAndDisabledOnesNeverMatch) {
    // Scheme 0 has no enable flag at all, which counts as disabled.
    prepare({"(1,10)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)", schemeSet(11, 0, 0, 0, 24, 0),
             schemeSet(12, 1, 8, 0, 20, 0), schemeSet(13, 1, 7, 0, 7, 5)});
    EXPECT_EQ(2, cycleAt(10, 0));
    EXPECT_EQ(12, m_controller.hardware[1]);
    EXPECT_EQ(3, cycleAt(7, 45));
    EXPECT_EQ(13, m_controller.hardware[1]);
    EXPECT_EQ(-1, cycleAt(7, 50));
    EXPECT_EQ(2, cycleAt(19, 50));
    EXPECT_EQ(-1, cycleAt(20, 0));
    EXPECT_EQ(9, m_controller.hardware[1]);
    EXPECT_EQ(-1, cycleAt(6, 59));
}

TEST_F(SchemesTest, AnInvertedWindowIsNeverSelectedAndCannotBeSaved) {
    prepare({schemeSet(11, 1, 22, 0, 6, 0), schemeSet(12, 1, 12, 0, 13, 0)});
    EXPECT_EQ(-1, cycleAt(23, 0));
    EXPECT_EQ(-1, cycleAt(22, 0));
    EXPECT_EQ(-1, cycleAt(3, 0));
    EXPECT_EQ(9, m_controller.hardware[1]);

    // Giving scheme 1 such a window by hand is refused and changes nothing.
    EXPECT_EQ(1, cycleAt(12, 30));
    ino_t file = m_root.inode(schemePath(1));
    EXPECT_EQ(1, m_controller.setParameter(501, 22));
    EXPECT_EQ(1, m_controller.setParameter(503, 6));
    EXPECT_EQ(507, m_controller.flush());
    EXPECT_EQ(file, m_root.inode(schemePath(1)));
    EXPECT_EQ(schemeSet(12, 1, 12, 0, 13, 0), m_root.readFile(schemePath(1)));
    EXPECT_EQ(-1, cycleAt(13, 0));
    EXPECT_EQ(1, cycleAt(12, 0));
}

TEST_F(SchemesTest, OneWholeDaySchemeIsAppliedInTheFirstThreadCycleAndNeverAgain) {
    layBoard(m_root, 1);
    SafePointer<IUARTController> uart(new SimSerialPort());
    SafePointer<IGPIO> gpio(new SimGPIO());
    TestController controller;
    controller.setOperator(uart, gpio);
    ASSERT_EQ(
        1, controller.init(1, ModuleConfigure(99, "DNDefault=2", ""), VideoResolution(1920, 1080)));
    EXPECT_TRUE(m_root.clock().settle(1));

    int scheme = -99;
    controller.getParamScheme(scheme);
    EXPECT_EQ(0, scheme);
    EXPECT_TRUE(stateHas("SchemeIndex", "0"));
    EXPECT_TRUE(stateHas("SchemeMode", "1"));
    ino_t state = m_root.inode(kState);
    size_t applied = controller.applied.size();
    EXPECT_GT(applied, 0u);

    for (int hour : {6, 12, 23}) {
        m_root.clock().setTimeOfDay(hour, 59);
        m_root.clock().advance(1);
        EXPECT_TRUE(m_root.clock().settle(1));
    }
    controller.getParamScheme(scheme);
    EXPECT_EQ(0, scheme);
    EXPECT_EQ(applied, controller.applied.size());
    EXPECT_EQ(state, m_root.inode(kState));
}

TEST_F(SchemesTest, PickingTheCurrentSchemeByHandOnlySavesTheValues) {
    prepare({schemeSet(11, 1, 0, 0, 24, 0), schemeSet(12, 0, 0, 0, 24, 0)});
    EXPECT_EQ(0, cycleAt(10, 0));
    EXPECT_EQ(1, m_controller.setParameter(1, 55));
    size_t applied = m_controller.applied.size();

    testing::internal::CaptureStdout();
    EXPECT_EQ(1, m_controller.setParamScheme(0));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("#########ISensorController::setParamScheme 0\n"));
    EXPECT_EQ(std::string::npos, out.find("switch param"));
    EXPECT_EQ(applied, m_controller.applied.size());
    EXPECT_NE(std::string::npos, m_root.readFile(schemePath(0)).find("(1,55)"));

    // Another scheme: the current values are saved first, then the set is
    // replaced and the choice stored.
    EXPECT_EQ(1, m_controller.setParameter(2, 66));
    EXPECT_EQ(1, m_controller.setParamScheme(1));
    EXPECT_EQ(1, current());
    EXPECT_EQ(12, m_controller.hardware[1]);
    EXPECT_TRUE(stateHas("SchemeIndex", "1"));
    EXPECT_NE(std::string::npos, m_root.readFile(schemePath(0)).find("(2,66)"));

    // Automatic mode takes over again in the next cycle.
    EXPECT_EQ(0, cycleAt(10, 1));
    EXPECT_EQ(55, m_controller.hardware[1]);
    EXPECT_EQ(66, m_controller.hardware[2]);
}

// The host's flush may come while the thread is half-way through a switch:
// the new index is set but the old scheme's values are still cached. The
// flush must wait for the switch, or the old values land in the new file.
TEST_F(SchemesTest, AFlushDuringASwitchWaitsForTheNewSchemesValues) {
    prepare({schemeSet(11, 1, 0, 0, 24, 0), schemeSet(12, 0, 0, 0, 24, 0)});
    EXPECT_EQ(0, cycleAt(10, 0));
    testing::internal::CaptureStdout();
    std::thread switching;
    std::thread flushing;
    int flushed = -1;
    {
        // Holding the pretend sensor stops the switch at its first value.
        std::lock_guard<std::recursive_mutex> hold(m_controller.sensorMutex);
        switching = std::thread([this] { m_controller.switchScheme(1); });
        while (current() != 1) {
            std::this_thread::yield();
        }
        flushing = std::thread([&] { flushed = m_controller.flush(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    switching.join();
    flushing.join();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(0, flushed);
    const std::string file = m_root.readFile(schemePath(1));
    EXPECT_NE(std::string::npos, file.find("(1,12)")) << file;
    EXPECT_EQ(std::string::npos, file.find("(1,11)")) << file;
}

TEST_F(SchemesTest, ModeZeroStopsTheAutomaticSelectionAndIsStored) {
    prepare({schemeSet(11, 1, 8, 0, 20, 0)});
    EXPECT_EQ(0, cycleAt(10, 0));

    testing::internal::CaptureStdout();
    EXPECT_EQ(1, m_controller.setParamMode(0));
    int mode = -1;
    EXPECT_EQ(1, m_controller.getParamMode(mode));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(0, mode);
    EXPECT_NE(std::string::npos, out.find("ISensorController::setParamMode:0\n"));
    EXPECT_NE(std::string::npos, out.find("ISensorController::getParamMode:0\n"));
    EXPECT_TRUE(stateHas("SchemeMode", "0"));
    mode = -1;
    EXPECT_EQ(1, m_controller.getParamSchemeModeFromFile(mode));
    EXPECT_EQ(0, mode);

    size_t applied = m_controller.applied.size();
    EXPECT_EQ(0, cycleAt(21, 0));
    EXPECT_EQ(11, m_controller.hardware[1]);
    EXPECT_EQ(applied, m_controller.applied.size());

    EXPECT_EQ(1, m_controller.setParamMode(1));
    EXPECT_EQ(-1, cycleAt(21, 0));
    EXPECT_EQ(9, m_controller.hardware[1]);
}

TEST_F(SchemesTest, ModeChangeFailsWithoutASchemeModeItem) {
    layBoard(m_root, 1);
    // No state file at all: nothing is created.
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_controller.setParamMode(0));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(
                                     "setParamSchemeModeToFile @setParamMode failed"));
    EXPECT_FALSE(m_root.exists(kState));

    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<sensor>\n    <paramScheme>\n"
        "        <item name=\"SchemeIndex\" value=\"0\" />\n    </paramScheme>\n</sensor>\n";
    m_root.writeFile(kState, text);
    ino_t state = m_root.inode(kState);
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_controller.setParamMode(0));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(
                                     "setParamSchemeModeToFile @setParamMode failed"));
    int mode = -1;
    m_controller.getParamMode(mode);
    EXPECT_EQ(1, mode);
    EXPECT_EQ(text, m_root.readFile(kState));
    EXPECT_EQ(state, m_root.inode(kState));
}

TEST_F(SchemesTest, AFailedWriteDuringASwitchKeepsTheIndexAndLeavesTheStateFile) {
    prepare({schemeSet(11, 1, 8, 0, 20, 0)});
    m_controller.failingIds = {2};
    ino_t state = m_root.inode(kState);

    testing::internal::CaptureStdout();
    EXPECT_EQ(0, cycleAt(10, 0));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos,
              out.find("m_pSensorLastValueCache->setSensorValues() @switchParam failed"));
    EXPECT_NE(std::string::npos, out.find("Auto switch  Scheme error"));
    // Applied up to the failing id, nothing after it.
    EXPECT_EQ(11, m_controller.hardware[1]);
    EXPECT_EQ(20, m_controller.hardware[2]);
    EXPECT_EQ(30, m_controller.hardware[3]);
    EXPECT_FALSE(m_controller.m_bBulkUpdate);
    EXPECT_EQ(state, m_root.inode(kState));
    EXPECT_TRUE(stateHas("SchemeIndex", "-2"));

    // The same scheme is not retried every cycle.
    size_t applied = m_controller.applied.size();
    EXPECT_EQ(0, cycleAt(10, 5));
    EXPECT_EQ(applied, m_controller.applied.size());

    // The selection goes on working.
    m_controller.failingIds.clear();
    EXPECT_EQ(-1, cycleAt(21, 0));
    EXPECT_EQ(19, m_controller.hardware[2]);
    EXPECT_TRUE(stateHas("SchemeIndex", "-1"));

    // A switch inside a bulk update leaves the flag set for its owner, and no
    // automatic selection starts meanwhile.
    m_controller.m_bBulkUpdate = true;
    EXPECT_EQ(-1, cycleAt(10, 0));
    EXPECT_EQ(1, m_controller.switchScheme(0));
    EXPECT_TRUE(m_controller.m_bBulkUpdate);
    m_controller.m_bBulkUpdate = false;
}

TEST_F(SchemesTest, AnIndexOutsideTheSchemesReadsNothing) {
    prepare({schemeSet(11, 1, 8, 0, 20, 0), schemeSet(12, 0, 8, 0, 20, 0)});
    std::string text = "untouched";
    EXPECT_EQ(1, m_controller.readParamByScheme(-1, text));
    EXPECT_EQ(kFactorySet, text);
    EXPECT_EQ(1, m_controller.readParamByScheme(1, text));
    EXPECT_EQ(schemeSet(12, 0, 8, 0, 20, 0), text);

    const std::string listing = m_root.listDir(kDir);
    ino_t state = m_root.inode(kState);
    for (int scheme : {2, 7, -2, -3}) {
        text = "untouched";
        EXPECT_EQ(0, m_controller.readParamByScheme(scheme, text)) << scheme;
        EXPECT_EQ("untouched", text);
        EXPECT_EQ(0, m_controller.switchScheme(scheme)) << scheme;
    }
    EXPECT_EQ(-2, current());
    EXPECT_TRUE(m_controller.applied.empty());
    EXPECT_EQ(listing, m_root.listDir(kDir));
    EXPECT_EQ(state, m_root.inode(kState));

    // Going back to the last parameters before any scheme was applied.
    EXPECT_EQ(0, m_controller.resetToLastParameters());
    EXPECT_FALSE(m_controller.m_bBulkUpdate);
    EXPECT_TRUE(m_controller.applied.empty());
}

TEST_F(SchemesTest, TheSchemeCountIsTheFirstItemOfTheAbilityFile) {
    int count = 42;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_controller.getParamSchemeNum(count));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("open sensorAbility.xml failed\n"));
    EXPECT_EQ(42, count);

    m_root.writeFile(kAbility, "<sensorAbility><paramScheme><item value=\"3\"");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_controller.getParamSchemeNum(count));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("open sensorAbility.xml failed\n"));
    EXPECT_EQ(42, count);

    for (const char* hollow : {"<sensorAbility />", "<a><paramScheme /></a>",
                               "<a><paramScheme><item name=\"SchemeNum\" /></paramScheme></a>"}) {
        m_root.writeFile(kAbility, hollow);
        EXPECT_EQ(0, m_controller.getParamSchemeNum(count)) << hollow;
        EXPECT_EQ(42, count);
    }

    // Names do not matter: the first node's first item gives the count.
    m_root.writeFile(kAbility,
                     "<a><first><item name=\"x\" value=\"4\" /><item value=\"9\" /></first>"
                     "<second><item value=\"8\" /></second></a>");
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, m_controller.getParamSchemeNum(count));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("p_nSchemeNum=4\n"));
    EXPECT_EQ(4, count);
}

TEST_F(SchemesTest, StateFileItemsAreFoundByNameAndNeverCreated) {
    layBoard(m_root, 1);
    int value = 42;
    std::string text = "untouched";
    EXPECT_EQ(0, m_controller.getParamSchemeFromFile(value));
    EXPECT_EQ(0, m_controller.getValueFromParamSchemeNode("SchemeIndex", text));
    EXPECT_EQ(0, m_controller.setParamSchemeToFile(3));
    EXPECT_EQ(0, m_controller.setValueToParamSchemeNode("SchemeMode", "0"));
    EXPECT_EQ(42, value);
    EXPECT_EQ("untouched", text);
    EXPECT_FALSE(m_root.exists(kState));

    // Created with the values held at that moment, index first.
    ASSERT_EQ(1, m_controller.createSensorXML());
    const std::string created = m_root.readFile(kState);
    EXPECT_LT(created.find(stateItem("SchemeIndex", "-2")),
              created.find(stateItem("SchemeMode", "1")));
    EXPECT_EQ(1, m_controller.getParamSchemeFromFile(value));
    EXPECT_EQ(-2, value);
    EXPECT_EQ(1, m_controller.getParamSchemeModeFromFile(value));
    EXPECT_EQ(1, value);

    m_root.writeFile(kState,
                     "<sensor><paramScheme><item name=\"SchemeMode\" value=\"0\" />"
                     "<item name=\"Other\" value=\"x\" />"
                     "<item name=\"SchemeIndex\" value=\"5\" /></paramScheme></sensor>");
    EXPECT_EQ(1, m_controller.getParamSchemeFromFile(value));
    EXPECT_EQ(5, value);
    EXPECT_EQ(1, m_controller.getParamSchemeModeFromFile(value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(1, m_controller.setParamSchemeToFile(12));
    std::string updated = m_root.readFile(kState);
    EXPECT_NE(std::string::npos, updated.find(stateItem("SchemeIndex", "12")));
    EXPECT_NE(std::string::npos, updated.find(stateItem("SchemeMode", "0")));
    EXPECT_LT(updated.find("SchemeMode"), updated.find("SchemeIndex"));

    // A name the file does not hold is not added.
    ino_t state = m_root.inode(kState);
    EXPECT_EQ(0, m_controller.setValueToParamSchemeNode("Missing", "1"));
    EXPECT_EQ(state, m_root.inode(kState));
    EXPECT_EQ(updated, m_root.readFile(kState));

    // Without the item, or unreadable: the out-parameters stay.
    m_root.writeFile(kState,
                     "<sensor><paramScheme><item name=\"SchemeMode\" value=\"3\" />"
                     "</paramScheme></sensor>");
    value = 42;
    EXPECT_EQ(0, m_controller.getParamSchemeFromFile(value));
    EXPECT_EQ(42, value);
    EXPECT_EQ(0, m_controller.setParamSchemeToFile(1));
    EXPECT_EQ(std::string::npos, m_root.readFile(kState).find("SchemeIndex"));

    m_root.writeFile(kState, "<sensor><paramScheme>");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_controller.getParamSchemeModeFromFile(value));
    EXPECT_EQ(0, m_controller.setParamSchemeModeToFile(1));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("open " + std::string(kState) + " failed\n"));
    EXPECT_EQ(42, value);
    EXPECT_EQ("<sensor><paramScheme>", m_root.readFile(kState));
}

// Each scheme costs a parameter file on flash: a count no camera has is a
// broken file and must not make the controller create thousands of files.
TEST_F(SchemesTest, ACountNoCameraHasIsRefused) {
    for (const char* value : {"65", "-1", "1000000"}) {
        m_root.writeFile(kAbility, std::string("<a><paramScheme><item value=\"") + value +
                                       "\" /></paramScheme></a>");
        int count = 4;
        testing::internal::CaptureStdout();
        EXPECT_EQ(0, m_controller.getParamSchemeNum(count)) << value;
        EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find(
                                         "no scheme count in sensorAbility.xml\n"));
        EXPECT_EQ(4, count);
    }
    m_root.writeFile(kAbility, "<a><paramScheme><item value=\"64\" /></paramScheme></a>");
    int count = 0;
    EXPECT_EQ(1, m_controller.getParamSchemeNum(count));
    EXPECT_EQ(64, count);
}

TEST_F(SchemesTest, AWindowIsGivenToAnySchemeWithoutApplyingIt) {
    prepare({schemeSet(11, 1, 0, 0, 12, 0), schemeSet(12, 0, 0, 0, 24, 0)});
    EXPECT_EQ(0, cycleAt(10, 0));
    const size_t applied = m_controller.applied.size();

    // Scheme 1 gets the afternoon: its file holds it, nothing goes to the
    // sensor, and the selection takes it at the next cycle.
    EXPECT_EQ(0, m_controller.setSchemeWindow(1, true, 1200, 1830));
    EXPECT_EQ(schemeSet(12, 1, 12, 0, 18, 3), m_root.readFile(schemePath(1)));
    EXPECT_EQ(applied, m_controller.applied.size());
    EXPECT_EQ(1, cycleAt(12, 0));
    EXPECT_EQ(12, m_controller.hardware[1]);
    EXPECT_EQ(-1, cycleAt(18, 30));

    // The active scheme's window ids read the new window, and a flush keeps it.
    EXPECT_EQ(0, cycleAt(11, 0));
    EXPECT_EQ(0, m_controller.setSchemeWindow(0, true, 600, 1150));
    int end = 0;
    EXPECT_EQ(1, m_controller.getParameter(503, end));
    EXPECT_EQ(11, end);
    EXPECT_EQ(0, m_controller.flush());
    EXPECT_EQ(schemeSet(11, 1, 6, 0, 11, 5), m_root.readFile(schemePath(0)));
    EXPECT_EQ(-1, cycleAt(11, 50));

    // Refusals change nothing.
    const std::string before = m_root.readFile(schemePath(1));
    EXPECT_EQ(505, m_controller.setSchemeWindow(1, true, 1275, 1300));
    EXPECT_EQ(505, m_controller.setSchemeWindow(1, true, 805, 1300));
    EXPECT_EQ(506, m_controller.setSchemeWindow(1, true, 800, 2410));
    EXPECT_EQ(507, m_controller.setSchemeWindow(1, true, 2200, 600));
    EXPECT_EQ(509, m_controller.setSchemeWindow(2, true, 0, 2400));
    EXPECT_EQ(509, m_controller.setSchemeWindow(-1, true, 0, 2400));
    EXPECT_EQ(before, m_root.readFile(schemePath(1)));
}
