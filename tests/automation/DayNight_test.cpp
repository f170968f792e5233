#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/OVDeviceTime.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/Owned.h"
#include "support/TestController.h"

namespace {

// Lines of the board: IR-cut filter (day level 0), IR LEDs (day level 1) and
// the day/night level input (day level 1).
GPIOTriple line(int p_nGroup, int p_nBit, int p_nDayLevel) {
    GPIOTriple triple;
    triple.nGroup = p_nGroup;
    triple.nBit = p_nBit;
    triple.nDayLevel = p_nDayLevel;
    return triple;
}

// "group.bit=level" for each write, in order.
std::string written(SimGPIO& p_gpio) {
    std::string text;
    for (const auto& write : p_gpio.writes()) {
        text += (text.empty() ? "" : " ") + std::to_string(write.nGroup) + "." +
                std::to_string(write.nPin) + "=" + std::to_string(write.nLevel);
    }
    p_gpio.clearWrites();
    return text;
}

std::string joined(const std::vector<std::string>& p_items) {
    std::string text;
    for (const auto& item : p_items) {
        text += (text.empty() ? "" : " ") + item;
    }
    return text;
}

bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

// Records what the earlier steps of a thread cycle had done when the
// controller's per-cycle hook runs.
class HookProbe : public TestController {
public:
    void doDependOnThread() override {
        appliedAtHook = applied.size();
        judgedAtHook = judged.size();
        secondsAtHook = OVDeviceTime::getSeconds();
        TestController::doDependOnThread();
    }
    int set2AParam(int p_nStatus) override {
        secondsAtJudgement = OVDeviceTime::getSeconds();
        return TestController::set2AParam(p_nStatus);
    }
    size_t appliedAtHook = 99;
    size_t judgedAtHook = 99;
    double secondsAtHook = -1;
    double secondsAtJudgement = -2;
};

class DayNightTest : public testing::Test {
protected:
    DayNightTest() {
        layBoard(m_root, 1);
        wire(m_dn);
    }

    void wire(TestController& p_controller) {
        p_controller.setOperator(m_uart, m_gpio);
        p_controller.m_IrCutGpio = line(1, 2, 0);
        p_controller.m_InfraredLightGpio = line(3, 4, 1);
        p_controller.m_DNLevelGpio = line(5, 6, 1);
        p_controller.m_nParamMode = 0;  // keep the scheme step out of the way
    }

    void configure(bool p_bUART, int p_nInfrared, bool p_bNew) {
        m_dn.m_bIsUARTModule = p_bUART;
        m_dn.m_nIsInfrared = p_nInfrared;
        m_dn.m_bNewInfrared = p_bNew;
    }

    double slept() { return m_root.clock().sleptSeconds(); }

    ScratchRoot m_root;
    SimGPIO* m_sim = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_sim};
    SafePointer<IUARTController> m_uart{new SimSerialPort()};
    TestController m_dn;
};

}  // namespace

TEST_F(DayNightTest, ThreadCycleRunsSchemeStepHookDayNightThenSleepsOneSecond) {
    Owned<HookProbe> probe;
    wire(probe);
    probe.m_nParamMode = 1;
    m_root.writeFile("/mnt/mtd/code/config_file/sensor_Factory.cfg", "(1,77)(10000,3)(10001,1)");
    probe.setDayNightMode(1);

    EXPECT_EQ(0, probe.DNChangeThreadBody());
    // The scheme step applied the factory set before the hook; the day/night
    // cycle came after it.
    EXPECT_EQ(1u, probe.appliedAtHook);
    EXPECT_EQ(0u, probe.judgedAtHook);
    EXPECT_EQ(probe.secondsAtHook, probe.secondsAtJudgement);  // the sleep comes last
    EXPECT_EQ(std::vector<int>{1}, probe.judged);
    EXPECT_EQ("manual day", joined(probe.calls));
    EXPECT_EQ("1.2=0", written(*m_sim));
    EXPECT_NEAR(1.1, slept(), 1e-9);  // 100 ms inside the switch, then 1 s

    probe.m_bDNSwitchEnable = false;
    probe.setDayNightMode(2);
    EXPECT_EQ(0, probe.DNChangeThreadBody());
    EXPECT_EQ(2, probe.dependCalls);
    EXPECT_EQ(std::vector<int>{1}, probe.judged);
    EXPECT_EQ(1, probe.getDNState());
    EXPECT_EQ("", written(*m_sim));
    EXPECT_NEAR(2.1, slept(), 1e-9);
}

