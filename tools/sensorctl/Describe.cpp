#include "Describe.h"

#include <climits>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "platform/internal/TextScan.h"

namespace {

std::string valuesOf(const ParameterDescriptor& p_descriptor) {
    char text[512];
    p_descriptor.describeValues(text, sizeof(text));
    std::string values = text;
    const char* unit = parameterUnitName(p_descriptor.eUnit);
    if (*unit != '\0') {
        values += std::string(" (") + unit + ")";
    }
    if (!p_descriptor.bChecked && p_descriptor.eKind != ParameterKind::ACTION &&
        p_descriptor.eKind != ParameterKind::READ_ONLY) {
        values += values == "any value" ? ", unchecked" : ", any value taken";
    }
    return values;
}

const char* idTypeName(int p_nType) {
    switch (p_nType) {
        case ID_TYPE_COMMON:
            return "common";
        case ID_TYPE_ESPECIAL:
            return "especial";
        case ID_TYPE_SET_ONLY:
            return "set-only";
        case ID_TYPE_KEEP_DEFAULT:
            return "keep-default";
        default:
            return "none";
    }
}

// The value column: the number and, for a named code, its name.
std::string shownValue(const ParameterDescriptor& p_descriptor, int p_nValue) {
    std::string text = std::to_string(p_nValue);
    if (const char* name = p_descriptor.entryName(p_nValue)) {
        text += std::string(" ") + name;
    } else if (p_descriptor.eKind == ParameterKind::ON_OFF && p_nValue >= 0 && p_nValue <= 1) {
        text += p_nValue == 1 ? " on" : " off";
    }
    return text;
}

// JSON strings: the names are plain, but nothing is trusted to be.
std::string jsonString(const char* p_szText) {
    std::string out = "\"";
    for (const char* c = p_szText; *c != '\0'; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += *c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
            out += escaped;
        } else {
            out += *c;
        }
    }
    return out + "\"";
}

std::string jsonDescriptor(const ParameterDescriptor& p_descriptor, bool p_bHasValue,
                           int p_nValue) {
    const ParameterDescriptor& d = p_descriptor;
    std::string out = "{\"id\":" + std::to_string(d.nId) + ",\"name\":" + jsonString(d.szName) +
                      ",\"idType\":" + jsonString(idTypeName(d.nIdType)) +
                      ",\"kind\":" + jsonString(parameterKindName(d.eKind)) +
                      ",\"role\":" + jsonString(parameterRoleName(d.eRole)) +
                      ",\"unit\":" + jsonString(parameterUnitName(d.eUnit)) +
                      ",\"checked\":" + (d.bChecked ? "true" : "false");
    if (d.eKind == ParameterKind::RANGE && (d.nMin != INT_MIN || d.nMax != INT_MAX)) {
        out += ",\"min\":" + std::to_string(d.nMin) + ",\"max\":" + std::to_string(d.nMax) +
               ",\"step\":" + std::to_string(d.nStep);
    }
    if (d.nEntries > 0) {
        out += ",\"entries\":[";
        for (int index = 0; index < d.nEntries; ++index) {
            out += std::string(index > 0 ? "," : "") +
                   "{\"code\":" + std::to_string(d.pEntries[index].nCode) +
                   ",\"name\":" + jsonString(d.pEntries[index].szName) + "}";
        }
        out += "]";
    }
    out += ",\"factory\":" + std::to_string(d.nFactory);
    out += ",\"value\":" + (p_bHasValue ? std::to_string(p_nValue) : std::string("null"));
    return out + "}";
}

}  // namespace

int parameterId(const ISensorController& p_controller, const std::string& p_strText) {
    int id = 0;
    if (parseWholeInt(p_strText, id)) {
        return id;
    }
    ParameterDescriptor descriptor;
    if (!p_controller.findParameterDescriptor(p_strText.c_str(), descriptor)) {
        throw CommandError(
            "unknown parameter '" + p_strText + "' (give an id, or a name from 'sensorctl list')",
            2);
    }
    return descriptor.nId;
}

std::string parameterLabel(const ISensorController& p_controller, int p_nId) {
    ParameterDescriptor descriptor;
    return p_controller.getParameterDescriptor(p_nId, descriptor)
               ? std::string(descriptor.szName) + " (" + std::to_string(p_nId) + ")"
               : "parameter " + std::to_string(p_nId);
}

