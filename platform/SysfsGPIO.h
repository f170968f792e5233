#ifndef SENSORCONTROL_PLATFORM_SYSFSGPIO_H
#define SENSORCONTROL_PLATFORM_SYSFSGPIO_H
/// @file
/// SysfsGPIO, the board's GPIO lines through sysfs.

#include <map>
#include <mutex>
#include <string>

#include "../framework/IGPIO.h"
#include "Export.h"

/// The board's GPIO lines through the Linux sysfs files under
/// "/sys/class/gpio" (mapped through PlatformRoot).
///
/// Group and pin name the kernel's line number N = group x lines per group +
/// pin. HiSilicon SoCs have 8 lines per group (GPIO1_2 is line 10); another
/// board can give its own count to the constructor.
///
/// A line is exported (N written to "export") the first time it is used unless
/// "gpioN" already exists. setLevel makes the line an output and writes "0" or
/// "1" to its value; getLevel makes it an input and reads its value. The
/// direction is written only when it differs from what the line has, and each
/// line's direction is remembered, so repeated calls touch only "value".
class SC_EXPORT SysfsGPIO : public IGPIO {
public:
    /// Lines numbered with the given count of lines per group.
    explicit SysfsGPIO(int p_nLinesPerGroup = 8);

    /// Both return 1: there is nothing to run.
    int start() override;
    int stop() override;
    /// 0 for a negative group or pin, a pin >= the lines per group, a level
    /// other than 0 or 1, or any sysfs file that cannot be opened, written or
    /// read (such as a line the board does not have).
    int setLevel(int p_nGroup, int p_nPin, int p_nLevel) override;
    int getLevel(int p_nGroup, int p_nPin, int& p_nLevel) override;

private:
    int lineOf(int p_nGroup, int p_nPin) const;
    bool prepareLine(int p_nLine, const std::string& p_strDirection);

    std::mutex m_mutex;
    int m_nLinesPerGroup;
    /// Lines known to be exported -> the direction they were given ("" while
    /// not yet known).
    std::map<int, std::string> m_lines;
};

#endif
