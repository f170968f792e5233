#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCACOMMANDSET_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCACOMMANDSET_H

#include <string>

#include "../../../config/SensorCache.h"
#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"

/// The image settings of a Sony block camera as VISCA commands, shared by the
/// VISCA controllers. The values a setter takes are its parameter row's (the
/// table refuses the others before the setter runs). A setter checks what it
/// needs of the other cached parameters (when that does not hold it sends
/// nothing and gives 1), then sends through the controller's
/// setParameterValue. Settings that other settings depend on re-send those
/// from the cache after a change, through the same rows.
class ViscaCommandSet {
public:
    /// A command set sending through the controller, reading its cache.
    ViscaCommandSet(ISensorController& p_owner, SensorCache& p_cache);

    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setSharpness(int p_nValue);
    int setLowLightChromaSuppress(int p_nValue);
    int setGamma(int p_nValue);
    int setNoiseReduction(int p_nValue);
    int setHR(int p_nValue);
    int setMirror(int p_nValue);
    int setThreshold(int p_nValue);
    int setStillImage(int p_nValue);
    int setExposalMode(int p_nValue);
    int setShutter(int p_nValue);
    int setIri(int p_nValue);
    int setBright(int p_nValue);
    int setGain(int p_nValue);
    int setGainLimit(int p_nValue);
    int setAutoSlowShutter(int p_nValue);
    int setExpComp(int p_nValue);
    int setAEResponse(int p_nValue);
    int setSpotAE(int p_nValue);
    int setSpotAE_X(int p_nValue);
    int setSpotAE_Y(int p_nValue);
    int setBackLight(int p_nValue);
    int setWBMode(int p_nValue);
    int setRGain(int p_nValue);
    int setBGain(int p_nValue);
    int setIRCorrection(int p_nValue);
    int setWDMode(int p_nValue);
    int setDZoom(int p_nValue);
    /// @endcond
    /// Focus mode 1 auto, 2 manual, 3 one-push; p_nFocusMode keeps it. Hosts
    /// and members call it directly, so it refuses what its row refuses.
    int setFocusMode(int p_nValue, int& p_nFocusMode);
    /// The automatic focus mode.
    int setFocusAutoMode(int p_nValue);
    /// The autofocus sensitivity.
    int setAF_Sensitivity(int p_nValue);
    /// The focus near limit.
    int setFocusNearLimit(int p_nValue);
    /// Triggers a one-push focus.
    int OnePushTrigger(int p_nValue);
    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setDisplay(int p_nValue);
    int setSens(int p_nValue);
    int setBintens(int p_nValue);
    int setWintens(int p_nValue);
    int setShortTimeExp(int p_nValue);
    int setLensMovement(int p_nValue);
    int setLensInterval(int p_nValue);
    int setSaturation(int p_nValue);
    int setHue(int p_nValue);
    int setHighSensitivity(int p_nValue);
    int setBrightRemoteSensor2(int p_nValue);
    int setBrightness(int p_nValue);
    /// @endcond
    /// Opens the iris one step.
    int IrisUp();
    /// Closes the iris one step.
    int IrisDown();
    /// One focus step far.
    int FocusUp();
    /// One focus step near.
    int FocusDown();
    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setDeFog(int p_nValue);
    int setHLCLv(int p_nValue);
    int setHLCMaskLv(int p_nValue);
    int setHLC(int p_nValue);
    /// @endcond

    /// Sends one command frame (81 01 04 code params FF).
    int send(int p_nCode, const std::string& p_strParameters);
    /// True when the cache holds the id with one of the values.
    bool cachedIs(int p_nId, std::initializer_list<int> p_values);
    /// The cached value of the id; false when not cached.
    bool cached(int p_nId, int& p_nValue);

private:
    int sendDisplayFrame(int p_nDisplay, int p_nSens, int p_nBintens, int p_nWintens);
    /// Re-sends a setting of the family's rows from the cache, when it is
    /// cached: a value its row does not take (a parameter file edited by
    /// hand) is refused as the table refuses it, and left unconfirmed.
    void resend(int p_nId);
    /// Whether the family's row of the id takes the value.
    static bool takes(int p_nId, int p_nValue);

    ISensorController& m_owner;
    SensorCache& m_cache;
};

/// A VISCA module's parameter rows: the setters are the command set's.
typedef ParameterRow<ViscaCommandSet> ViscaParameter;
typedef ParameterList<ViscaCommandSet> ViscaParameterList;

namespace ViscaParameters {

/// The ids every member numbers alike: the image settings 1-50 (the gaps 9,
/// 31, 35, 36, 42 and 43 are no member's), day/night mode 26 and focus mode
/// 30, with the FCB-EV7310's factory defaults. The command set's own cached
/// ids are these.
ViscaParameterList family();

}  // namespace ViscaParameters

#endif
