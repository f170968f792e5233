#ifndef SENSORCTL_MODULES_H
#define SENSORCTL_MODULES_H

#include <string>
#include <vector>

#include "TracingUART.h"
#include "framework/ISensorController.h"
#include "sim/SimModule.h"

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
    // The kind of module simulator behind its serial line (simulatorKinds),
    // or empty for a module without one.
    const char* szSerialSimulator;
    // The picture size given to init.
    int nVideoWidth = 1920;
    int nVideoHeight = 1080;
    // The key of the lens's own serial line in the detail and parameter
    // texts ("RS485"), for a module whose lens sits on a second line; empty
    // for the others. The module's simulator answers it as its second line.
    const char* szLensLine = "";
    // Whether the controller moves its focus on request (FocusFar, FocusNear
    // and StopFocusContrl), so a host may offer continuous focus moves.
    bool bFocusMoves = false;
};

// A module simulator sensorctl can put behind a serial line, in the
// controller's process or on a pseudo-terminal (sim-module KIND).
struct SimulatorKind {
    const char* szKind;
    // What sim-module serves: "simulated VISCA camera on /dev/pts/3".
    const char* szDescription;
    // A module it answers, for the hint sim-module prints.
    const char* szExampleModule;
    // How --trace shows the protocol's frames.
    TraceFormat trace;
    // A simulated module running the video standard p_nVideoSystem
    // (sensorctl's --video-system).
    SimModule* (*create)(int p_nVideoSystem);
};

const std::vector<SimulatorKind>& simulatorKinds();
// Null for an unknown kind.
const SimulatorKind* findSimulator(const std::string& p_strKind);
// "visca, visca-ack, ...", for help and errors.
std::string simulatorNames();

const std::vector<ModuleInfo>& knownModules();
// The module for a name or a number. A number that is no known module gives
// a plain entry for the factory (which builds the Null controller for ids it
// does not drive). Throws CommandError for anything else.
ModuleInfo findModule(const std::string& p_strModule);
// One line per known module, for --help.
std::string moduleHelp();
// The modules with a lens line: "it1zoom", for help and errors.
std::string lensModuleNames();
// The first module that p_strKind simulates with a lens line, or null.
const ModuleInfo* lensModuleOf(const std::string& p_strKind);

// The key of a module's serial line in its detail and parameter texts:
// "RS232" for the modules on one, else "RS485".
std::string serialLineKey(const std::string& p_strDetail);
// A "key=value;..." text with p_strKey's value replaced where it stands, or
// the entry put first when the text has none.
std::string withEntry(const std::string& p_strText, const std::string& p_strKey,
                      const std::string& p_strValue);
// p_strKey's value in a "key=value;..." text, empty when it has none.
std::string entryOf(const std::string& p_strText, const std::string& p_strKey);

#endif
