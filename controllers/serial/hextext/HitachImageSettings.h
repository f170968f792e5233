#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHIMAGESETTINGS_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHIMAGESETTINGS_H

#include "HexTextSenseController.h"

// The image settings of the Hitachi camera module, ids 1-16, which the
// SC110N_C module takes alike. Brightness and maximum gain go to the
// registers of the picture mode the cache holds (id 15); a picture-mode
// change writes both again to the registers of the new mode.
template <class Base>
class HitachImageSettings : public HexTextSenseController<Base> {
public:
    int setBrightness(int p_nBrightness);
    int setSharpness(int p_nSharpness);
    int setSaturation(int p_nSaturation);
    int setNightColor(int p_nColor);
    // Skipped while the cached camera mode (id 6) is 2 or 3, where the
    // module chooses its gain.
    int setMaxGain(int p_nGain);
    int setWDR(int p_nWDR);
    // Sent only while the cached camera mode is 4 (fixed shutter).
    int setFixShutter(int p_nIndex);
    int setBackLight(int p_nBackLight);
    int setFocusDistance(int p_nDistance);
    int setFocusMode(int p_nMode) override;
    int setPictureMode(int p_nMode);
    int setHoriSharpness(int p_nSharpness);

protected:
    explicit HitachImageSettings(int p_nModuleId);

    int writeBrightness(int p_nBrightness, int p_nPictureMode);
    int writeMaxGain(int p_nGain, int p_nPictureMode);
    // Whether the cached camera mode (2 or 3) leaves the gain to the module.
    int modulesGain(int& p_bModules);
};

// The rows of ids 1-16 for a member built on HitachImageSettings. A member
// that declares a setter of the same name (a brightness that also prints,
// a camera mode that is remembered) gets its own through &Member::.
template <class Member>
ParameterList<Member> hitachImageRows() {
    typedef ParameterRow<Member> P;
    static const P kRows[] = {
        P::setting(1, "setBrightness", &Member::setBrightness, 56),
        P::setting(2, "setSharpness", &Member::setSharpness, 36),
        P::setting(3, "setSaturation", &Member::setSaturation, 49),
        P::setting(4, "setNightColor", &Member::setNightColor, 50),
        P::setting(6, "setCameraMode", &Member::setCameraMode, 0),
        P::setting(7, "setMaxGain", &Member::setMaxGain, 28),
        P::setting(8, "setWDR", &Member::setWDR, 0),
        P::setting(9, "setDNSensitivity", &Member::setDNSensitivity, 2),
        P::setting(10, "setFixShutter", &Member::setFixShutter, 5),
        P::setting(11, "setBackLight", &Member::setBackLight, 0),
        P::setting(12, "setMirror", &Member::setMirror, 0),
        P::setting(13, "setFocusDistance", &Member::setFocusDistance, 5),
        P::setting(14, "setFocusMode", &Member::setFocusMode, 1),
        P::setting(15, "setPictureMode", &Member::setPictureMode, 0),
        P::setting(16, "setHoriSharpness", &Member::setHoriSharpness, 68),
    };
    return ParameterList<Member>(kRows);
}

extern template class HitachImageSettings<ISensorController>;
extern template class HitachImageSettings<IKeelZoomSensorController>;

#endif
