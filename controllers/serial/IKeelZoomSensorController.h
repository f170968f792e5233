#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_IKEELZOOMSENSORCONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_IKEELZOOMSENSORCONTROLLER_H

#include "../../framework/ISensorController.h"

/// The base of the zoom modules that share the Keel privacy-mask protocol.
/// Mask frames are 4 bytes, A1 op rr FF (rr the selected region), and the
/// module echoes each one back, so every frame goes out through OVSendParam,
/// which checks the echo. On its own this class accepts every parameter
/// request and does nothing with it: the module classes built on it supply the
/// real parameter handling.
class SC_EXPORT IKeelZoomSensorController : public ISensorController {
public:
    /// A controller for the module id.
    explicit IKeelZoomSensorController(int p_nModuleId);

    int getMirrorValue(int& p_nMirror) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;

    /// Sends a frame and checks that the module echoes it byte for byte; 1 or
    /// 0 after three attempts.
    int OVSendParam(const char* p_pFrame, int p_nLength);

    /// Selects a region (0 none). Sent only once initialisation has completed;
    /// before that the region is just remembered for the later mask commands.
    int setRegion(int p_nRegion);
    /// The privacy mask region being edited.
    int getRegion(int& p_nRegion);
    /// Sets the mask of the region.
    int setMask();
    /// Shows the masks.
    int showMask();
    /// Hides the masks.
    int hideMask();
    /// Clears the mask of the region.
    int clearMask();
    /// Clears every mask.
    int clearAllMask();
    /// Widens the mask of the region.
    int increaseWidth();
    /// Narrows the mask of the region.
    int decreaseWidth();
    /// Makes the mask of the region taller.
    int increaseHight();
    /// Makes the mask of the region lower.
    int decreaseHight();

protected:
    /// The privacy mask region being edited.
    int m_nRegion;

private:
    int sendMaskFrame(int p_nOperation, int p_nArgument, const char* p_szFailure);
    /// A command on the selected region; refused while none is selected.
    int regionCommand(int p_nOperation, int p_nArgument, const char* p_szFailure);
};

#endif
