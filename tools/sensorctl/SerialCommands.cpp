#include "SerialCommands.h"

#include <csignal>
#include <cstdio>

#include <atomic>
#include <chrono>
#include <thread>

#include "Commands.h"
#include "LineProbe.h"
#include "Modules.h"
#include "Signals.h"
#include "controllers/serial/IKeelZoomSensorController.h"
#include "sim/PtyBridge.h"
#include "sim/SimLineModule.h"

namespace {

std::atomic<bool> g_bStop{false};

void onSignal(int) {
    g_bStop.store(true);
}

std::string argument(const std::vector<std::string>& p_arguments, size_t p_nIndex) {
    return p_nIndex < p_arguments.size() ? p_arguments[p_nIndex] : std::string();
}

int optionalNumber(const std::vector<std::string>& p_arguments, size_t p_nIndex, int p_nDefault,
                   const char* p_szWhat) {
    std::string text = argument(p_arguments, p_nIndex);
    return text.empty() ? p_nDefault : parseNumber(text, p_szWhat);
}

// " --params '...'" naming the line the module is served at, when it is not
// the module's own; empty when it is.
std::string paramsOption(const ModuleInfo& p_module, const SerialLineSettings& p_line) {
    const std::string params = withEntry(
        p_module.szDefaultParams, serialLineKey(p_module.szDefaultDetail), lineParameters(p_line));
    return params == p_module.szDefaultParams ? "" : " --params '" + params + "'";
}

void check(int p_nResult, const std::string& p_strWhat, Host& p_host) {
    if (!p_nResult) {
        throw CommandError(p_strWhat + " failed: " + p_host.errorSinceBoot());
    }
}

}  // namespace

void commandZoom(Host& p_host, const std::vector<std::string>& p_arguments) {
    ISensorController& controller = p_host.controller();
    const std::string action = argument(p_arguments, 0);
    FILE* out = Host::out();
    if (action == "in" || action == "out") {
        int speed = optionalNumber(p_arguments, 1, 4, "zoom speed");
        check(action == "in" ? controller.ZoomIn(speed) : controller.ZoomOut(speed),
              "zoom " + action, p_host);
        std::fprintf(out, "zooming %s at speed %d\n", action.c_str(), speed);
    } else if (action == "stop") {
        check(controller.StopZoomContrl(), "zoom stop", p_host);
        std::fprintf(out, "zoom stopped\n");
    } else if (action == "set") {
        int position = parseNumber(argument(p_arguments, 1), "zoom position");
        check(controller.setZoomValue(position), "zoom set", p_host);
        std::fprintf(out, "zoom position set to %d\n", position);
    } else if (action == "get") {
        int position = 0;
        int ratio = -1;
        check(controller.getZoomValue(position, ratio), "zoom get", p_host);
        if (ratio >= 0) {
            std::fprintf(out, "zoom position %d, %d.%03dx\n", position, ratio / 1000, ratio % 1000);
        } else {
            std::fprintf(out, "zoom position %d (digital zoom)\n", position);
        }
    } else {
        throw CommandError("zoom needs in [SPEED], out [SPEED], stop, get or set POSITION", 2);
    }
}

void commandFocus(Host& p_host, const std::vector<std::string>& p_arguments) {
    ISensorController& controller = p_host.controller();
    const std::string action = argument(p_arguments, 0);
    FILE* out = Host::out();
    if (action == "far" || action == "near") {
        int speed = optionalNumber(p_arguments, 1, 4, "focus speed");
        check(action == "far" ? controller.FocusFar(speed) : controller.FocusNear(speed),
              "focus " + action, p_host);
        std::fprintf(out, "focusing %s at speed %d\n", action.c_str(), speed);
    } else if (action == "stop") {
        check(controller.StopFocusContrl(), "focus stop (only in manual focus)", p_host);
        std::fprintf(out, "focus stopped\n");
    } else if (action == "set") {
        int position = parseNumber(argument(p_arguments, 1), "focus position");
        check(controller.setFocusValue(position), "focus set", p_host);
        std::fprintf(out, "focus position set to %d\n", position);
    } else if (action == "get") {
        int position = 0;
        check(controller.getFocusValue(position), "focus get", p_host);
        std::fprintf(out, "focus position %d\n", position);
    } else if (action == "mode") {
        int mode = parseNumber(argument(p_arguments, 1), "focus mode");
        check(controller.setFocusMode(mode), "focus mode", p_host);
        std::fprintf(out, "focus mode %d\n", mode);
    } else {
        throw CommandError(
            "focus needs far [SPEED], near [SPEED], stop, get, set POSITION or mode N", 2);
    }
}

