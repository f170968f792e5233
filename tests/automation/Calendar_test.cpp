#include <gtest/gtest.h>

#include <string>

#include "platform/OVDeviceTime.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

// A camera outlives 2038: on a board with a 32-bit time_t the wall clock
// wraps on 2038-01-19 at 03:14:08 UTC, and the time of day read after it is
// hours off.
class CalendarTest : public testing::Test {
protected:
    CalendarTest() {
        layBoard(m_root, 1);
        // Scheme 0 holds from 03:10 to 03:20, and id 1 tells which set is on.
        m_root.writeFile("/mnt/mtd/code/config_file/sensor_Factory.cfg",
                         "(1,9)(500,1)(501,0)(502,0)(503,24)(504,0)(10000,3)(10001,1)");
        m_root.writeFile("/mnt/mtd/code/config_file/sensor0.cfg",
                         "(1,11)(500,1)(501,3)(502,1)(503,3)(504,2)(10000,3)(10001,1)");
        m_controller.setOperator(m_uart, m_gpio);
        EXPECT_EQ(1, m_controller.createSensorXML());
        EXPECT_EQ(1, m_controller.initSensorFilesHandler());
        EXPECT_EQ(1, m_controller.loadSchemeParamToMemory());
        // Night by the schedule from 03:10 to 03:20, day at once after it.
        m_controller.setDayNightMode(3);
        m_controller.setDNSwitchDelay(0);
        m_controller.setDTNTime_H(3);
        m_controller.setDTNTime_M(1);
        m_controller.setNTDTime_H(3);
        m_controller.setNTDTime_M(2);
    }

    // Runs the thread's two steps once a minute from 03:00 for half an hour
    // of that day and returns what held at each minute: "s" scheme 0 with its
    // values applied, "n" night.
    std::string halfHourFrom(int p_nYear, int p_nMonth, int p_nDay) {
        m_root.clock().setDate(p_nYear, p_nMonth, p_nDay);
        m_root.clock().setTimeOfDay(3, 0);
        std::string minutes;
        testing::internal::CaptureStdout();
        for (int minute = 0; minute < 30; ++minute) {
            m_controller.paramSchemeSwitchBody();
            m_controller.DNSwitchHandle();
            int scheme = -2;
            m_controller.getParamScheme(scheme);
            std::string mark;
            mark += scheme == 0 && m_controller.hardware[1] == 11 ? "s" : "";
            mark += m_controller.getDNState() == 0 ? "n" : "";
            minutes += (minutes.empty() ? "" : " ") + (mark.empty() ? "-" : mark);
            m_root.clock().advance(60);
        }
        testing::internal::GetCapturedStdout();
        return minutes;
    }

    ScratchRoot m_root;
    SafePointer<IUARTController> m_uart{new SimSerialPort()};
    SafePointer<IGPIO> m_gpio{new SimGPIO()};
    TestController m_controller;
};

const char* const kSchemeAndNightFrom0310To0320 =
    "- - - - - - - - - - sn sn sn sn sn sn sn sn sn sn - - - - - - - - - -";

}  // namespace

TEST_F(CalendarTest, TheWallClockPassesJanuary2038AndKnowsLeapDays) {
    m_root.clock().setDate(2038, 1, 19);
    m_root.clock().setTimeOfDay(3, 14, 7);
    m_root.clock().advance(2);
    OVDeviceTime after = OVDeviceTime::getCurrentTime();
    EXPECT_EQ(2038, after.year);
    EXPECT_EQ(1, after.month);
    EXPECT_EQ(19, after.day);
    EXPECT_EQ(2, after.dayOfWeek);  // a Tuesday
    EXPECT_EQ(3, after.hour);
    EXPECT_EQ(14, after.minute);
    EXPECT_EQ(9, after.second);

    m_root.clock().setDate(2040, 2, 28);
    m_root.clock().setTimeOfDay(23, 59, 59);
    m_root.clock().advance(1);
    OVDeviceTime leap = OVDeviceTime::getCurrentTime();
    EXPECT_EQ(2040, leap.year);
    EXPECT_EQ(2, leap.month);
    EXPECT_EQ(29, leap.day);
    EXPECT_EQ(0, leap.hour);
}

TEST_F(CalendarTest, SchemesAndTheDayNightScheduleKeepTheirHoursAcross2038AndIn2040) {
    EXPECT_EQ(kSchemeAndNightFrom0310To0320, halfHourFrom(2038, 1, 19));
    EXPECT_EQ(kSchemeAndNightFrom0310To0320, halfHourFrom(2040, 2, 29));
}
