#ifndef SENSORCTL_MODULESTATUS_H
#define SENSORCTL_MODULESTATUS_H

#include <cstdio>
#include <vector>

#include "Host.h"

// What `status` and `daynight` show beyond the base's state, for modules
// that have more to say (registers read back from the module, the decisions
// of a day/night thread of their own). One row per module, by its sensorctl
// name; either function may be null.
struct ModuleReport {
    const char* szModule;
    void (*status)(Host& p_host, FILE* p_pOut);
    void (*dayNight)(Host& p_host, FILE* p_pOut);
};

const std::vector<ModuleReport>& moduleReports();
void printModuleStatus(Host& p_host);
void printModuleDayNight(Host& p_host);

#endif