void commandMask(Host& p_host, const std::vector<std::string>& p_arguments) {
    auto* masks = dynamic_cast<IKeelZoomSensorController*>(&p_host.controller());
    if (masks == nullptr) {
        throw CommandError("module " + p_host.moduleName() + " has no privacy masks", 2);
    }
    struct Action {
        const char* szAction;
        int (IKeelZoomSensorController::*operation)();
        const char* szDone;
    };
    static const Action kActions[] = {
        {"set", &IKeelZoomSensorController::setMask, "mask set"},
        {"show", &IKeelZoomSensorController::showMask, "mask shown"},
        {"hide", &IKeelZoomSensorController::hideMask, "mask hidden"},
        {"clear", &IKeelZoomSensorController::clearMask, "mask cleared"},
        {"clear-all", &IKeelZoomSensorController::clearAllMask, "all masks cleared"},
        {"wider", &IKeelZoomSensorController::increaseWidth, "mask wider"},
        {"narrower", &IKeelZoomSensorController::decreaseWidth, "mask narrower"},
        {"taller", &IKeelZoomSensorController::increaseHight, "mask taller"},
        {"shorter", &IKeelZoomSensorController::decreaseHight, "mask shorter"},
    };
    // Mask commands act on the selected region, which lives only as long as
    // the process: "region N" goes first on the same command line.
    size_t first = 0;
    int region = 0;
    if (argument(p_arguments, 0) == "region") {
        region = parseNumber(argument(p_arguments, 1), "mask region");
        first = 2;
    }
    std::vector<const Action*> actions;
    for (size_t index = first; index < p_arguments.size(); ++index) {
        const Action* found = nullptr;
        for (const Action& entry : kActions) {
            found = p_arguments[index] == entry.szAction ? &entry : found;
        }
        if (found == nullptr) {
            throw CommandError(
                "mask needs [region N] then set, show, hide, clear, clear-all, wider, narrower, "
                "taller or shorter",
                2);
        }
        if (first == 0 && found->operation != &IKeelZoomSensorController::clearAllMask) {
            throw CommandError(
                "select a region first: sensorctl mask region N " + p_arguments[index], 2);
        }
        actions.push_back(found);
    }
    if (first == 2) {
        check(masks->setRegion(region), "mask region", p_host);
        std::fprintf(Host::out(), "mask region %d selected\n", region);
    }
    for (const Action* action : actions) {
        check((masks->*action->operation)(), std::string("mask ") + action->szAction, p_host);
        std::fprintf(Host::out(), "%s\n", action->szDone);
    }
}

void commandSimModule(const std::string& p_strKind, int p_nSeconds, int p_nVideoSystem,
                      const SerialLineSettings& p_line) {
    const SimulatorKind* kind = findSimulator(p_strKind);
    if (kind == nullptr) {
        throw CommandError(
            "unknown module simulator '" + p_strKind + "' (" + simulatorNames() + ")", 2);
    }
    if (p_line.nParity == 2 || p_line.nDataBits != 8) {
        // The kernel's pseudo-terminal drops both: the module would hear no one.
        throw CommandError("a pseudo-terminal carries 8 data bits and no or odd parity only", 2);
    }
    SimModule* module = kind->create(p_nVideoSystem);
    SafePointer<IUARTController> holder(module);
    auto* lineModule = dynamic_cast<SimLineModule*>(module);
    if (lineModule == nullptr || !lineModule->setModuleLine(p_line.nBaudRate, p_line.nDataBits,
                                                            p_line.nStopBits, p_line.nParity)) {
        throw CommandError("the simulated " + std::string(kind->szDescription) +
                               " does not run at " + lineText(p_line),
                           2);
    }
    PtyBridge bridge(*module);
    if (!bridge.start()) {
        throw CommandError("cannot open a pseudo-terminal");
    }
    // A module with a lens line hears it on a second terminal, opened after
    // the first so that the simulator takes it for its second line.
    const ModuleInfo* lensModule = lensModuleOf(p_strKind);
    PtyBridge lensBridge(*module);
    if (lensModule != nullptr && !lensBridge.start()) {
        throw CommandError("cannot open a second pseudo-terminal for the lens line");
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    DeferredSignals::allow();  // a server runs until stopped; it has nothing to save
    const std::string lensAt =
        lensModule == nullptr ? "" : ", its lens line on " + lensBridge.slavePath();
    std::fprintf(Host::out(), "simulated %s on %s (%s)%s; try:\n", kind->szDescription,
                 bridge.slavePath().c_str(), lineText(p_line).c_str(), lensAt.c_str());
    std::fprintf(Host::out(), "  sensorctl --module %s --uart %s%s --trace status\n",
                 kind->szExampleModule, bridge.slavePath().c_str(),
                 paramsOption(findModule(kind->szExampleModule), p_line).c_str());
    if (lensModule != nullptr) {
        std::fprintf(Host::out(),
                     "  sensorctl --module %s --uart %s --lens-uart %s%s --trace focus mode 2\n",
                     lensModule->szName, bridge.slavePath().c_str(), lensBridge.slavePath().c_str(),
                     paramsOption(*lensModule, p_line).c_str());
    }
    std::fprintf(Host::out(), "Ctrl-C ends it.\n");
    std::fflush(Host::out());
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(p_nSeconds);
    while (!g_bStop.load() && (p_nSeconds <= 0 || std::chrono::steady_clock::now() < end)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    lensBridge.stop();
    bridge.stop();
}
