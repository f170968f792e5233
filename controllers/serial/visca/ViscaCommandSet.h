#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCACOMMANDSET_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCACOMMANDSET_H

#include <string>

#include "../../../config/SensorCache.h"
#include "../../../framework/ISensorController.h"

// The image settings of a Sony block camera as VISCA commands, shared by the
// VISCA controllers. Each setter checks its value (an out-of-range value
// sends nothing and gives 0), checks what it needs of the other cached
// parameters (when that does not hold it sends nothing and gives 1), then
// sends through the controller's setParameterValue. Settings that other
// settings depend on re-send those from the cache after a change.
class ViscaCommandSet {
public:
    ViscaCommandSet(ISensorController& p_owner, SensorCache& p_cache);

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
    // Focus mode 1 auto, 2 manual, 3 one-push; p_nFocusMode keeps it.
    int setFocusMode(int p_nValue, int& p_nFocusMode);
    int setFocusAutoMode(int p_nValue);
    int setAF_Sensitivity(int p_nValue);
    int setFocusNearLimit(int p_nValue);
    int OnePushTrigger(int p_nValue);
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
    int IrisUp();
    int IrisDown();
    int FocusUp();
    int FocusDown();
    int setDeFog(int p_nValue);
    int setHLCLv(int p_nValue);
    int setHLCMaskLv(int p_nValue);
    int setHLC(int p_nValue);

    // Sends one command frame (81 01 04 code params FF).
    int send(int p_nCode, const std::string& p_strParameters);
    // True when the cache holds the id with one of the values.
    bool cachedIs(int p_nId, std::initializer_list<int> p_values);
    bool cached(int p_nId, int& p_nValue);

private:
    int sendDisplayFrame(int p_nDisplay, int p_nSens, int p_nBintens, int p_nWintens);
    // Re-sends a setting from the cache, when it is cached.
    void resend(int p_nId, int (ViscaCommandSet::*p_set)(int));
    int outOfRange(const char* p_szFormat, int p_nValue);

    ISensorController& m_owner;
    SensorCache& m_cache;
};

#endif
