#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD8100SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD8100SENSECONTROLLER_H

#include "../IKeelZoomSensorController.h"
#include "CmdSenseController.h"

/// The CMD8100 zoom camera module on a serial line: the CMD7300's layout and
/// frames without the TNF mode (id 18), the Keel privacy masks of its base as
/// ids 65-74 (65 selects a region, 66-74 set, show, hide, clear, clear all,
/// wider, narrower, taller, shorter), and a video-standard register of 8 for
/// PAL and 6 for NTSC.
///
/// It has no module id of its own in the module list: this library gives it
/// 26, which no other module uses.
class SC_EXPORT CMD8100SenseController : public CmdSenseController<IKeelZoomSensorController> {
public:
    enum { MODULE_ID = 26 };

    CMD8100SenseController();

    /// Device and line, "isInfrared" and "generation" from the configuration;
    /// opens the port and turns the module's brightness control on (81 01 04
    /// 3E 02 FF: the brightness frames take effect only with it on).
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
};

#endif
