#include "Probe.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Host.h"
#include "LineProbe.h"
#include "Modules.h"
#include "platform/ModuleParameterParser.h"
#include "platform/PosixUARTController.h"

namespace {

// Never reached on a silent line (about 22 s); it stops a line that keeps
// answering with noise from taking much longer.
const double kBudgetSeconds = 30.0;

// A module that fits what answered, with its configuration on this line.
struct Candidate {
    const ModuleInfo* pModule;
    std::string strDetail;
    std::string strParams;
};

// The line settings the modules' own configurations use.
std::vector<SerialLineSettings> usualLines() {
    std::vector<SerialLineSettings> usual;
    for (const ModuleInfo& module : knownModules()) {
        ModuleParameterParser parameters;
        std::string text;
        SerialLineSettings line;
        if (module.szSerialSimulator[0] != '\0' && parameters.parse(module.szDefaultParams) &&
            parameters.getValue(serialLineKey(module.szDefaultDetail), text) &&
            line.parse(text) == 4) {
            usual.push_back(line);
        }
    }
    return usual;
}

std::vector<Candidate> candidatesFor(const ProbeResult& p_result, const std::string& p_strDevice) {
    std::vector<Candidate> candidates;
    if (p_result.eOutcome != ProbeResult::IDENTIFIED) {
        return candidates;
    }
    for (const ModuleInfo& module : knownModules()) {
        bool fits = false;
        for (const std::string& kind : p_result.kinds) {
            fits = fits || kind == module.szSerialSimulator;
        }
        if (fits) {
            const std::string key = serialLineKey(module.szDefaultDetail);
            candidates.push_back(
                {&module, withEntry(module.szDefaultDetail, key, p_strDevice),
                 withEntry(module.szDefaultParams, key, lineParameters(p_result.line))});
        }
    }
    return candidates;
}

// "1 line setting", "21 line settings".
std::string counted(int p_nCount, const std::string& p_strWhat) {
    return std::to_string(p_nCount) + " " + p_strWhat + (p_nCount == 1 ? "" : "s");
}

std::string protocolList() {
    std::string names;
    std::vector<std::string> protocols = LineProbe::protocols();
    for (size_t index = 0; index < protocols.size(); ++index) {
        names += (index == 0                      ? ""
                  : index + 1 == protocols.size() ? " or "
                                                  : ", ") +
                 protocols[index];
    }
    return names;
}

// The one line that says why nothing was found; empty when something was.
std::string failure(const ProbeResult& p_result, const std::string& p_strDevice, size_t p_nLines) {
    char seconds[32];
    std::snprintf(seconds, sizeof(seconds), "%.1f s", p_result.dSeconds);
    if (p_result.eOutcome == ProbeResult::UNRELIABLE) {
        return p_result.strProtocol + " answered once on " + p_strDevice + " at " +
               lineText(p_result.line) +
               ", then nothing more: the line is unreliable (wiring, termination, another "
               "device talking?)";
    }
    if (p_result.eOutcome != ProbeResult::SILENT) {
        return std::string();
    }
    std::string text = "nothing answered on " + p_strDevice + ": no reply of " + protocolList() +
                       " at " + counted(p_result.nLinesTried, "line setting");
    if (static_cast<size_t>(p_result.nLinesTried) < p_nLines) {
        text += " of " + std::to_string(p_nLines) + " (the probe's time ran out)";
    }
    text += " in " + std::string(seconds);
    if (!p_result.strNoiseAt.empty()) {
        text +=
            " (from " + p_result.strNoiseAt + " on, bytes came back that are no protocol's reply)";
    }
    return text;
}

std::string jsonString(const std::string& p_strText) {
    std::string quoted = "\"";
    for (char c : p_strText) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += std::string("\\") + c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void printText(FILE* p_pOut, const ProbeResult& p_result, const std::string& p_strDevice,
               const std::vector<Candidate>& p_candidates) {
    if (p_result.eOutcome == ProbeResult::SILENT) {
        return;
    }
    TraceFormat format = {p_result.bText, TraceFormat::untilFF};
    std::fprintf(p_pOut, "%s answered on %s at %s:\n", p_result.strProtocol.c_str(),
                 p_strDevice.c_str(), lineText(p_result.line).c_str());
    for (const ProbeExchange& exchange : p_result.exchanges) {
        std::fprintf(
            p_pOut, "  tx: %s\n  rx: %s\n", format.show(exchange.strSent).c_str(),
            exchange.strReceived.empty() ? "(nothing)" : format.show(exchange.strReceived).c_str());
    }
    std::fprintf(p_pOut, "  %s\n", p_result.strReading.c_str());
    if (p_result.eOutcome != ProbeResult::IDENTIFIED) {
        return;
    }
    std::fprintf(p_pOut,
                 "module ids that fit, with the module configuration (detail, parameters):\n");
    size_t width = 0;
    for (const Candidate& candidate : p_candidates) {
        width = std::max(width, candidate.strDetail.size());
    }
    for (const Candidate& candidate : p_candidates) {
        std::fprintf(p_pOut, "  %-3d %-13s %-*s  %s\n", candidate.pModule->nModuleId,
                     candidate.pModule->szName, static_cast<int>(width),
                     candidate.strDetail.c_str(), candidate.strParams.c_str());
    }
    if (!p_candidates.empty()) {
        std::fprintf(p_pOut, "next: sensorctl --module %s --uart %s --params '%s' status\n",
                     p_candidates.front().pModule->szName, p_strDevice.c_str(),
                     p_candidates.front().strParams.c_str());
    }
    std::fprintf(p_pOut, "found in %.1f s (%s, %d requests)\n", p_result.dSeconds,
                 counted(p_result.nLinesTried, "line setting").c_str(), p_result.nRequests);
}

void printJson(FILE* p_pOut, const ProbeResult& p_result, const std::string& p_strDevice,
               const std::vector<Candidate>& p_candidates, const std::string& p_strFailure) {
    static const char* const kOutcomes[] = {"identified", "unreliable", "nothing"};
    static const char* const kParities[] = {"none", "odd", "even"};
    std::string json = "{\"device\":" + jsonString(p_strDevice) +
                       ",\"result\":" + jsonString(kOutcomes[p_result.eOutcome]);
    if (p_result.eOutcome != ProbeResult::SILENT) {
        const SerialLineSettings& line = p_result.line;
        TraceFormat format = {p_result.bText, TraceFormat::untilFF};
        json += ",\"protocol\":" + jsonString(p_result.strProtocol) +
                ",\"line\":" + jsonString(lineText(line)) +
                ",\"baud\":" + std::to_string(line.nBaudRate) +
                ",\"dataBits\":" + std::to_string(line.nDataBits) + ",\"parity\":" +
                jsonString(kParities[line.nParity >= 0 && line.nParity <= 2 ? line.nParity : 0]) +
                ",\"stopBits\":" + std::to_string(line.nStopBits == 2 ? 2 : 1) +
                ",\"lineParameters\":" + jsonString(lineParameters(line)) + ",\"exchanges\":[";
        for (size_t index = 0; index < p_result.exchanges.size(); ++index) {
            const ProbeExchange& exchange = p_result.exchanges[index];
            json += std::string(index == 0 ? "" : ",") +
                    "{\"tx\":" + jsonString(format.show(exchange.strSent)) +
                    ",\"rx\":" + jsonString(format.show(exchange.strReceived)) + "}";
        }
        json += "],\"reading\":" + jsonString(p_result.strReading) + ",\"candidates\":[";
        for (size_t index = 0; index < p_candidates.size(); ++index) {
            const Candidate& candidate = p_candidates[index];
            json += std::string(index == 0 ? "" : ",") +
                    "{\"id\":" + std::to_string(candidate.pModule->nModuleId) +
                    ",\"name\":" + jsonString(candidate.pModule->szName) +
                    ",\"description\":" + jsonString(candidate.pModule->szDescription) +
                    ",\"detail\":" + jsonString(candidate.strDetail) +
                    ",\"parameters\":" + jsonString(candidate.strParams) + "}";
        }
        json += "]";
    }
    if (!p_strFailure.empty()) {
        json += ",\"message\":" + jsonString(p_strFailure);
    }
    char seconds[32];
    std::snprintf(seconds, sizeof(seconds), "%.2f", p_result.dSeconds);
    json += ",\"lineSettingsTried\":" + std::to_string(p_result.nLinesTried) +
            ",\"requests\":" + std::to_string(p_result.nRequests) + ",\"seconds\":" + seconds + "}";
    std::fprintf(p_pOut, "%s\n", json.c_str());
}

}  // namespace

void commandProbe(const std::string& p_strDevice, bool p_bJson) {
    if (p_strDevice.empty()) {
        throw CommandError("probe needs the serial line: sensorctl probe --uart DEVICE", 2);
    }
    PosixUARTController port;
    int index = port.open(p_strDevice);
    if (index < 0) {
        throw CommandError("cannot open " + p_strDevice + " as a serial port");
    }
    std::vector<SerialLineSettings> lines = LineProbe::lines(usualLines());
    ProbeResult result = LineProbe(port, index).run(lines, kBudgetSeconds);
    port.close(index);

    std::vector<Candidate> candidates = candidatesFor(result, p_strDevice);
    std::string why = failure(result, p_strDevice, lines.size());
    if (p_bJson) {
        printJson(Host::out(), result, p_strDevice, candidates, why);
    } else {
        printText(Host::out(), result, p_strDevice, candidates);
    }
    std::fflush(Host::out());
    if (!why.empty()) {
        throw CommandError(why);
    }
}
