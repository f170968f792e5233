#include "OVDeviceTime.h"

#include <cstddef>

#include "Clock.h"

static_assert(offsetof(OVDeviceTime, hour) == 8, "hour sits at byte 8");
static_assert(offsetof(OVDeviceTime, minute) == 10, "minute sits at byte 10");

OVDeviceTime OVDeviceTime::getCurrentTime() {
    WallTime wall = Clock::get().wallTime();
    OVDeviceTime record;
    record.year = static_cast<uint16_t>(wall.year);
    record.month = static_cast<uint16_t>(wall.month);
    record.dayOfWeek = static_cast<uint16_t>(wall.dayOfWeek);
    record.day = static_cast<uint16_t>(wall.day);
    record.hour = static_cast<uint16_t>(wall.hour);
    record.minute = static_cast<uint16_t>(wall.minute);
    record.second = static_cast<uint16_t>(wall.second);
    record.millisecond = static_cast<uint16_t>(wall.millisecond);
    return record;
}

double OVDeviceTime::getSeconds() { return Clock::get().monotonicSeconds(); }
