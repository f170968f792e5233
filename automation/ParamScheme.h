#ifndef SENSORCONTROL_AUTOMATION_PARAMSCHEME_H
#define SENSORCONTROL_AUTOMATION_PARAMSCHEME_H

#include <atomic>

#include "../platform/Export.h"

// One parameter scheme's daily window [start, end), times as hour * 100 +
// minutes, and whether it takes part in automatic selection.
class SC_EXPORT ParamScheme {
public:
    void setStartTime(int p_nTime) { m_nStartTime = p_nTime; }
    void getStartTime(int& p_nTime) const { p_nTime = m_nStartTime; }
    void setEndTime(int p_nTime) { m_nEndTime = p_nTime; }
    void getEndTime(int& p_nTime) const { p_nTime = m_nEndTime; }
    void setEnableFlag(int p_nEnable) { m_nEnableFlag = p_nEnable; }
    void getEnableFlag(int& p_nEnable) const { p_nEnable = m_nEnableFlag; }

private:
    // Written by flush in a host thread, read by the background thread.
    std::atomic<int> m_nStartTime{0};
    std::atomic<int> m_nEndTime{0};
    std::atomic<int> m_nEnableFlag{0};
};

#endif
