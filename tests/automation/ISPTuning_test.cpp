#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/Owned.h"
#include "support/TestController.h"

namespace {

const char* const kTable = "/hd1/program/config/ISPParam.xml";

// A controller whose sensor reports a scripted gain.
class GainController : public TestController {
public:
    explicit GainController(int p_nSensorType = 99) : TestController(p_nSensorType) {}

    int getCurrentGain(int& p_nGain) override {
        ++gainReads;
        p_nGain = gain;
        return 1;
    }

    int gain = 0;
    int gainReads = 0;
};

std::string item(const char* p_szName, int p_nValue) {
    return "<item name=\"" + std::string(p_szName) + "\" value=\"" + std::to_string(p_nValue) +
           "\" />";
}

std::string range(const char* p_szName, int p_nMin, int p_nMax, const std::string& p_strItems) {
    return "<" + std::string(p_szName) + " min=\"" + std::to_string(p_nMin) + "\" max=\"" +
           std::to_string(p_nMax) + "\">" + p_strItems + "</" + p_szName + ">";
}

std::string unit(const char* p_szName, bool p_bEnable, const std::string& p_strRanges) {
    return "<" + std::string(p_szName) + " enable=\"" + (p_bEnable ? "true" : "false") + "\">" +
           p_strRanges + "</" + p_szName + ">\n";
}

void writeTable(const ScratchRoot& p_root, const std::string& p_strUnits,
                const std::string& p_strConfig = "time=\"2\"") {
    p_root.writeFile(kTable, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<ISPParam>\n<config " +
                                 p_strConfig + ">\n" + p_strUnits + "</config>\n</ISPParam>\n");
}

// What one tuning cycle printed.
std::string cycle(ISensorController& p_controller) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, p_controller.ISPParamBody());
    return testing::internal::GetCapturedStdout();
}

std::string cycleAtGain(GainController& p_controller, int p_nGain) {
    p_controller.gain = p_nGain;
    return cycle(p_controller);
}

}  // namespace

TEST(ISPTuning, EachGainRangePassesItsValueOnOnce) {
    ScratchRoot root;
    Owned<GainController> controller;
    writeTable(root,
               unit("GAIN", true,
                    range("low", 0, 16, item("EE", 10)) + range("high", 16, 64, item("EE", 20))));
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    EXPECT_EQ(2, controller.m_nISPDelayTime);
    EXPECT_FALSE(controller.m_bRealTimeUpdate);

    EXPECT_EQ("set ee=10\n", cycleAtGain(controller, 15));
    EXPECT_EQ(10, controller.m_pEE->getLastEE());
    EXPECT_DOUBLE_EQ(2.0, root.clock().sleptSeconds());
    EXPECT_EQ("", cycleAtGain(controller, 0));
    EXPECT_EQ("set ee=20\n", cycleAtGain(controller, 16));
    EXPECT_EQ("", cycleAtGain(controller, 63));
    EXPECT_EQ("", cycleAtGain(controller, 64));
    EXPECT_EQ("", cycleAtGain(controller, -1));
    EXPECT_EQ(20, controller.m_pEE->getLastEE());
    EXPECT_EQ(20, controller.m_nLastEE);
    EXPECT_EQ("set ee=10\n", cycleAtGain(controller, 1));
    EXPECT_DOUBLE_EQ(14.0, root.clock().sleptSeconds());
}

TEST(ISPTuning, TheFirstMatchingRangeAloneAnswers) {
    ScratchRoot root;
    Owned<GainController> controller;
    // "a" overlaps "b" and lacks EE: its answer stands even so.
    writeTable(root, unit("GAIN", true,
                          range("a", 0, 50, item("DC", 3)) +
                              range("b", 10, 100, item("EE", 9) + item("DC", 4))));
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    EXPECT_EQ("set DC=3\n", cycleAtGain(controller, 20));
    EXPECT_EQ(-100, controller.m_nLastEE);
    EXPECT_EQ("set ee=9\nset DC=4\n", cycleAtGain(controller, 50));
}

TEST(ISPTuning, RepeatedNamesKeepTheLaterValueAndTheFirstBounds) {
    ScratchRoot root;
    Owned<GainController> controller;
    writeTable(root, unit("GAIN", true,
                          range("r", 0, 10, item("EE", 1) + item("DC", 5) + item("EE", 2)) +
                              range("r", 10, 20, item("DC", 6))));
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    EXPECT_EQ("set ee=2\nset DC=6\n", cycleAtGain(controller, 5));
    // The second "r" did not move the bounds to [10, 20).
    controller.m_nLastEE = -100;
    controller.m_nLastDC = -100;
    EXPECT_EQ("", cycleAtGain(controller, 15));
}

