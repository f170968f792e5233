#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_SONYEH4300SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_SONYEH4300SENSECONTROLLER_H

#include "../IKeelZoomSensorController.h"
#include "ViscaSenseController.h"

/// The Sony EH4300 zoom camera (module id 11) on a VISCA serial line: the
/// family's image settings numbered as the FCB-EV7310 numbers them, with iris
/// and focus steps, the video standard with its restart, day/night through the
/// IR-cut filter or an IR lamp board, a check at start that the module runs on
/// its internal sync, and the Keel privacy masks of its base. Image settings go
/// through the VISCA link; only the mask frames use the base's echo-checked
/// send.
class SC_EXPORT SONYEH4300SenseController : public ViscaSenseController<IKeelZoomSensorController> {
public:
    SONYEH4300SenseController();

    int IrisUp() override;
    int IrisDown() override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;

    /// One focus step towards far (up) or near (down).
    int FocusUp();
    /// One focus step near.
    int FocusDown();
};

#endif