TEST_F(DayNightTest, ManualModesSwitchOnceAndRerunAfterAModeChange) {
    EXPECT_EQ(1, m_dn.setDayNightMode(1));
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ("manual day", joined(m_dn.calls));
    EXPECT_EQ("1.2=0", written(*m_sim));
    EXPECT_EQ(1, m_dn.getDNState());
    EXPECT_EQ(1, m_dn.m_nLastDayNightMode);

    // Nothing to do while the mode and the status stay.
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ(2u, m_dn.calls.size());
    EXPECT_EQ("", written(*m_sim));
    EXPECT_EQ((std::vector<int>{1, 1}), m_dn.judged);

    m_dn.calls.clear();
    m_dn.setDayNightMode(2);
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ("manual night", joined(m_dn.calls));
    EXPECT_EQ("1.2=1", written(*m_sim));
    EXPECT_EQ(0, m_dn.getDNState());

    // Automatic mode already in day, then manual day: the day sequence is
    // carried out once more because the mode changed.
    m_dn.calls.clear();
    m_dn.setDNSwitchDelay(0);
    m_dn.setDayNightMode(0);
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ("auto day", joined(m_dn.calls));
    written(*m_sim);
    m_dn.calls.clear();
    m_dn.setDayNightMode(1);
    m_dn.DNSwitchHandle();
    m_dn.DNSwitchHandle();
    EXPECT_EQ("manual day", joined(m_dn.calls));
    EXPECT_EQ("1.2=0", written(*m_sim));

    // Mode 3 is manual for the module; mode 4 and unknown modes are neither.
    m_dn.calls.clear();
    m_dn.setDayNightMode(3);
    m_dn.setDayNightMode(4);
    m_dn.setDayNightMode(9);
    EXPECT_EQ("manual", joined(m_dn.calls));
    EXPECT_EQ(9, m_dn.getCurrentDayNightMode());

    // The reported mode is the configured default, not the live one.
    m_dn.m_nDNDefault = 2;
    int mode = -1;
    EXPECT_EQ(1, m_dn.getDayNightMode(mode));
    EXPECT_EQ(2, mode);
}

TEST_F(DayNightTest, OutOfRangeModeIsReportedAndChangesNothing) {
    m_dn.setDayNightMode(5);
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_TRUE(contains(testing::internal::GetCapturedStdout(),
                         "====error=====,m_nDayNightMode out of range"));
    EXPECT_TRUE(m_dn.judged.empty());
    EXPECT_TRUE(m_dn.calls.empty());
    EXPECT_EQ("", written(*m_sim));
    EXPECT_EQ(-1, m_dn.getDNState());
    EXPECT_EQ(5, m_dn.m_nLastDayNightMode);
}

TEST_F(DayNightTest, ModuleAutomaticModeTracksTheModuleWithoutSwitching) {
    m_dn.m_bIsUARTModule = true;
    m_dn.setDayNightMode(4);
    m_dn.sensorStatus = 0;
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    m_dn.sensorStatus = 1;
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ("enterAuto", joined(m_dn.calls));  // once per entry, no picture change
    EXPECT_EQ((std::vector<int>{0, 1}), m_dn.judged);
    EXPECT_EQ(1, m_dn.getDNState());
    EXPECT_EQ(4, m_dn.m_nLastDayNightMode);
    EXPECT_EQ("", written(*m_sim));

    // An unreadable module changes nothing.
    m_dn.sensorStatusResult = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "getDNStatusFromSensor failed"));
    EXPECT_TRUE(contains(out, "getCurrentDNStatus false"));
    EXPECT_EQ(2u, m_dn.judged.size());
    EXPECT_EQ(1, m_dn.getDNState());

    // Leaving the mode and coming back enters the module's automatic mode again.
    m_dn.sensorStatusResult = 1;
    m_dn.setDayNightMode(1);
    m_dn.DNSwitchHandle();
    m_dn.calls.clear();
    m_dn.setDayNightMode(4);
    m_dn.DNSwitchHandle();
    m_dn.DNSwitchHandle();
    EXPECT_EQ("enterAuto", joined(m_dn.calls));
}

