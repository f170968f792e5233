#include "Commands.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <set>
#include <typeinfo>

#include "Describe.h"
#include "ModuleStatus.h"
#include "platform/SensorParameterParser.h"
#include "platform/internal/TextScan.h"

namespace {

const char* const kDayNightModes[] = {"automatic", "day", "night", "by schedule",
                                      "automatic in the module"};

std::string dayNightModeName(int p_nMode) {
    return p_nMode >= 0 && p_nMode <= 4 ? kDayNightModes[p_nMode] : "out of range";
}

std::string stateName(int p_nState) {
    return p_nState == 1 ? "day" : p_nState == 0 ? "night" : "none yet";
}

std::string schemeName(int p_nScheme) {
    return p_nScheme == -1   ? "-1 (factory set)"
           : p_nScheme == -2 ? "none yet"
                             : std::to_string(p_nScheme);
}

std::string className(const ISensorController& p_controller) {
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(p_controller).name(), nullptr, nullptr, &status);
    std::string text = status == 0 && name != nullptr ? name : typeid(p_controller).name();
    std::free(name);
    return text;
}

std::string labelOf(Host& p_host, int p_nId) {
    return parameterLabel(p_host.controller(), p_nId);
}

std::string lastError(Host& p_host) {
    return p_host.errorSinceBoot();
}

const char* flushMeaning(int p_nResult) {
    switch (p_nResult) {
        case 505:
            return "the scheme's window starts after 24:00";
        case 506:
            return "the scheme's window ends after 24:00";
        case 507:
            return "the scheme's window does not start before it ends";
        default:
            return "a parameter file could not be written";
    }
}

void flushOrThrow(Host& p_host) {
    int result = p_host.controller().flush();
    if (result != 0) {
        throw CommandError("flush failed (" + std::to_string(result) +
                           "): " + flushMeaning(result));
    }
}

void requireRegistered(Host& p_host, int p_nId) {
    IdManager* ids = p_host.controller().getIdManager();
    if (!ids->isIdExist(p_nId)) {
        throw CommandError("module " + std::to_string(p_host.moduleId()) + " has no parameter " +
                               std::to_string(p_nId),
                           2);
    }
}

int schemeCount(Host& p_host) {
    int count = 0;
    if (!p_host.controller().getParamSchemeNum(count)) {
        throw CommandError("the scheme count cannot be read from " + p_host.root() +
                           "/hd1/moduleConfig/sensorAbility.xml");
    }
    return count;
}

std::string window(Host& p_host, int p_nScheme) {
    std::string text;
    std::map<int, int> values;
    if (!p_host.controller().readParamByScheme(p_nScheme, text) ||
        !SensorParameterParser::parseSensorParameter(text, values)) {
        return "unreadable";
    }
    char line[64];
    std::snprintf(line, sizeof(line), "%s %02d:%02d-%02d:%02d",
                  values[500] != 0 ? "enabled " : "disabled", values[501], values[502] * 10,
                  values[503], values[504] * 10);
    return line;
}

}  // namespace

int parseNumber(const std::string& p_strText, const char* p_szWhat) {
    int value = 0;
    if (!parseWholeInt(p_strText, value)) {
        throw CommandError(
            std::string("bad ") + p_szWhat + " '" + p_strText + "' (a whole number is expected)",
            2);
    }
    return value;
}

void commandStatus(Host& p_host) {
    ISensorController& controller = p_host.controller();
    int scheme = -2;
    int mode = 0;
    controller.getParamScheme(scheme);
    controller.getParamMode(mode);
    FILE* out = Host::out();
    std::fprintf(out, "module           %d (%s)\n", p_host.moduleId(),
                 className(controller).c_str());
    std::fprintf(out, "root             %s%s\n", p_host.root().c_str(),
                 p_host.firstBoot() ? " (first boot: board laid, files created)" : "");
    std::fprintf(out, "detail           %s\n", p_host.detail().c_str());
    std::fprintf(out, "init             %s (status %d)\n",
                 controller.isInitFinished() ? "initialised" : "not initialised",
                 controller.getSensorStatus());
    std::fprintf(out, "day/night mode   %d (%s)\n", controller.getCurrentDayNightMode(),
                 dayNightModeName(controller.getCurrentDayNightMode()).c_str());
    std::fprintf(out, "day/night state  %s\n", stateName(controller.getDNState()).c_str());
    std::fprintf(out, "scheme           %s\n", schemeName(scheme).c_str());
    std::fprintf(out, "scheme mode      %d (%s)\n", mode, mode == 0 ? "manual" : "automatic");
    std::fprintf(out, "scene light      %d of 100 (simulated)\n", p_host.board().brightness());
    printModuleStatus(p_host);
}

void commandGet(Host& p_host, const std::string& p_strId) {
    int id = parameterId(p_host.controller(), p_strId);
    requireRegistered(p_host, id);
    int value = 0;
    if (!p_host.controller().getParameter(id, value)) {
        throw CommandError(labelOf(p_host, id) + " has no value (it is set-only or not applied)");
    }
    std::fprintf(Host::out(), "%d\n", value);
}

