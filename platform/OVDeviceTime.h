#ifndef SENSORCONTROL_PLATFORM_OVDEVICETIME_H
#define SENSORCONTROL_PLATFORM_OVDEVICETIME_H
/// @file
/// OVDeviceTime, the device clock's time record.

#include <cstdint>

#include "Export.h"

/// The device clock's 16-byte time record: eight unsigned 16-bit fields, the
/// hour at byte offset 8 and the minute at byte offset 10.
class SC_EXPORT OVDeviceTime {
public:
    /// The year, such as 2026.
    uint16_t year = 0;
    uint16_t month = 0;      ///< The month, 1..12.
    uint16_t dayOfWeek = 0;  ///< The day of the week, 0 = Sunday.
    uint16_t day = 0;        ///< The day of the month, 1..31.
    /// The hour, 0..23 (byte offset 8).
    uint16_t hour = 0;
    /// The minute, 0..59 (byte offset 10).
    uint16_t minute = 0;
    /// The second, 0..59.
    uint16_t second = 0;
    /// The millisecond, 0..999.
    uint16_t millisecond = 0;

    /// The wall-clock time now, from the installed clock.
    static OVDeviceTime getCurrentTime();
    /// Seconds on the monotonic clock, for elapsed times.
    static double getSeconds();
};

static_assert(sizeof(OVDeviceTime) == 16, "the device time record is 16 bytes");

#endif
