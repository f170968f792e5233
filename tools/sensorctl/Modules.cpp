#include "Modules.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <algorithm>

#include "Host.h"
#include "RegisterModules.h"
#include "controllers/builtin/OrvaneISPSenseController.h"
#include "controllers/serial/NoSensorUIController.h"
#include "controllers/serial/cmd/CMD7300SenseController.h"
#include "controllers/serial/cmd/CMD8100SenseController.h"
#include "controllers/serial/cmd/CMD8100_OldSenseController.h"
#include "controllers/serial/cmd/CMD8300SenseController.h"
#include "controllers/serial/hextext/CMD7200SenseController.h"
#include "controllers/serial/hextext/HitachCompatSenseController.h"
#include "controllers/serial/hextext/HitachSenseController.h"
#include "controllers/serial/hextext/SC110N_CSenseController.h"
#include "controllers/serial/register/EffioSenseController.h"
#include "controllers/serial/register/IT1SenseController.h"
#include "controllers/serial/register/IT1ZoomModuleSenseController.h"
#include "controllers/serial/register/ITNSenseController.h"
#include "controllers/serial/register/SeawolfSenseController.h"
#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "controllers/serial/visca/SONYCH3310SenseController.h"
#include "controllers/serial/visca/SONYCV7500SenseController.h"
#include "controllers/serial/visca/SONYEH4300SenseController.h"
#include "platform/ModuleParameterParser.h"
#include "sim/cmd/SimCmdCamera.h"
#include "sim/hextext/SimHexTextModule.h"
#include "sim/visca/SimViscaCamera.h"

