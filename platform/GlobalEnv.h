#ifndef SENSORCONTROL_PLATFORM_GLOBALENV_H
#define SENSORCONTROL_PLATFORM_GLOBALENV_H
/// @file
/// GlobalEnv, the process-wide settings of the platform.

#include <atomic>

#include "Export.h"

/// Process-wide settings of the platform. The print flag switches on the
/// manager's and the drivers' optional console messages; it starts off.
class SC_EXPORT GlobalEnv {
public:
    /// The one instance of the process.
    static GlobalEnv* getInstance();

    /// Whether the optional console messages are on.
    bool getPrintFlag() const { return m_bPrintFlag.load(); }
    /// Switches the optional console messages on or off.
    void setPrintFlag(bool p_bPrint) { m_bPrintFlag.store(p_bPrint); }

private:
    GlobalEnv() = default;
    std::atomic<bool> m_bPrintFlag{false};
};

#endif
