#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHCOMPATSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHCOMPATSENSECONTROLLER_H

#include "HexTextSenseController.h"

/// A Hitachi-compatible camera module (module id 14) on an RS485 line in hex
/// text: ids 1-21 with a lens of its own (iris, focus steps), the camera mode
/// and sensitivity of the Hitachi modules. Its version, read at start, decides
/// how it reports day and night: above 106 as the others do (register FFE7);
/// before that only with an infrared lamp, through register FFE6 (80 night,
/// C0 day).
class SC_EXPORT HitachCompatSenseController : public HexTextSenseController<ISensorController> {
public:
    HitachCompatSenseController();

    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setBrightness(int p_nBrightness);
    int setVertSharpness(int p_nSharpness);
    int setSaturation(int p_nSaturation);
    int setNightColor(int p_nColor);
    /// @endcond
    /// Skipped while the cached camera mode is 2 or 3.
    int setMaxGain(int p_nGain);
    /// Sent only while the cached camera mode is 4.
    int setFixShutter(int p_nShutter);
    /// The focus distance.
    int setFocusDistance(int p_nDistance);
    /// Also the controller's interface: checked against its row.
    int setFocusMode(int p_nMode) override;
    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setHoriSharpness(int p_nSharpness);
    int setAutoIris(int p_nAuto);
    int setIrisVoltage(int p_nVoltage);
    int setWBMode(int p_nMode);
    /// @endcond
    /// The lens steps; the value is not used.
    int adjustLens(int p_nUnused);
    /// One focus step far; the value is not used.
    int focusUp(int p_nUnused);
    /// One focus step near; the value is not used.
    int focusDown(int p_nUnused);
    /// FFFE by video system and picture height; 3 s to change over.
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int getDNbody() override;

    /// The module's version, read at start.
    int getSensorVersion() const { return m_nSensorVersion; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int writeParameter(int p_nId, int p_nValue) override;
    int readParameter(int p_nId, int& p_nValue) override;
    const RefusalText* refusalText(int p_nId) const override;
    int admits(int p_nId, int p_nValue) override;
    /// Reads the module's version.
    void prepareModule() override;

    int m_nSensorVersion;

    /// @endcond
private:
    ParameterTable<HitachCompatSenseController> m_parameters;
};

#endif
