#ifndef SENSORCONTROL_PLATFORM_IRPOWER_H
#define SENSORCONTROL_PLATFORM_IRPOWER_H

#include <vector>

#include "Export.h"

// One row of an IR power table: from zoom position `zoomUp` on, the powers of
// the far, middle and near LED groups.
class SC_EXPORT IRPowerItem {
public:
    void setZoomUp(int p_nZoomUp) { m_nZoomUp = p_nZoomUp; }
    void setFarPower(int p_nPower) { m_nFarPower = p_nPower; }
    void setMidPower(int p_nPower) { m_nMidPower = p_nPower; }
    void setNearPower(int p_nPower) { m_nNearPower = p_nPower; }
    int getZoomUp() const { return m_nZoomUp; }
    int getFarPower() const { return m_nFarPower; }
    int getMidPower() const { return m_nMidPower; }
    int getNearPower() const { return m_nNearPower; }

private:
    int m_nZoomUp = 0;
    int m_nFarPower = 0;
    int m_nMidPower = 0;
    int m_nNearPower = 0;
};

// The IR power table a camera drives its LEDs by, rows in table order.
class SC_EXPORT IRPowerParamV2 {
public:
    void setIrPower(const std::vector<IRPowerItem>& p_table) { m_table = p_table; }
    const std::vector<IRPowerItem>& getIrPower() const { return m_table; }

private:
    std::vector<IRPowerItem> m_table;
};

#endif
