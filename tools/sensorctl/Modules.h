#ifndef SENSORCTL_MODULES_H
#define SENSORCTL_MODULES_H

#include <string>
#include <vector>

#include "framework/ISensorController.h"

// A module sensorctl can drive: how it is built, and what the default board
// gives it.
struct ModuleInfo {
    const char* szName;
    int nModuleId;
    const char* szDescription;
    const char* szDefaultDetail;
    const char* szDefaultParams;
    // The product of the board's module list whose UI it shows.
    const char* szProduct;
    // Builds the controller the host constructs itself; null when the
    // library's factory builds it for the module id.
    ISensorController* (*create)(int p_nModuleId);
    // The module simulator behind its serial line, or empty for a module
    // without one: "visca", or "visca-ack" for the members that read one
    // answer per exchange and so are not sent completions.
    const char* szSerialSimulator;
};

class SimViscaCamera;
bool isViscaSimulator(const std::string& p_strKind);
// A simulated camera of that kind, running the video standard p_nVideoSystem
// (sensorctl's --video-system); null for an unknown kind.
SimViscaCamera* newViscaSimulator(const std::string& p_strKind, int p_nVideoSystem);

const std::vector<ModuleInfo>& knownModules();
// The module for a name or a number. A number that is no known module gives
// a plain entry for the factory (which builds the Null controller for ids it
// does not drive). Throws CommandError for anything else.
ModuleInfo findModule(const std::string& p_strModule);
// One line per known module, for --help.
std::string moduleHelp();

#endif
