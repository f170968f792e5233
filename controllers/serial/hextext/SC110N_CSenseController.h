#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_SC110N_CSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_SC110N_CSENSECONTROLLER_H

#include "HitachImageSettings.h"

/// The SC110N_C zoom module (module id 23) on an RS485 line in hex text: the
/// Hitachi image settings (ids 1-16), noise reduction (17, 18), and the Keel
/// privacy masks of its base under ids 19-29. Raw frames (the infrared lamp's,
/// the masks') are checked against the module's echo as text commands are.
/// Its gain register drives the gain-dependent tuning.
class SC_EXPORT SC110N_CSenseController : public HitachImageSettings<IKeelZoomSensorController> {
public:
    /// The camera mode's factory value.
    static constexpr int kCameraModeFactory = kCameraModeWithoutLamp;

    SC110N_CSenseController();

    /// The Hitachi brightness, announced on the console.
    int setBrightness(int p_nBrightness);
    /// 0 off, 1-4 strength; 4 applies the cached manual level (id 18).
    int setNRMode(int p_nMode);
    /// The manual noise reduction level.
    int setManualNR(int p_nLevel);
    /// Register 1701 by video system (FF for 0, 00 for 1); a change is saved
    /// (FCAC) and takes the module 20 s.
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    /// Echo-checked, 3 attempts.
    int setParameterValue(const char* p_pBytes, int p_nLength) override;
    /// Register FB38 in 1/32 steps.
    int getCurrentGain(int& p_nGain) override;

    /// The configuration's GPIO line.
    const GPIOTriple& getGPIO() const { return m_gpio; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int writeParameter(int p_nId, int p_nValue) override;
    int readParameter(int p_nId, int& p_nValue) override;
    const RefusalText* refusalText(int p_nId) const override;
    /// The brightness is announced whatever its value.
    void announce(int p_nId, int p_nValue) override;
    int admits(int p_nId, int p_nValue) override;
    /// The "GPIO" detail key.
    int readModuleDetail(const ModuleParameterParser& p_detail) override;

    GPIOTriple m_gpio;

    /// @endcond
private:
    ParameterTable<SC110N_CSenseController> m_parameters;
};

#endif