TEST(ISPTuning, TheGainValueStandsOverTheDayNightValue) {
    ScratchRoot root;
    Owned<GainController> controller;
    writeTable(root,
               unit("DN", true,
                    range("night", 0, 1, item("EE", 30)) + range("day", 1, 2, item("EE", 40))) +
                   unit("GAIN", true, range("all", 0, 100, item("EE", 10))));
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    controller.m_nDNState = 1;
    EXPECT_EQ("set ee=40\nset ee=10\n", cycleAtGain(controller, 5));
    EXPECT_EQ(10, controller.m_pEE->getLastEE());
    controller.m_nDNState = 0;
    EXPECT_EQ("set ee=30\nset ee=10\n", cycleAtGain(controller, 5));
    // Before the first day/night switch no range matches.
    controller.m_nDNState = -1;
    EXPECT_EQ("", cycleAtGain(controller, 5));

    // Disabled units are not consulted, not even for the gain.
    writeTable(root, unit("DN", false, range("day", 1, 2, item("EE", 40))) +
                         unit("GAIN", false, range("all", 0, 100, item("EE", 11))));
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    int reads = controller.gainReads;
    controller.m_nDNState = 1;
    EXPECT_EQ("", cycleAtGain(controller, 5));
    EXPECT_EQ(reads, controller.gainReads);
}

TEST(ISPTuning, NoiseReductionFollowsTheTableOnlyInModeZero) {
    ScratchRoot root;
    Owned<GainController> controller;
    writeTable(root, unit("GAIN", true,
                          range("low", 0, 10, item("A0", 5) + item("TM", 7)) +
                              range("off", 10, 20, item("A0", -1) + item("TM", 7)) +
                              range("high", 20, 30, item("A0", 6) + item("TM", 8))));
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    // Off by default.
    EXPECT_EQ("", cycleAtGain(controller, 5));

    EXPECT_EQ(1, controller.setTNFMode(1));
    EXPECT_EQ("", cycleAtGain(controller, 5));
    EXPECT_EQ(1, controller.setTNFMode(0));
    EXPECT_EQ("close TNF\nset TM=7,A0=5\n", cycleAtGain(controller, 5));
    EXPECT_EQ("", cycleAtGain(controller, 5));
    EXPECT_EQ("close TNF\n", cycleAtGain(controller, 15));
    EXPECT_EQ("set A0=6,TM=7\nset TM=8,A0=6\n", cycleAtGain(controller, 25));
    EXPECT_EQ(6, controller.m_nLastA0);
    EXPECT_EQ(8, controller.m_nLastTM);

    // Manual mode re-applies the stored strength and leaves the table aside.
    EXPECT_EQ(1, controller.setTNF(100));
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, controller.setTNFMode(2));
    EXPECT_EQ("setTNF=0\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ("", cycleAtGain(controller, 5));
    EXPECT_EQ(2, controller.m_nTNFMode);
}

