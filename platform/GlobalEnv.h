#ifndef SENSORCONTROL_PLATFORM_GLOBALENV_H
#define SENSORCONTROL_PLATFORM_GLOBALENV_H

#include <atomic>

#include "Export.h"

// Process-wide settings of the platform. The print flag switches on the
// manager's and the drivers' optional console messages; it starts off.
class SC_EXPORT GlobalEnv {
public:
    static GlobalEnv* getInstance();

    bool getPrintFlag() const { return m_bPrintFlag.load(); }
    void setPrintFlag(bool p_bPrint) { m_bPrintFlag.store(p_bPrint); }

private:
    GlobalEnv() = default;
    std::atomic<bool> m_bPrintFlag{false};
};

#endif
