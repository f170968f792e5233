#ifndef SENSORCONTROL_AUTOMATION_EE_H
#define SENSORCONTROL_AUTOMATION_EE_H
/// @file
/// EE, the receiver of the edge-enhancement values.

#include "../platform/Export.h"

/// Receiver of the edge-enhancement values the tuning table chooses. This
/// library only records the last value; a board with an edge-enhancement
/// block drives it from here.
class SC_EXPORT EE {
public:
    /// Takes an edge-enhancement value; 1.
    int setEE(int p_nValue) {
        m_nValue = p_nValue;
        return 1;
    }
    /// The last value taken (-100: none yet).
    int getLastEE() const { return m_nValue; }

private:
    int m_nValue = -100;
};

#endif
