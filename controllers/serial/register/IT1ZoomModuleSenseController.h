#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IT1ZOOMMODULESENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IT1ZOOMMODULESENSECONTROLLER_H

#include <atomic>

#include "IBaseIT1SenseController.h"

/// The IT1 zoom module (module id 9): the family's parameters (ids 1-6, 8-19)
/// and a zoom lens on a second serial line (the detail's "RS485" device, line
/// settings from the parameter text's "RS485", 9600 8N1 when absent), driven
/// with VISCA command frames that get no acknowledgement:
/// | Id | Operation         | Frame                                        |
/// |----|-------------------|----------------------------------------------|
/// | 20 | setAutoFocus 1..4 | 81 01 04 B1 nn FF, nn 04, 00, 01, 02 (5 cm, 1 m, 2 m, 3 m); reads 4 |
/// | 21 | setFocusMode      | 1 auto: 81 01 04 38 02 FF; 2 one push: 81 01 04 18 01 FF |
/// | 22 | setAdjustLens     | 81 01 04 B1 03 FF whatever the value (set-only) |
/// A lens line that does not open is logged; the picture still works and the
/// lens commands fail.
class SC_EXPORT IT1ZoomModuleSenseController : public IBaseIT1SenseController {
public:
    IT1ZoomModuleSenseController();

    /// The automatic focus.
    int setAutoFocus(int p_nValue);
    /// The automatic focus setting.
    int getAutoFocus(int& p_nValue);
    int setFocusMode(int p_nMode) override;
    int getFocusMode(int& p_nMode) override;
    /// Moves the lens; the value says where.
    int setAdjustLens(int p_nValue);

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int initMember(const ModuleConfigure& p_config, ModuleParameterParser& p_detail) override;

    /// @endcond
private:
    /// Writes a 6-byte VISCA frame on the lens line.
    int sendLens(int p_nCode, int p_nValue);

    int m_nLensIndex;
    std::atomic<int> m_nFocusMode;
    OVMutex m_lensMutex;
};

#endif
