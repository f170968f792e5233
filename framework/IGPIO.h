#ifndef SENSORCONTROL_FRAMEWORK_IGPIO_H
#define SENSORCONTROL_FRAMEWORK_IGPIO_H
/// @file
/// IGPIO, the host's GPIO lines as the library uses them.

#include "../platform/Export.h"

/// The host's GPIO lines, named by group and pin as the module configuration
/// gives them ("GPIO=1,2,0": group 1, pin 2, day level 0).
class SC_EXPORT IGPIO {
public:
    virtual ~IGPIO();
    /// Non-zero when the GPIO object runs; called once after the controller
    /// initialised.
    virtual int start() = 0;
    /// Not called by the library; lets the host stop what start() began.
    virtual int stop() = 0;
    /// Non-zero on success.
    virtual int setLevel(int p_nGroup, int p_nPin, int p_nLevel) = 0;
    /// Non-zero on success, with the level read.
    virtual int getLevel(int p_nGroup, int p_nPin, int& p_nLevel) = 0;
};

#endif
