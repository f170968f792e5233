#include "OVDeviceTime.h"

#include <cstddef>

#include "Clock.h"

static_assert(offsetof(OVDeviceTime, hour) == 8, "hour sits at byte 8");
static_assert(offsetof(OVDeviceTime, minute) == 10, "minute sits at byte 10");

OVDeviceTime OVDeviceTime::getCurrentTime() {
    return Clock::get().wallTime();
}

double OVDeviceTime::getSeconds() {
    return Clock::get().monotonicSeconds();
}