TEST_F(DayNightTest, NightAtOnceDayOnlyAfterSteadyDayReadings) {
    m_dn.sensorStatus = 0;
    m_dn.DNSwitchHandle();
    EXPECT_EQ("night", joined(m_dn.calls));

    // Day must hold for five seconds; undecided cycles do not reach the hook.
    m_dn.sensorStatus = 1;
    for (int second = 0; second < 5; ++second) {
        m_dn.DNSwitchHandle();
        m_root.clock().advance(1);
    }
    EXPECT_EQ("night", joined(m_dn.calls));
    EXPECT_EQ(std::vector<int>{0}, m_dn.judged);
    m_dn.DNSwitchHandle();
    EXPECT_EQ("night day", joined(m_dn.calls));

    // A single night reading during the wait switches at once and restarts it.
    m_dn.sensorStatus = 0;
    m_dn.DNSwitchHandle();
    m_dn.sensorStatus = 1;
    for (int second = 0; second < 3; ++second) {
        m_root.clock().advance(1);
        m_dn.DNSwitchHandle();
    }
    m_dn.sensorStatus = 0;
    m_dn.DNSwitchHandle();
    m_dn.sensorStatus = 1;
    for (int second = 0; second < 5; ++second) {
        m_dn.DNSwitchHandle();
        m_root.clock().advance(1);
    }
    EXPECT_EQ("night day night", joined(m_dn.calls));
    m_dn.DNSwitchHandle();
    EXPECT_EQ("night day night day", joined(m_dn.calls));

    // A mode write restarts the wait as well.
    m_dn.sensorStatus = 0;
    m_dn.DNSwitchHandle();
    m_dn.sensorStatus = 1;
    m_dn.DNSwitchHandle();
    m_root.clock().advance(4);
    m_dn.setDayNightMode(0);
    m_root.clock().advance(2);
    m_dn.DNSwitchHandle();
    EXPECT_EQ(0, m_dn.getDNState());

    // Without a delay day follows in the first cycle that reads it.
    m_dn.setDNSwitchDelay(0);
    m_dn.sensorStatus = 0;
    m_dn.DNSwitchHandle();
    m_dn.sensorStatus = 1;
    m_dn.DNSwitchHandle();
    EXPECT_EQ(1, m_dn.getDNState());
}

TEST_F(DayNightTest, LightInputFollowsTheInfraredConfiguration) {
    // Sensor answers 7, the IR-cut line reads day, the level input reads night.
    m_dn.sensorStatus = 7;
    m_sim->setInput(1, 2, 0);
    m_sim->setInput(5, 6, 0);
    struct Row {
        bool bUART;
        int nInfrared;
        bool bNew;
        int nResult;
        int nStatus;
    };
    const Row rows[] = {{true, 0, false, 1, 7},   {true, 1, false, 1, 7},   {true, 2, true, 1, 7},
                        {false, 0, false, 1, 7},  {false, 0, true, 1, 7},   {false, 1, false, 1, 1},
                        {false, 1, true, 1, 0},   {false, 2, false, 0, -1}, {false, 2, true, 1, 0},
                        {false, 3, false, 0, -1}, {false, 3, true, 1, 0}};
    for (const Row& row : rows) {
        configure(row.bUART, row.nInfrared, row.bNew);
        int status = -1;
        testing::internal::CaptureStdout();
        EXPECT_EQ(row.nResult, m_dn.getCurrentDNStatus(status));
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(row.nStatus, status) << row.bUART << row.nInfrared << row.bNew;
        if (row.nResult == 0) {
            EXPECT_EQ("", out);
        }
    }

    // A module's own level line switches without the return-to-day delay.
    configure(false, 1, false);
    m_sim->setInput(1, 2, 1);
    m_dn.DNSwitchHandle();
    m_sim->setInput(1, 2, 0);
    m_dn.DNSwitchHandle();
    EXPECT_EQ("night day", joined(m_dn.calls));
    EXPECT_EQ("", written(*m_sim));  // the module drives its own filter

    // Unreadable inputs name the bit and the level read so far.
    m_sim->failReads(1, 2);
    m_sim->failReads(5, 6);
    int status = -1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.getCurrentDNStatus(status));
    EXPECT_TRUE(
        contains(testing::internal::GetCapturedStdout(), "GPIO(2) get DNLevel failed value = -1"));
    configure(false, 2, true);
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.getCurrentDNStatus(status));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "GPIO(6) get DNLevel failed value = -1"));
    EXPECT_TRUE(contains(out, "getDNStatusFromLDR failed"));
    EXPECT_EQ(-1, status);
    m_dn.calls.clear();
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_TRUE(m_dn.calls.empty());
}