void commandSet(Host& p_host, const std::string& p_strId, const std::string& p_strValue) {
    int id = parameterId(p_host.controller(), p_strId);
    requireRegistered(p_host, id);
    int value = parameterValue(p_host.controller(), id, p_strValue);
    if (!p_host.controller().setParameter(id, value)) {
        std::string refusal = refusalOf(p_host.controller(), id, value);
        throw CommandError(refusal.empty() ? "cannot set " + labelOf(p_host, id) + " = " +
                                                 p_strValue + ": " + lastError(p_host)
                                           : refusal);
    }
    flushOrThrow(p_host);
    std::fprintf(Host::out(), "%s = %d\n", labelOf(p_host, id).c_str(), value);
}

void commandDump(Host& p_host) {
    std::string values;
    if (!p_host.controller().getAllParameters(values)) {
        throw CommandError("the parameters cannot be read: " + lastError(p_host));
    }
    std::fprintf(Host::out(), "%s\n", values.c_str());
}

void commandSetMany(Host& p_host, const std::string& p_strText) {
    std::map<int, int> values;
    if (!SensorParameterParser::parseSensorParameter(p_strText, values)) {
        throw CommandError("bad parameter text '" + p_strText + "' (use (id,value) groups)", 2);
    }
    for (const auto& pair : values) {
        if (pair.first != 10000 && pair.first != 10001) {
            requireRegistered(p_host, pair.first);
        }
    }
    int result = p_host.controller().setParameters(p_strText);
    if (result != 0) {
        throw CommandError("cannot set " + labelOf(p_host, ISensorController::failedId(result)) +
                           "; the parameters before it were applied: " + lastError(p_host));
    }
    flushOrThrow(p_host);
    std::fprintf(Host::out(), "%zu parameters applied and saved\n", values.size());
}

void commandFlush(Host& p_host) {
    flushOrThrow(p_host);
    std::fprintf(Host::out(), "saved\n");
}

void commandReset(Host& p_host) {
    p_host.controller().resetParameters();
    std::fprintf(Host::out(),
                 "every scheme is back to the factory set; scheme 0 applied, "
                 "scheme mode manual\n");
}

void commandScheme(Host& p_host, const std::string& p_strScheme) {
    ISensorController& controller = p_host.controller();
    int count = schemeCount(p_host);
    if (!p_strScheme.empty()) {
        int scheme = parseNumber(p_strScheme, "scheme");
        if (scheme < -1 || scheme >= count) {
            throw CommandError("no scheme " + p_strScheme + " (schemes are 0.." +
                                   std::to_string(count - 1) + ", -1 the factory set)",
                               2);
        }
        if (!controller.setParamScheme(scheme)) {
            throw CommandError("scheme " + p_strScheme +
                               " could not be applied: " + lastError(p_host));
        }
        int mode = 0;
        controller.getParamMode(mode);
        if (mode != 0) {
            std::fprintf(Host::out(),
                         "note: scheme mode is automatic, so the clock chooses again in the "
                         "next second ('sensorctl mode 0' keeps a chosen scheme)\n");
        }
    }
    int current = -2;
    controller.getParamScheme(current);
    std::fprintf(Host::out(), "scheme %s\n", schemeName(current).c_str());
    for (int scheme = 0; scheme < count; ++scheme) {
        std::fprintf(Host::out(), "  %c %d  %s\n", scheme == current ? '*' : ' ', scheme,
                     window(p_host, scheme).c_str());
    }
}

void commandMode(Host& p_host, const std::string& p_strMode) {
    ISensorController& controller = p_host.controller();
    if (!p_strMode.empty()) {
        int mode = parseNumber(p_strMode, "scheme mode");
        if (mode != 0 && mode != 1) {
            throw CommandError("bad scheme mode '" + p_strMode + "' (0 manual, 1 automatic)", 2);
        }
        if (!controller.setParamMode(mode)) {
            throw CommandError("the scheme mode could not be stored: " + lastError(p_host));
        }
    }
    int mode = 0;
    controller.getParamMode(mode);
    std::fprintf(Host::out(), "scheme mode %d (%s)\n", mode, mode == 0 ? "manual" : "automatic");
}

void commandDayNight(Host& p_host, const std::string& p_strMode) {
    ISensorController& controller = p_host.controller();
    if (!p_strMode.empty()) {
        int mode = parseNumber(p_strMode, "day/night mode");
        if (mode < 0 || mode > 4) {
            throw CommandError("bad day/night mode '" + p_strMode +
                                   "' (0 automatic, 1 day, 2 night, 3 by schedule, 4 in the "
                                   "module)",
                               2);
        }
        int id = dayNightModeId(controller);
        if (id != 0) {
            int value = dayNightModeValue(controller, mode);
            if (value < 0) {
                throw CommandError(
                    "module " + p_host.moduleName() + " has no day/night mode " + p_strMode, 2);
            }
            if (!controller.setParameter(id, value)) {
                throw CommandError("the camera refused day/night mode " + p_strMode + ": " +
                                   lastError(p_host));
            }
            flushOrThrow(p_host);
        } else {
            controller.setDayNightMode(mode);
        }
        p_host.pass(2);  // the background thread switches in its next cycle
    }
    std::fprintf(Host::out(), "day/night mode %d (%s), state %s\n",
                 controller.getCurrentDayNightMode(),
                 dayNightModeName(controller.getCurrentDayNightMode()).c_str(),
                 stateName(controller.getDNState()).c_str());
    printModuleDayNight(p_host);
}
