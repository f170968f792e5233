#ifndef SENSORCONTROL_FRAMEWORK_NULLSENSECONTROLLER_H
#define SENSORCONTROL_FRAMEWORK_NULLSENSECONTROLLER_H
/// @file
/// NullSenseController, the controller of a module the library does not drive.

#include "ISensorController.h"

/// The controller for a module this library does not drive: it answers every
/// call harmlessly, and its initController fails so that init reports it.
class SC_EXPORT NullSenseController : public ISensorController {
public:
    /// A controller of sensor type 0.
    NullSenseController();

    int getMirrorValue(int& p_nMirror) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
};

#endif