TEST_F(DayNightTest, OpticsLinesFollowTheInfraredConfigurationInOrder) {
    struct Row {
        bool bUART;
        int nInfrared;
        bool bNew;
        const char* szNight;
        const char* szDay;
    };
    // Night: filter, then LEDs. Day: LEDs off first, then the filter.
    const Row rows[] = {{true, 0, true, "", ""},
                        {false, 0, false, "1.2=1", "1.2=0"},
                        {false, 0, true, "1.2=1 3.4=0", "3.4=1 1.2=0"},
                        {false, 1, false, "", ""},
                        {false, 1, true, "1.2=1 3.4=0", "3.4=1 1.2=0"},
                        {false, 2, false, "1.2=1", "1.2=0"},
                        {false, 2, true, "1.2=1", "1.2=0"},
                        {false, 3, false, "", ""},
                        {false, 3, true, "1.2=1 3.4=0", "3.4=1 1.2=0"}};
    for (const Row& row : rows) {
        configure(row.bUART, row.nInfrared, row.bNew);
        double before = slept();
        EXPECT_EQ(1, m_dn.SwitchInfraredIrCutToNight());
        EXPECT_EQ(row.szNight, written(*m_sim)) << row.bUART << row.nInfrared << row.bNew;
        EXPECT_EQ(1, m_dn.SwitchInfraredIrCutToDay());
        EXPECT_EQ(row.szDay, written(*m_sim)) << row.bUART << row.nInfrared << row.bNew;
        EXPECT_NEAR(row.bUART ? 0.0 : 0.2, slept() - before, 1e-9);
    }
}

TEST_F(DayNightTest, EnterSequencesOrderHdrAndRetryAfterFailures) {
    configure(false, 1, true);
    m_dn.m_nHDRMode = 3;
    EXPECT_EQ(1, m_dn.enterNightMode());
    EXPECT_EQ(1, m_dn.enterDayMode());
    EXPECT_EQ("hdr:2 night hdr:1 day", joined(m_dn.calls));
    written(*m_sim);
    m_dn.m_nHDRMode = 0;
    m_dn.calls.clear();

    // Night: the picture goes first, so a failed picture leaves the optics.
    m_dn.pictureResult = 0;
    m_dn.setDayNightMode(2);
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.DNSwitchHandle());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "turnPictureToNight failed"));
    EXPECT_TRUE(contains(out, "enterNightMode failed"));
    EXPECT_EQ("", written(*m_sim));
    EXPECT_EQ(1, m_dn.getDNState());
    EXPECT_NE(2, m_dn.m_nLastDayNightMode);

    // Day: the optics go first and stay switched when the picture fails.
    m_dn.calls.clear();
    m_dn.setDayNightMode(1);
    m_dn.m_nDNState = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.DNSwitchHandle());
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "turnPictureToDay failed"));
    EXPECT_TRUE(contains(out, "enterDayMode failed"));
    EXPECT_EQ("3.4=1 1.2=0", written(*m_sim));
    EXPECT_EQ(0, m_dn.getDNState());
    // The next cycle runs the whole sequence again.
    m_dn.pictureResult = 1;
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ("3.4=1 1.2=0", written(*m_sim));
    EXPECT_EQ("manual day day", joined(m_dn.calls));
    EXPECT_EQ(1, m_dn.getDNState());

    // A broken filter line: message, a 1-second pause, no LED write, retried.
    m_dn.calls.clear();
    m_dn.setDayNightMode(2);
    m_sim->failWrites(1, 2);
    double before = slept();
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.DNSwitchHandle());
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "gpio set filter failed"));
    EXPECT_TRUE(contains(out, "SwitchInfraredIrCutToNight failed"));
    EXPECT_NEAR(1.0, slept() - before, 1e-9);
    EXPECT_EQ("", written(*m_sim));
    EXPECT_EQ(1, m_dn.getDNState());
    m_sim->failWrites(1, 2, false);
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ("1.2=1 3.4=0", written(*m_sim));
    EXPECT_EQ("manual night night", joined(m_dn.calls));
    EXPECT_EQ(0, m_dn.getDNState());

    // A broken LED line stops the day sequence before the filter.
    m_dn.setDayNightMode(1);
    m_sim->failWrites(3, 4);
    before = slept();
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.DNSwitchHandle());
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "gpio set infrared failed"));
    EXPECT_TRUE(contains(out, "SwitchInfraredIrCutToDay failed"));
    EXPECT_NEAR(1.0, slept() - before, 1e-9);
    EXPECT_EQ("", written(*m_sim));
    EXPECT_EQ(0, m_dn.getDNState());
}