namespace {

ISensorController* createOrvane(int p_nModuleId) {
    return new OrvaneISPSenseController(p_nModuleId);
}

template <class Controller>
ISensorController* create(int) {
    return new Controller();
}

ISensorController* createNoSensor(int p_nModuleId) {
    return new NoSensorUIController(p_nModuleId);
}

// The VISCA camera answers with completions after acknowledgements unless
// its members read one answer per exchange ("visca-ack").
template <bool Completions>
SimModule* createVisca(int p_nVideoSystem) {
    SimViscaCamera* camera = new SimViscaCamera();
    camera->setSendCompletions(Completions);
    // The simulated camera already runs the standard the host asks for, and
    // restarts in two seconds rather than twenty.
    camera->setRegister(0x72, p_nVideoSystem == 1 ? 8 : 6);
    camera->setRestartSeconds(2);
    return camera;
}

// A CMD module already running the host's standard: Pal or Ntsc in its
// video-standard register, whose values differ between the models.
template <int Pal, int Ntsc>
SimModule* createCmd(int p_nVideoSystem) {
    SimCmdCamera* camera = new SimCmdCamera();
    camera->setRegister(0x72, p_nVideoSystem == 1 ? Pal : Ntsc);
    camera->setRestartSeconds(2);
    return camera;
}

const TraceFormat kHexUntilFF = {false, TraceFormat::untilFF};

// Each hex-text member starts with the video registers its controller
// expects for the standard asked, so a fresh module needs no change-over.
template <SimHexTextModule::Member Member>
SimModule* createHexText(int p_nVideoSystem) {
    return new SimHexTextModule(Member, p_nVideoSystem);
}

// Echoes and read answers are as long as the text they answer.
const TraceFormat kHexText = {true, TraceFormat::asLongAsSent};

const char* const kHexTextDetail = "RS485=/dev/ttyAMA1;isInfrared=0";

const char* const kViscaDetail = "RS485=/dev/ttyAMA1;isInfrared=0";
const char* const kViscaLine = "RS485=9600,8,0,0";

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
         "RS485=/dev/ttyAMA1;isInfrared=0;generation=1", kViscaLine, "",
         create<FCBEV7310SenseController>, "visca", 1920, 1080, "", true},
        {"ch3310", 18, "Sony CH3310 block camera (VISCA, internal sync)", kViscaDetail, kViscaLine,
         "", create<SONYCH3310SenseController>, "visca-ack"},
        {"cv7500", 19, "Sony CV7500 block camera (VISCA, stabilizer, point-light focus)",
         kViscaDetail, kViscaLine, "", create<SONYCV7500SenseController>, "visca-ack"},
        {"eh4300", 11, "Sony EH4300 zoom camera (VISCA, Keel privacy masks)", kViscaDetail,
         kViscaLine, "", create<SONYEH4300SenseController>, "visca-ack"},
        {"nosensor", 90, "a camera whose image this library leaves alone; follows its IR-cut state",
         "RS485=/dev/ttyAMA1", kViscaLine, "", createNoSensor, "visca-ack"},
        {"cmd7300", 21, "CMD7300 camera module (VISCA-style frames, AGC gain for ISP tuning)",
         "RS485=/dev/ttyAMA1;isInfrared=0;generation=1", kViscaLine, "",
         create<CMD7300SenseController>, "cmd7300"},
        {"cmd8100old", 24, "first CMD8100 camera modules (VISCA-style frames, narrower ranges)",
         kViscaDetail, kViscaLine, "", create<CMD8100_OldSenseController>, "cmd"},
        {"cmd8100", CMD8100SenseController::MODULE_ID,
         "CMD8100 zoom camera module (Keel privacy masks; 26 is this library's id for it)",
         "RS485=/dev/ttyAMA1;isInfrared=0;generation=1", kViscaLine, "",
         create<CMD8100SenseController>, "cmd"},
        {"cmd8300", 25, "CMD8300 camera module (own layout, day/night sensitivity pair)",
         "RS485=/dev/ttyAMA1;isInfrared=0;generation=3", kViscaLine, "",
         create<CMD8300SenseController>, "cmd"},
        {"cmd7200", 22, "CMD7200 camera module (hex-text registers)", kHexTextDetail, kViscaLine,
         "", create<CMD7200SenseController>, "hextext", 1280, 720},
        {"hitachcompat", 14, "Hitachi-compatible module (hex text, iris and focus steps)",
         kHexTextDetail, kViscaLine, "", create<HitachCompatSenseController>, "hextext-compat",
         1280, 720},
        {"hitach", 7, "Hitachi camera module (hex text, camera mode kept every minute)",
         "RS485=/dev/ttyAMA1;isInfrared=0;isThridGeneration=1", kViscaLine, "",
         create<HitachSenseController>, "hextext-hitach", 1280, 720},
        {"sc110n", 23, "SC110N_C zoom module (hex text, Keel privacy masks)",
         "RS485=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0", kViscaLine, "",
         create<SC110N_CSenseController>, "hextext-sc110n", 1280, 720},
        {"effio", 10, "Sony Effio DSP board (registers, day/night by its AE level)",
         "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0;GPIOInfraredLight=1,3,1", "RS232=9600,8,0,0",
         "", create<EffioSenseController>, "effio"},
        {"it1", 2, "IT1 camera module (registers, its own day/night thread on the level line)",
         "RS232=/dev/ttyAMA1;isInfrared=1;isNewInfrared=1;GPIO=1,2,0;GPIOInfraredLight=1,3,1;"
         "GPIODNLevel=1,4,1",
         "RS232=9600,8,0,0", "", create<IT1SenseController>, "it1"},
        {"it1zoom", 9, "IT1 zoom module (registers, day/night as the module judges, lens line)",
         "RS232=/dev/ttyAMA1;RS485=/dev/ttyAMA2;isInfrared=0;GPIO=1,2,0",
         "RS232=9600,8,0,0;RS485=9600,8,0,0", "", create<IT1ZoomModuleSenseController>, "it1", 1920,
         1080, "RS485"},
        {"itn", 15, "ITN camera module (24-bit registers, its own day/night thread)",
         "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0", "RS232=9600,8,0,0", "",
         create<ITNSenseController>, "itn"},
        {"seawolf", 12, "Seawolf camera module (group/item settings, lens directions)",
         "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0", "RS232=9600,8,0,0", "",
         create<SeawolfSenseController>, "seawolf"},
    };
    return s_modules;
}