TEST(ISPTuning, ManualStrengthAndReportedDefaults) {
    ScratchRoot root;
    TestController controller;
    auto printed = [&controller](int p_nValue) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(1, controller.setTNF(p_nValue));
        return testing::internal::GetCapturedStdout();
    };
    EXPECT_EQ("setTNF=255\n", printed(1));
    EXPECT_EQ("setTNF=0\n", printed(100));
    EXPECT_EQ("setTNF=129\n", printed(50));
    EXPECT_EQ(50, controller.m_nTNFValue);
    EXPECT_EQ("", printed(0));
    EXPECT_EQ(0, controller.m_nTNFValue);

    int value = 33;
    EXPECT_EQ(1, controller.getTNF(value));
    EXPECT_EQ(33, value);
    int mode = -1;
    EXPECT_EQ(1, controller.setTNFMode(2));
    EXPECT_EQ(1, controller.getTNFMode(mode));
    EXPECT_EQ(0, mode);
    controller.m_nTNF = 0;
    EXPECT_EQ(1, controller.getTNF(value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(1, controller.getTNFMode(mode));
    EXPECT_EQ(1, mode);

    for (int type : {11, 16, 19, 24}) {
        TestController fixedOff(type);
        mode = -1;
        fixedOff.getTNFMode(mode);
        EXPECT_EQ(1, mode) << type;
    }
}

TEST(ISPTuning, EdgeEnhancementMarkersAreRecordedButNotPassedOn) {
    ScratchRoot root;
    writeTable(root,
               unit("GAIN", true,
                    range("closed", 0, 10, item("EE", -1)) + range("keep", 10, 20, item("EE", -2)) +
                        range("open", 20, 30, item("EE", 15) + item("DC", 1))));
    Owned<GainController> controller;
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    EXPECT_EQ("set ee=15\nset DC=1\n", cycleAtGain(controller, 25));
    EXPECT_EQ("", cycleAtGain(controller, 5));
    EXPECT_EQ(-1, controller.m_nLastEE);
    EXPECT_EQ("", cycleAtGain(controller, 15));
    EXPECT_EQ(-2, controller.m_nLastEE);
    EXPECT_EQ(15, controller.m_pEE->getLastEE());
    EXPECT_EQ("set ee=15\n", cycleAtGain(controller, 25));

    // Sensors 4 to 6 have no edge enhancement to drive.
    GainController noEE(5);
    ASSERT_EQ(1, noEE.ISPParamThreadInit());
    EXPECT_EQ("set DC=1\n", cycleAtGain(noEE, 25));
    EXPECT_EQ(-100, noEE.m_nLastEE);
    EXPECT_EQ(-100, noEE.m_pEE->getLastEE());

    // Sensor 21 closes it while the noise filter is off.
    GainController closes(21);
    ASSERT_EQ(1, closes.ISPParamThreadInit());
    EXPECT_EQ("set DC=1\n", cycleAtGain(closes, 25));
    EXPECT_EQ(-1, closes.m_nLastEE);
    closes.setTNFMode(0);
    EXPECT_EQ("set ee=15\n", cycleAtGain(closes, 25));
}

TEST(ISPTuning, AMissingOrBrokenTableLeavesNothingToPassOn) {
    ScratchRoot root;
    Owned<GainController> controller;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, controller.ISPParamThreadInit());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("open ISPParam.xml failed\n"));
    EXPECT_NE(std::string::npos, out.find("objISPParamParse.parse failed"));
    EXPECT_TRUE(controller.m_pISPParam->getUnits().empty());
    EXPECT_EQ("", cycleAtGain(controller, 5));
    EXPECT_EQ(0, controller.gainReads);
    EXPECT_DOUBLE_EQ(1.0, root.clock().sleptSeconds());

    // A table loaded before is emptied by a failed reload.
    writeTable(root, unit("GAIN", true, range("all", 0, 100, item("EE", 10))), "time=\"1\"");
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    root.writeFile(kTable, "<ISPParam><config>");
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, controller.ISPParamThreadInit());
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(controller.m_pISPParam->getUnits().empty());
    EXPECT_EQ("", cycleAtGain(controller, 5));
}

TEST(ISPTuning, AFailedGainReadingEndsTheCycleWithoutItsPause) {
    ScratchRoot root;
    TestController controller;  // the base getCurrentGain, which fails
    writeTable(root, unit("DN", true, range("day", 1, 2, item("DC", 4))) +
                         unit("GAIN", true, range("all", 0, 100, item("DC", 8))));
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    controller.m_nDNState = 1;
    std::string out = cycle(controller);
    EXPECT_NE(std::string::npos, out.find("set DC=4\n"));
    EXPECT_NE(std::string::npos, out.find("get current gain failed\n"));
    EXPECT_EQ(std::string::npos, out.find("set DC=8"));
    EXPECT_EQ(4, controller.m_nLastDC);
    EXPECT_DOUBLE_EQ(0.0, root.clock().sleptSeconds());
}

TEST(ISPTuning, RealTimeUpdateReloadsTheTableEveryCycle) {
    ScratchRoot root;
    Owned<GainController> controller;
    auto table = [&root](int p_nEE, bool p_bRealTime) {
        writeTable(
            root, unit("GAIN", true, range("all", 0, 100, item("EE", p_nEE))),
            std::string("realTimeUpdate=\"") + (p_bRealTime ? "true" : "false") + "\" time=\"3\"");
    };
    table(10, true);
    ASSERT_EQ(1, controller.ISPParamThreadInit());
    EXPECT_TRUE(controller.m_bRealTimeUpdate);
    EXPECT_EQ(3, controller.m_nISPDelayTime);
    EXPECT_EQ("set ee=10\n", cycleAtGain(controller, 5));
    table(12, true);
    EXPECT_EQ("set ee=12\n", cycleAtGain(controller, 5));
    // The reload that turns it off is the last one.
    table(14, false);
    EXPECT_EQ("set ee=14\n", cycleAtGain(controller, 5));
    EXPECT_FALSE(controller.m_bRealTimeUpdate);
    table(16, false);
    EXPECT_EQ("", cycleAtGain(controller, 5));
    EXPECT_DOUBLE_EQ(12.0, root.clock().sleptSeconds());
}
