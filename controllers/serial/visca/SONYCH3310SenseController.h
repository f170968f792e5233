#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_SONYCH3310SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_SONYCH3310SENSECONTROLLER_H

#include "../../../framework/ISensorController.h"
#include "ViscaSenseController.h"

/// The Sony CH3310 block camera (module id 18) on a VISCA serial line: the
/// image settings of the family without lens control, the video standard with
/// its restart, day/night through the IR-cut filter or an IR lamp board, and a
/// check at start that the module runs on its internal sync. Its brightness,
/// power-mode and light ids are numbered differently from the other members.
class SC_EXPORT SONYCH3310SenseController : public ViscaSenseController<ISensorController> {
public:
    SONYCH3310SenseController();

    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
};

#endif
