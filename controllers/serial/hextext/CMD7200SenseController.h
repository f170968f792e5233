#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_CMD7200SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_CMD7200SENSECONTROLLER_H

#include <atomic>

#include "HexTextSenseController.h"

/// The CMD7200 camera module (module id 22) on an RS485 line in hex text:
/// ids 1-10. Its day/night mode and shutter mode share register FCC8, so
/// each setter writes the value that keeps the other's choice.
class SC_EXPORT CMD7200SenseController : public HexTextSenseController<ISensorController> {
public:
    CMD7200SenseController();

    /// Brightness (id 1).
    int setBrightness(int p_nBrightness);
    /// Sharpness (id 2).
    int setSharpness(int p_nSharpness);
    /// 0 and 1 hold the picture by register FFE6 (80, C0), 2 leaves it to the
    /// module.
    int setDNMode(int p_nMode);
    /// 0 automatic, 1 fixed (then the cached fixed shutter, id 6, is applied).
    int setShutterMode(int p_nMode);
    /// Sent only while the cached shutter mode (id 5) is 1.
    int setFixShutter(int p_nIndex);
    /// Also the controller's interface: checked against its row.
    int setFocusMode(int p_nMode) override;
    /// The focus near limit.
    int setFocusLimit(int p_nLimit);
    /// The white balance mode.
    int setWBMode(int p_nMode);
    /// FFFE: 01 for video system 1, 03 for 0; written only when it differs,
    /// then 5 s for the module to change over.
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int writeParameter(int p_nId, int p_nValue) override;
    int readParameter(int p_nId, int& p_nValue) override;
    const RefusalText* refusalText(int p_nId) const override;
    int admits(int p_nId, int p_nValue) override;

    int writeFixShutter(int p_nIndex);

    /// Host calls and scheme switches both reach the setters.
    std::atomic<int> m_bDNFlag;
    std::atomic<int> m_nShutterMode;

    /// @endcond
private:
    ParameterTable<CMD7200SenseController> m_parameters;
};

#endif
