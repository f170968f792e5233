#include "Modules.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "Host.h"
#include "controllers/builtin/OrvaneISPSenseController.h"
#include "controllers/serial/FCBEV7310SenseController.h"

namespace {

ISensorController* createOrvane(int p_nModuleId) {
    return new OrvaneISPSenseController(p_nModuleId);
}

ISensorController* createFCBEV7310(int) {
    return new FCBEV7310SenseController();
}

}  // namespace

const std::vector<ModuleInfo>& knownModules() {
    static const std::vector<ModuleInfo> s_modules = {
        {"hi351x", 60, "the SoC's own sensor: ISP, LDR, IR LEDs on GPIO or PWM (default)",
         "isInfrared=1;GPIOInfraredLight=1,3,0;GPIO=1,2,0", "", "hi351x", nullptr, ""},
        {"orvane", 61, "the SoC's ISP with packed settings and a day/night level input",
         "isInfrared=1;autoIris=1;isNewInfrared=1;GPIO=1,2,0;GPIOInfraredLight=1,3,0;"
         "GPIODNLevel=1,4,1;TNF=1;HDR=1",
         "", "orvane", createOrvane, ""},
        {"fcbev7310", 85, "Sony FCB-EV7310 block camera (VISCA, zoom lens, IR board)",
         "RS485=/dev/ttyAMA1;isInfrared=0;generation=1", "RS485=9600,8,0,0", "", createFCBEV7310,
         "visca"},
    };
    return s_modules;
}

ModuleInfo findModule(const std::string& p_strModule) {
    for (const ModuleInfo& module : knownModules()) {
        if (p_strModule == module.szName || p_strModule == std::to_string(module.nModuleId)) {
            return module;
        }
    }
    char* end = nullptr;
    errno = 0;
    long id = std::strtol(p_strModule.c_str(), &end, 10);
    if (p_strModule.empty() || *end != '\0' || errno != 0 || id < INT_MIN || id > INT_MAX) {
        throw CommandError("unknown module '" + p_strModule + "' (sensorctl --help lists them)", 2);
    }
    return ModuleInfo{"", static_cast<int>(id), "", "", "", "", nullptr, ""};
}

std::string moduleHelp() {
    std::string text;
    for (const ModuleInfo& module : knownModules()) {
        text += "  " + std::string(module.szName) + " (" + std::to_string(module.nModuleId) +
                ")  " + module.szDescription + "\n";
    }
    return text;
}
