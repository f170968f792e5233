#ifndef SENSORCONTROL_SIM_SIMMODULE_H
#define SENSORCONTROL_SIM_SIMMODULE_H

#include <string>

#include "framework/IUARTController.h"

// A simulated camera module on a serial line: it answers on the port seam
// as the module would. A tool that runs one command per process keeps the
// module's state between runs through saveState/loadState, as a powered
// module keeps it between two commands.
class SimModule : public IUARTController {
public:
    // The state worth keeping, as "key=value;..." text; empty when none.
    virtual std::string saveState() { return std::string(); }
    // Takes back what saveState gave; unknown or malformed entries are
    // ignored.
    virtual void loadState(const std::string& p_strState) { (void)p_strState; }
};

#endif