TEST_F(DayNightTest, ScheduleJudgesByTimeOfDayAcrossMidnight) {
    auto at = [&](int p_nHour, int p_nMinute) {
        m_root.clock().setTimeOfDay(p_nHour, p_nMinute);
        int status = 42;
        EXPECT_EQ(1, m_dn.DNSwitchByTime(status));
        return status;
    };
    // Before any time was set night can never hold.
    EXPECT_EQ(1, at(0, 0));
    EXPECT_EQ(1, at(23, 59));

    m_dn.setDTNTime_H(18);
    m_dn.setDTNTime_M(0);
    m_dn.setNTDTime_H(6);
    m_dn.setNTDTime_M(0);
    EXPECT_EQ(1, at(17, 59));
    EXPECT_EQ(0, at(18, 0));
    EXPECT_EQ(0, at(0, 0));
    EXPECT_EQ(0, at(5, 59));
    EXPECT_EQ(1, at(6, 0));

    m_dn.m_nDTNTime = 200;
    m_dn.m_nNTDTime = 400;
    EXPECT_EQ(1, at(1, 59));
    EXPECT_EQ(0, at(2, 0));
    EXPECT_EQ(0, at(3, 59));
    EXPECT_EQ(1, at(4, 0));

    // Mode 3 switches by the schedule.
    m_dn.setDayNightMode(3);
    m_root.clock().setTimeOfDay(3, 0);
    EXPECT_EQ(1, m_dn.DNSwitchHandle());
    EXPECT_EQ(0, m_dn.getDNState());

    // Equal times: no decision, the hook hears -1, nothing moves.
    m_dn.m_nNTDTime = 200;
    int status = 42;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.DNSwitchByTime(status));
    EXPECT_EQ(42, status);
    m_dn.calls.clear();
    written(*m_sim);
    EXPECT_EQ(0, m_dn.DNSwitchHandle());
    EXPECT_TRUE(contains(testing::internal::GetCapturedStdout(), "Error @ DNSwitchByTime"));
    EXPECT_EQ(-1, m_dn.judged.back());
    EXPECT_TRUE(m_dn.calls.empty());
    EXPECT_EQ("", written(*m_sim));
    EXPECT_EQ(0, m_dn.getDNState());
}

