#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHIMAGESETTINGS_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHIMAGESETTINGS_H

#include "HexTextSenseController.h"

/// The image settings of the Hitachi camera module, ids 1-16, which the
/// SC110N_C module takes alike. Brightness and maximum gain go to the
/// registers of the picture mode the cache holds (id 15); a picture-mode
/// change writes both again to the registers of the new mode.
template <class Base>
class HitachImageSettings : public HexTextSenseController<Base> {
public:
    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setBrightness(int p_nBrightness);
    int setSharpness(int p_nSharpness);
    int setSaturation(int p_nSaturation);
    int setNightColor(int p_nColor);
    /// @endcond
    /// Skipped while the cached camera mode (id 6) is 2 or 3, where the
    /// module chooses its gain.
    int setMaxGain(int p_nGain);
    /// Wide dynamic range.
    int setWDR(int p_nWDR);
    /// Sent only while the cached camera mode is 4 (fixed shutter).
    int setFixShutter(int p_nIndex);
    /// Backlight compensation.
    int setBackLight(int p_nBackLight);
    /// The focus distance.
    int setFocusDistance(int p_nDistance);
    /// Also the controller's interface: checked against the member's row.
    int setFocusMode(int p_nMode) override;
    /// The picture mode (id 15); brightness and maximum gain follow it.
    int setPictureMode(int p_nMode);
    /// Horizontal sharpness.
    int setHoriSharpness(int p_nSharpness);

protected:
    /// A controller for the module id.
    explicit HitachImageSettings(int p_nModuleId);

    /// The horizontal sharpness is announced under the print flag.
    void announce(int p_nId, int p_nValue) override;

    /// Writes brightness to the registers of the picture mode.
    int writeBrightness(int p_nBrightness, int p_nPictureMode);
    /// Writes the maximum gain to the registers of the picture mode.
    int writeMaxGain(int p_nGain, int p_nPictureMode);
    /// Whether the cached camera mode (2 or 3) leaves the gain to the module.
    int modulesGain(int& p_bModules);
};

/// The rows of ids 1-16 for a member built on HitachImageSettings. A member
/// that declares a setter of the same name (a brightness that also prints,
/// a camera mode that is remembered) gets its own through &Member::. The
/// member's kCameraModeFactory is the camera mode a first start finds.
template <class Member>
ParameterList<Member> hitachImageRows() {
    typedef ParameterRow<Member> P;
    // Mode 0 is manual focus; the others focus automatically, 2-4 at the
    // focus speeds of register F8E0.
    static const ParameterMenuEntry kFocusModes[] = {
        {0, "manual"}, {1, "auto"}, {2, "auto-speed-1"}, {3, "auto-speed-2"}, {4, "auto-speed-3"}};
    // Brightness and maximum gain have a register of each picture mode's
    // own (FF60 01 and 02).
    static const ParameterMenuEntry kPictureModes[] = {{0, "picture-1"}, {1, "picture-2"}};
    static const P kRows[] = {
        P::setting(1, "setBrightness", &Member::setBrightness, 56)
            .range("brightness", ParameterRole::BRIGHTNESS, 0, 100, ParameterUnit::PERCENT),
        // Register FBF9; 16 has the horizontal one.
        P::setting(2, "setSharpness", &Member::setSharpness, 36)
            .range("sharpness", ParameterRole::SHARPNESS, 0, 100, ParameterUnit::PERCENT),
        P::setting(3, "setSaturation", &Member::setSaturation, 49)
            .range("saturation", ParameterRole::SATURATION, 0, 100, ParameterUnit::PERCENT),
        P::setting(4, "setNightColor", &Member::setNightColor, 50)
            .range("night-color", ParameterRole::NONE, 1, 50),
        P::setting(6, "setCameraMode", &Member::setCameraMode, Member::kCameraModeFactory)
            .menu("camera-mode", ParameterRole::DAY_NIGHT_MODE, kHexTextCameraModes),
        // 63 is the largest gain whose register value still fits its two
        // digits.
        P::setting(7, "setMaxGain", &Member::setMaxGain, 28)
            .range("max-gain", ParameterRole::MAX_GAIN, 0, 63, ParameterUnit::GAIN_STEP),
        P::setting(8, "setWDR", &Member::setWDR, 0).onOff("wdr", ParameterRole::WDR_MODE),
        P::setting(9, "setDNSensitivity", &Member::setDNSensitivity, 2)
            .range("daynight-sensitivity", ParameterRole::NONE, 1, 3),
        P::setting(10, "setFixShutter", &Member::setFixShutter, 5)
            .range("fixed-shutter", ParameterRole::SHUTTER, 0, Member::kLastFixShutter,
                   ParameterUnit::STEP),
        P::setting(11, "setBackLight", &Member::setBackLight, 0)
            .onOff("backlight", ParameterRole::BACKLIGHT_COMPENSATION),
        P::setting(12, "setMirror", &Member::setMirror, 0)
            .menu("mirror", ParameterRole::MIRROR_FLIP, kMirrorFlipModes),
        // The lens's near limit, register E1F7 00, F9, F8, F7, F4, F2.
        P::setting(13, "setFocusDistance", &Member::setFocusDistance, 5)
            .range("focus-distance", ParameterRole::NONE, 0, 5, ParameterUnit::STEP),
        P::setting(14, "setFocusMode", &Member::setFocusMode, 1)
            .menu("focus-mode", ParameterRole::FOCUS_MODE, kFocusModes),
        P::setting(15, "setPictureMode", &Member::setPictureMode, 0)
            .menu("picture-mode", ParameterRole::NONE, kPictureModes),
        P::setting(16, "setHoriSharpness", &Member::setHoriSharpness, 68)
            .range("hori-sharpness", ParameterRole::NONE, 0, 100, ParameterUnit::PERCENT),
    };
    return ParameterList<Member>(kRows);
}

extern template class HitachImageSettings<ISensorController>;
extern template class HitachImageSettings<IKeelZoomSensorController>;

#endif
