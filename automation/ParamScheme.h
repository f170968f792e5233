#ifndef SENSORCONTROL_AUTOMATION_PARAMSCHEME_H
#define SENSORCONTROL_AUTOMATION_PARAMSCHEME_H
/// @file
/// ParamScheme, a parameter scheme's daily window.

#include <atomic>

#include "../platform/Export.h"

/// One parameter scheme's daily window [start, end), times as hour * 100 +
/// minutes, and whether it takes part in automatic selection.
class SC_EXPORT ParamScheme {
public:
    /// The start of the window (included).
    void setStartTime(int p_nTime) { m_nStartTime = p_nTime; }
    /// The start of the window.
    void getStartTime(int& p_nTime) const { p_nTime = m_nStartTime; }
    /// The end of the window (excluded).
    void setEndTime(int p_nTime) { m_nEndTime = p_nTime; }
    /// The end of the window.
    void getEndTime(int& p_nTime) const { p_nTime = m_nEndTime; }
    /// Whether the scheme takes part in automatic selection (non-zero).
    void setEnableFlag(int p_nEnable) { m_nEnableFlag = p_nEnable; }
    /// Whether the scheme takes part in automatic selection.
    void getEnableFlag(int& p_nEnable) const { p_nEnable = m_nEnableFlag; }

private:
    /// Written by flush in a host thread, read by the background thread.
    std::atomic<int> m_nStartTime{0};
    std::atomic<int> m_nEndTime{0};
    std::atomic<int> m_nEnableFlag{0};
};

#endif