TEST_F(DayNightTest, TimeSettersComposeHourAndTenMinuteSteps) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, m_dn.setDTNTime_H(18));
    EXPECT_EQ(1877, m_dn.m_nDTNTime);
    EXPECT_EQ(1, m_dn.setDTNTime_M(3));
    EXPECT_EQ(1830, m_dn.m_nDTNTime);
    EXPECT_EQ(1, m_dn.setNTDTime_H(18));
    EXPECT_EQ(1899, m_dn.m_nNTDTime);
    EXPECT_TRUE(contains(testing::internal::GetCapturedStdout(),
                         "set DTN time:1877\nset DTN time:1830\nset NTD time:1899\n"));
    // Before init the two may meet while hour and minute are written apart.
    EXPECT_EQ(1, m_dn.setNTDTime_M(3));
    EXPECT_EQ(1830, m_dn.m_nNTDTime);

    // After init an equal pair is refused and the old value kept.
    m_dn.m_nNTDTime = 1899;
    m_dn.m_bInitFinished = true;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.setNTDTime_M(3));
    m_dn.m_nDTNTime = 699;
    EXPECT_EQ(0, m_dn.setDTNTime_H(18));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "failed:DTNTIME == NTDTIME,value = 1830\n"));
    EXPECT_TRUE(contains(out, "failed:DTNTIME == NTDTIME,value = 1899\n"));
    EXPECT_FALSE(contains(out, "set "));
    EXPECT_EQ(1899, m_dn.m_nNTDTime);
    EXPECT_EQ(699, m_dn.m_nDTNTime);
    // A bulk update may pass through an equal pair.
    m_dn.m_bBulkUpdate = true;
    EXPECT_EQ(1, m_dn.setNTDTime_H(6));
    EXPECT_EQ(699, m_dn.m_nNTDTime);
    m_dn.m_bBulkUpdate = false;
    // No range check.
    EXPECT_EQ(1, m_dn.setNTDTime_H(30));
    EXPECT_EQ(3099, m_dn.m_nNTDTime);

    int value = -1;
    EXPECT_EQ(1, m_dn.getDTNTime_H(value));
    EXPECT_EQ(18, value);
    EXPECT_EQ(1, m_dn.getDTNTime_M(value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(1, m_dn.getNTDTime_H(value));
    EXPECT_EQ(6, value);
    EXPECT_EQ(1, m_dn.getNTDTime_M(value));
    EXPECT_EQ(0, value);
    m_dn.setDNSwitchDelay(30);
    EXPECT_EQ(1, m_dn.getDNSwitchDelay(value));
    EXPECT_EQ(5, value);
}

TEST_F(DayNightTest, LampFramesAreRangeCheckedAndSentOnlyWithInfrared) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.setFarLight(101));
    EXPECT_EQ(0, m_dn.setFarLight(-1));
    EXPECT_EQ(0, m_dn.setPowerMode(2));
    EXPECT_EQ(1, m_dn.setFarLight(100));  // no infrared board: nothing to send
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "setFarLight(101) out of range"));
    EXPECT_TRUE(contains(out, "setFarLight(-1) out of range"));
    EXPECT_TRUE(contains(out, "setPowerMode(2) out of range"));
    EXPECT_TRUE(m_dn.frames.empty());

    m_dn.m_nIsInfrared = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, m_dn.setNearLight(101));
    EXPECT_EQ(0, m_dn.setMiddleLight(-5));
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(contains(out, "setNearLight(101) out of range"));
    EXPECT_TRUE(contains(out, "setMiddleLight(-5) out of range"));
    EXPECT_TRUE(m_dn.frames.empty());

    EXPECT_EQ(1, m_dn.setNearLight(50));
    EXPECT_EQ(1, m_dn.setMiddleLight(100));
    EXPECT_EQ(1, m_dn.setFarLight(0));
    EXPECT_EQ(1, m_dn.setPowerMode(1));
    ASSERT_EQ(4u, m_dn.frames.size());
    EXPECT_EQ(std::string("\xFE\x01\x1E\x02\x06\x32\x59\xFF", 8), m_dn.frames[0]);
    EXPECT_EQ(std::string("\xFE\x01\x1E\x02\x07\x64\x8C\xFF", 8), m_dn.frames[1]);
    EXPECT_EQ(std::string("\xFE\x01\x1E\x02\x08\x00\x29\xFF", 8), m_dn.frames[2]);
    EXPECT_EQ(std::string("\xFE\x01\x1E\x02\x01\x01\x23\xFF", 8), m_dn.frames[3]);

    int value = -1;
    m_dn.getNearLight(value);
    EXPECT_EQ(50, value);
    m_dn.getMiddleLight(value);
    EXPECT_EQ(50, value);
    m_dn.getFarLight(value);
    EXPECT_EQ(50, value);
    m_dn.getPowerMode(value);
    EXPECT_EQ(0, value);
}

TEST_F(DayNightTest, RunningThreadAppliesAHostModeChangeInItsNextCycle) {
    ASSERT_EQ(1, m_dn.init(1, ModuleConfigure(99, "DNDefault=0", ""), VideoResolution(1920, 1080)));
    EXPECT_TRUE(m_root.clock().settle(1));
    EXPECT_EQ(1, m_dn.getDNState());
    EXPECT_EQ("1.2=0", written(*m_sim));  // day entered during init

    m_dn.setDayNightMode(2);
    for (int step = 0; step < 20 && m_dn.getDNState() != 0; ++step) {
        m_root.clock().advance(0.1);
        EXPECT_TRUE(m_root.clock().settle(1));
    }
    EXPECT_EQ(0, m_dn.getDNState());
    EXPECT_EQ("1.2=1", written(*m_sim));
    EXPECT_EQ(2, m_dn.m_nLastDayNightMode);
}