const std::vector<SimulatorKind>& simulatorKinds() {
    static const std::vector<SimulatorKind> s_kinds = {
        {"visca", "VISCA camera", "fcbev7310", kHexUntilFF, createVisca<true>},
        {"visca-ack", "VISCA camera", "ch3310", kHexUntilFF, createVisca<false>},
        {"cmd", "CMD camera module", "cmd8300", kHexUntilFF, createCmd<8, 6>},
        {"cmd7300", "CMD7300 camera module", "cmd7300", kHexUntilFF, createCmd<0x11, 0x0E>},
        {"hextext", "hex-text camera module", "cmd7200", kHexText,
         createHexText<SimHexTextModule::CMD7200>},
        {"hextext-compat", "hex-text camera module (Hitachi-compatible)", "hitachcompat", kHexText,
         createHexText<SimHexTextModule::HITACH_COMPAT>},
        {"hextext-hitach", "hex-text camera module (Hitachi)", "hitach", kHexText,
         createHexText<SimHexTextModule::HITACH>},
        {"hextext-sc110n", "hex-text camera module (SC110N_C)", "sc110n", kHexText,
         createHexText<SimHexTextModule::SC110N>},
        {"effio",
         "Effio DSP board",
         "effio",
         {false, RegisterModules::effioReplyLength},
         RegisterModules::createEffio},
        {"it1",
         "IT1 camera module",
         "it1",
         {false, RegisterModules::countedReplyLength},
         RegisterModules::createIT1},
        {"itn",
         "ITN camera module",
         "itn",
         {false, RegisterModules::countedReplyLength},
         RegisterModules::createITN},
        {"seawolf",
         "Seawolf camera module",
         "seawolf",
         {false, RegisterModules::seawolfReplyLength},
         RegisterModules::createSeawolf},
    };
    return s_kinds;
}

const SimulatorKind* findSimulator(const std::string& p_strKind) {
    for (const SimulatorKind& kind : simulatorKinds()) {
        if (p_strKind == kind.szKind) {
            return &kind;
        }
    }
    return nullptr;
}

std::string simulatorNames() {
    std::string names;
    for (const SimulatorKind& kind : simulatorKinds()) {
        names += (names.empty() ? "" : ", ") + std::string(kind.szKind);
    }
    return names;
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

std::string lensModuleNames() {
    std::string names;
    for (const ModuleInfo& module : knownModules()) {
        if (module.szLensLine[0] != '\0') {
            names += (names.empty() ? "" : ", ") + std::string(module.szName);
        }
    }
    return names;
}

const ModuleInfo* lensModuleOf(const std::string& p_strKind) {
    for (const ModuleInfo& module : knownModules()) {
        if (module.szLensLine[0] != '\0' && p_strKind == module.szSerialSimulator) {
            return &module;
        }
    }
    return nullptr;
}

std::string serialLineKey(const std::string& p_strDetail) {
    ModuleParameterParser detail;
    std::string unused;
    return detail.parse(p_strDetail) && detail.getValue("RS232", unused) ? "RS232" : "RS485";
}

std::string entryOf(const std::string& p_strText, const std::string& p_strKey) {
    ModuleParameterParser text;
    std::string value;
    return text.parse(p_strText) && text.getValue(p_strKey, value) ? value : std::string();
}

std::string withEntry(const std::string& p_strText, const std::string& p_strKey,
                      const std::string& p_strValue) {
    std::string text;
    bool found = false;
    for (size_t start = 0; start < p_strText.size();) {
        size_t end = std::min(p_strText.find(';', start), p_strText.size());
        std::string entry = p_strText.substr(start, end - start);
        if (entry.compare(0, p_strKey.size() + 1, p_strKey + "=") == 0) {
            entry = p_strKey + "=" + p_strValue;
            found = true;
        }
        text += (text.empty() ? "" : ";") + entry;
        start = end + 1;
    }
    return found ? text : p_strKey + "=" + p_strValue + (text.empty() ? "" : ";" + text);
}