int parameterValue(const ISensorController& p_controller, int p_nId, const std::string& p_strText) {
    int value = 0;
    if (parseWholeInt(p_strText, value)) {
        return value;
    }
    ParameterDescriptor descriptor;
    if (p_controller.getParameterDescriptor(p_nId, descriptor) &&
        descriptor.entryCode(p_strText.c_str(), value)) {
        return value;
    }
    // Names only mean something where the parameter has named values.
    bool named = p_controller.getParameterDescriptor(p_nId, descriptor) &&
                 (descriptor.nEntries > 0 || descriptor.eKind == ParameterKind::ON_OFF);
    std::string takes =
        named ? std::string("; ") + descriptor.szName + " takes " + valuesOf(descriptor)
              : std::string(" (a whole number is expected)");
    throw CommandError("bad value '" + p_strText + "'" + takes, 2);
}

std::string refusalOf(const ISensorController& p_controller, int p_nId, int p_nValue) {
    ParameterDescriptor descriptor;
    if (!p_controller.getParameterDescriptor(p_nId, descriptor) || descriptor.takes(p_nValue)) {
        return "";
    }
    return std::string(descriptor.szName) + " takes " + valuesOf(descriptor) + "; " +
           std::to_string(p_nValue) + " refused";
}

SafePointer<ISensorController> unbootedController(const ModuleInfo& p_module) {
    return p_module.create != nullptr
               ? SafePointer<ISensorController>(p_module.create(p_module.nModuleId))
               : SenseControllerFactory::create(p_module.nModuleId);
}

int dayNightModeId(const ISensorController& p_controller) {
    ParameterDescriptor descriptor;
    return p_controller.findParameterByRole(ParameterRole::DAY_NIGHT_MODE, descriptor)
               ? descriptor.nId
               : 0;
}

int dayNightModeValue(const ISensorController& p_controller, int p_nMode) {
    static const char* const kModes[] = {"auto", "day", "night", "schedule", "module"};
    ParameterDescriptor descriptor;
    int value = -1;
    if (p_nMode < 0 || p_nMode > 4 ||
        !p_controller.findParameterByRole(ParameterRole::DAY_NIGHT_MODE, descriptor) ||
        !descriptor.entryCode(kModes[p_nMode], value)) {
        return -1;
    }
    return value;
}

void commandList(Host& p_host, bool p_bJson) {
    ISensorController& controller = p_host.controller();
    FILE* out = Host::out();
    if (p_bJson) {
        std::fprintf(out, "{\"module\":%s,\"moduleId\":%d,\"parameters\":[",
                     jsonString(p_host.moduleName().c_str()).c_str(), p_host.moduleId());
    } else {
        std::fprintf(out, "%5s  %-24s %-14s %-9s %8s  %s\n", "id", "name", "value", "kind",
                     "factory", "takes");
    }
    ParameterDescriptor d;
    bool first = true;
    for (int after = INT_MIN; controller.getNextParameterDescriptor(after, d); after = d.nId) {
        int value = 0;
        bool known = controller.getParameter(d.nId, value) != 0;
        if (p_bJson) {
            std::fprintf(out, "%s\n%s", first ? "" : ",", jsonDescriptor(d, known, value).c_str());
            first = false;
            continue;
        }
        std::string shown =
            known ? shownValue(d, value) : (d.nIdType == ID_TYPE_SET_ONLY ? "(set-only)" : "-");
        std::fprintf(out, "%5d  %-24s %-14s %-9s %8d  %s\n", d.nId, d.szName, shown.c_str(),
                     parameterKindName(d.eKind), d.nFactory, valuesOf(d).c_str());
    }
    if (p_bJson) {
        std::fprintf(out, "\n]}\n");
    }
}

void commandDescribe(Host& p_host, const std::string& p_strId) {
    ISensorController& controller = p_host.controller();
    int id = parameterId(controller, p_strId);
    ParameterDescriptor d;
    if (!controller.getParameterDescriptor(id, d)) {
        throw CommandError("module " + std::to_string(p_host.moduleId()) + " has no parameter " +
                               std::to_string(id),
                           2);
    }
    FILE* out = Host::out();
    int value = 0;
    bool known = controller.getParameter(id, value) != 0;
    std::fprintf(out, "id       %d\n", d.nId);
    std::fprintf(out, "name     %s\n", d.szName);
    std::fprintf(out, "id type  %s\n", idTypeName(d.nIdType));
    std::fprintf(out, "kind     %s\n", parameterKindName(d.eKind));
    std::fprintf(out, "role     %s\n", parameterRoleName(d.eRole));
    std::fprintf(out, "takes    %s\n", valuesOf(d).c_str());
    std::fprintf(out, "factory  %s\n", shownValue(d, d.nFactory).c_str());
    std::fprintf(out, "value    %s\n", known ? shownValue(d, value).c_str() : "-");
}
