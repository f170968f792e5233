#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD8100_OLDSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD8100_OLDSENSECONTROLLER_H

#include "CmdSenseController.h"

/// The first CMD8100 camera modules (module id 24): the CMD7300's layout
/// without the shutdown limit (id 20), with narrower ranges and scalings of
/// their own (brightness v / 10 + 2, sharpness v x 15 / 100, exposure modes
/// 0-2, maximum gain 0-28, sensitivity 1-3, white balance 0 or 4), and no
/// generation key.
class SC_EXPORT CMD8100_OldSenseController : public CmdSenseController<ISensorController> {
public:
    CMD8100_OldSenseController();

    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;

    /// Writes the video-standard register: 08 for PAL (1), 06 for NTSC (0);
    /// other standards send nothing and give 0.
    int setVideoSystem(int p_nVideoSystem);

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int writeVideoSystem(int p_nVideoSystem, int p_nTarget) override;
    /// @endcond
};

#endif
