#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD7300SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD7300SENSECONTROLLER_H

#include "CmdSenseController.h"

/// The CMD7300 camera module (module id 21) on a serial line, in VISCA-style
/// frames: image settings 0-20 (the family's layout at its fullest), iris and
/// focus steps, the IR lamps, day/night through the module's IR-cut filter or
/// an IR lamp board, the gain its AGC runs at for the ISP tuning table, and
/// the video standard, whose register holds 1 for PAL and 14 for NTSC.
class SC_EXPORT CMD7300SenseController : public CmdSenseController<ISensorController> {
public:
    CMD7300SenseController();

    /// Device and line, "isInfrared" and "generation" from the configuration;
    /// opens the port.
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    /// The AGC gain (81 09 04 4C FF, 7-byte reply): bytes 4 and 5 as high and
    /// low nibble. A failed inquiry pauses 3 s and answers gain 0.
    int getCurrentGain(int& p_nGain) override;

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int videoTarget(int p_nVideoSystem) override;
    int writeVideoSystem(int p_nVideoSystem, int p_nTarget) override;
    /// @endcond
};

#endif
