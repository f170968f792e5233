#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_SONYCV7500SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_SONYCV7500SENSECONTROLLER_H

#include "../../../framework/ISensorController.h"
#include "ViscaSenseController.h"

/// The Sony CV7500 block camera (module id 19) on a VISCA serial line. Beyond
/// the family's image settings it has an image stabilizer, defog, its own
/// visibility-enhancer frame (bright level, bright compensation, compensation
/// level) and a point-light focus mode for night scenes; it has no backlight,
/// TNF or display settings. Its light, schedule and power-mode ids are
/// numbered differently from the other members.
class SC_EXPORT SONYCV7500SenseController : public ViscaSenseController<ISensorController> {
public:
    SONYCV7500SenseController();

    int IrisUp() override;
    int IrisDown() override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;

    /// The values these setters take are their parameter rows' (ids 39, 40,
    /// 44, 56 and 57); the table refuses the others before they run.
    int setStabilizer(int p_nValue);
    /// Only applies in automatic exposure.
    int setDefog(int p_nValue);
    /// The visibility enhancer: bright level, bright compensation and
    /// compensation level; each takes the other two from the cache.
    int setBrightLevel(int p_nValue);
    /// Bright compensation.
    int setBrightCompens(int p_nValue);
    /// The compensation level.
    int setCompensLevel(int p_nValue);
    /// Opens the point-light focus.
    int OpenPointLightFocus(int p_nValue);
    /// Closes the point-light focus.
    int ClosePointLightFocus(int p_nValue);

    /// Whether the point-light focus is open.
    bool isPointLightFocusOpen() const { return m_bPointLightFocusOpen; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int sendEnhancer(int p_nBrightLevel, int p_nBrightCompens, int p_nCompensLevel);

    bool m_bPointLightFocusOpen;
    /// @endcond
};

#endif
