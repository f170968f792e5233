#ifndef SENSORCONTROL_PLATFORM_IRPOWER_H
#define SENSORCONTROL_PLATFORM_IRPOWER_H
/// @file
/// The IR power table: LED group powers by zoom position.

#include <vector>

#include "Export.h"

/// One row of an IR power table: from zoom position `zoomUp` on, the powers of
/// the far, middle and near LED groups.
class SC_EXPORT IRPowerItem {
public:
    /// Sets the zoom position the row starts at.
    void setZoomUp(int p_nZoomUp) { m_nZoomUp = p_nZoomUp; }
    /// Sets the far LED group's power.
    void setFarPower(int p_nPower) { m_nFarPower = p_nPower; }
    /// Sets the middle LED group's power.
    void setMidPower(int p_nPower) { m_nMidPower = p_nPower; }
    /// Sets the near LED group's power.
    void setNearPower(int p_nPower) { m_nNearPower = p_nPower; }
    /// The zoom position the row starts at.
    int getZoomUp() const { return m_nZoomUp; }
    /// The far LED group's power.
    int getFarPower() const { return m_nFarPower; }
    /// The middle LED group's power.
    int getMidPower() const { return m_nMidPower; }
    /// The near LED group's power.
    int getNearPower() const { return m_nNearPower; }

private:
    int m_nZoomUp = 0;
    int m_nFarPower = 0;
    int m_nMidPower = 0;
    int m_nNearPower = 0;
};

/// The IR power table a camera drives its LEDs by, rows in table order.
class SC_EXPORT IRPowerParamV2 {
public:
    /// Replaces the rows.
    void setIrPower(const std::vector<IRPowerItem>& p_table) { m_table = p_table; }
    /// The rows, in table order.
    const std::vector<IRPowerItem>& getIrPower() const { return m_table; }

private:
    std::vector<IRPowerItem> m_table;
};

#endif
