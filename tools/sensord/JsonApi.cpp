#include "JsonApi.h"

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "Host.h"
#include "ImageService.h"
#include "SimulatedHardware.h"

using nlohmann::json;

namespace {

const char* stateName(int p_nState) {
    return p_nState == 1 ? "day" : p_nState == 0 ? "night" : "none";
}

const char* dayNightModeName(int p_nMode) {
    switch (p_nMode) {
        case 0:
            return "auto";
        case 1:
            return "day";
        case 2:
            return "night";
        case 3:
            return "schedule";
        case 4:
            return "module";
        default:
            return "other";
    }
}

json describe(const ParameterDescriptor& p_descriptor) {
    json entry = {{"id", p_descriptor.nId},
                  {"name", p_descriptor.szName},
                  {"kind", parameterKindName(p_descriptor.eKind)},
                  {"unit", parameterUnitName(p_descriptor.eUnit)},
                  {"role", parameterRoleName(p_descriptor.eRole)},
                  {"checked", p_descriptor.bChecked},
                  {"factory", p_descriptor.nFactory}};
    if (p_descriptor.eKind == ParameterKind::RANGE) {
        entry["min"] = p_descriptor.nMin;
        entry["max"] = p_descriptor.nMax;
        entry["step"] = p_descriptor.nStep;
    }
    if (p_descriptor.nEntries > 0) {
        json entries = json::array();
        for (int i = 0; i < p_descriptor.nEntries; ++i) {
            entries.push_back({{"code", p_descriptor.pEntries[i].nCode},
                               {"name", p_descriptor.pEntries[i].szName}});
        }
        entry["entries"] = entries;
    }
    char values[256];
    p_descriptor.describeValues(values, sizeof(values));
    entry["takes"] = values;
    return entry;
}

HttpResponse jsonResponse(int p_nStatus, const json& p_body) {
    HttpResponse response;
    response.nStatus = p_nStatus;
    response.strContentType = "application/json";
    response.strBody = p_body.dump() + "\n";
    response.headers.emplace_back("Cache-Control", "no-store");
    return response;
}

// "HH:MM", hours 00 to 24; whether a window may use it is the library's say.
bool parseClockTime(const json& p_value, int& p_nHour, int& p_nMinute) {
    if (!p_value.is_string()) {
        return false;
    }
    const std::string text = p_value.get<std::string>();
    if (text.size() != 5 || text[2] != ':') {
        return false;
    }
    for (size_t n : {0, 1, 3, 4}) {
        if (text[n] < '0' || text[n] > '9') {
            return false;
        }
    }
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[3] - '0') * 10 + (text[4] - '0');
    if (hour > 24 || minute > 59) {
        return false;
    }
    p_nHour = hour;
    p_nMinute = minute;
    return true;
}

int statusOf(ImageService::Outcome p_eOutcome) {
    switch (p_eOutcome) {
        case ImageService::Outcome::OK:
            return 200;
        case ImageService::Outcome::UNKNOWN:
            return 404;
        case ImageService::Outcome::REFUSED:
            return 400;
        case ImageService::Outcome::FAILED:
            return 502;
        case ImageService::Outcome::UNAVAILABLE:
            return 503;
    }
    return 500;
}

// A body that must be one JSON object; null with p_response set when not.
bool parseBody(const HttpRequest& p_request, json& p_body, HttpResponse& p_response) {
    p_body = json::parse(p_request.strBody, nullptr, false);
    if (p_body.is_discarded() || !p_body.is_object()) {
        p_response = JsonApi::error(400, "the request body is not a JSON object");
        return false;
    }
    return true;
}

}  // namespace

JsonApi::JsonApi(ImageService& p_image, Host& p_host, bool p_bSimulated)
    : m_image(p_image),
      m_host(p_host),
      m_simulation(p_bSimulated ? std::make_unique<SimulatedHardware>(p_host) : nullptr),
      m_ui(p_host.module().szProduct),
      m_nLight(p_host.board().brightness()) {
    for (const ParameterDescriptor& descriptor : m_image.descriptors()) {
        std::string text = describe(descriptor).dump();
        text.pop_back();  // the value goes in before the closing brace
        m_described.push_back(text);
    }
    json head = {{"module", p_host.moduleName()}, {"moduleId", p_host.moduleId()}};
    m_strParametersHead = head.dump();
    m_strParametersHead.pop_back();
    m_strParametersHead += ",\"parameters\":[";
}

JsonApi::~JsonApi() = default;

HttpResponse JsonApi::error(int p_nStatus, const std::string& p_strMessage,
                            const std::string& p_strParameter) {
    json body = {{"error", p_strMessage}};
    if (!p_strParameter.empty()) {
        body["parameter"] = p_strParameter;
    }
    return jsonResponse(p_nStatus, body);
}

HttpResponse JsonApi::handle(const HttpRequest& p_request, const std::string& p_strUser,
                             UserLevel p_eLevel) {
    const std::string& path = p_request.strPath;
    const std::string& method = p_request.strMethod;
    const bool read = method == "GET" || method == "HEAD";
    if (!read && !mayWrite(p_eLevel)) {
        return error(403, "user " + p_strUser + " may only read (Operator level needed)");
    }
    static const std::string kParameter = "/api/parameters/";
    if (path == "/api/parameters") {
        return read               ? parameters()
               : method == "POST" ? setParameters(p_request, p_strUser, "")
                                  : error(405, "GET or POST " + path);
    }
    if (path.compare(0, kParameter.size(), kParameter) == 0) {
        std::string name = path.substr(kParameter.size());
        return read              ? parameter(name)
               : method == "PUT" ? setParameters(p_request, p_strUser, name)
                                 : error(405, "GET or PUT " + path);
    }
    if (path == "/api/status") {
        return read ? status() : error(405, "GET " + path);
    }
    if (path == "/api/schemes") {
        return read ? schemes() : error(405, "GET " + path);
    }
    if (path == "/api/schemes/active") {
        return method == "POST" ? setScheme(p_request, p_strUser) : error(405, "POST " + path);
    }
    if (path == "/api/schemes/mode") {
        return method == "POST" ? setSchemeMode(p_request, p_strUser) : error(405, "POST " + path);
    }
    static const std::string kScheme = "/api/schemes/";
    if (path.compare(0, kScheme.size(), kScheme) == 0) {
        return method == "PUT" ? setSchemeWindow(p_request, p_strUser, path.substr(kScheme.size()))
                               : error(405, "PUT " + path);
    }
    if (path == "/api/history") {
        return read ? history() : error(405, "GET " + path);
    }
    if (path == "/api/ui") {
        return read ? ui(p_request) : error(405, "GET " + path);
    }
    if (path == "/api/events") {
        return read ? events(p_request) : error(405, "GET " + path);
    }
    if (path == "/api/simulation") {
        if (p_eLevel != UserLevel::ADMINISTRATOR) {
            return error(403, "the simulation is for an Administrator");
        }
        return read               ? simulated()
               : method == "POST" ? simulation(p_request)
                                  : error(405, "GET or POST " + path);
    }
    return error(404, "no such resource: " + path);
}

HttpResponse JsonApi::parameters() {
    // The descriptors never change: written once, then only the values are
    // put in (the whole document took half a millisecond built each time).
    ImageService::Values values = m_image.getAll();
    HttpResponse response = jsonResponse(200, json::object());
    std::string& body = response.strBody;
    body = m_strParametersHead;
    size_t next = 0;
    const std::vector<ParameterDescriptor>& descriptors = m_image.descriptors();
    for (size_t i = 0; i < descriptors.size(); ++i) {
        body += i == 0 ? "" : ",";
        body += m_described[i];
        while (next < values.size() && values[next].first < descriptors[i].nId) {
            ++next;
        }
        if (next < values.size() && values[next].first == descriptors[i].nId) {
            body += ",\"value\":" + std::to_string(values[next].second);
        }
        body += "}";
    }
    body += "]}\n";
    return response;
}

HttpResponse JsonApi::parameter(const std::string& p_strName) {
    const ParameterDescriptor* descriptor = m_image.findByName(p_strName);
    char* end = nullptr;
    long id = std::strtol(p_strName.c_str(), &end, 10);
    if (descriptor == nullptr && !p_strName.empty() && *end == '\0') {
        descriptor = m_image.find(static_cast<int>(id));
    }
    if (descriptor == nullptr) {
        return error(404, "the module has no parameter '" + p_strName + "'", p_strName);
    }
    json entry = describe(*descriptor);
    int value = 0;
    if (m_image.get(descriptor->nId, value)) {
        entry["value"] = value;
    }
    return jsonResponse(200, entry);
}

HttpResponse JsonApi::setParameters(const HttpRequest& p_request, const std::string& p_strUser,
                                    const std::string& p_strSingle) {
    json body;
    HttpResponse bad;
    if (!parseBody(p_request, body, bad)) {
        return bad;
    }
    json values = json::object();
    if (!p_strSingle.empty()) {
        if (!body.contains("value")) {
            return error(400, "give the new value as {\"value\": ...}", p_strSingle);
        }
        values[p_strSingle] = body["value"];
    } else if (body.contains("values") && body["values"].is_object()) {
        values = body["values"];
    } else {
        return error(400, "give the values as {\"values\": {\"NAME\": VALUE, ...}}");
    }
    bool persist = true;
    if (body.contains("persist")) {
        if (!body["persist"].is_boolean()) {
            return error(400, "\"persist\" is true or false");
        }
        persist = body["persist"].get<bool>();
    }
    ImageService::Values changes;
    for (auto it = values.begin(); it != values.end(); ++it) {
        const std::string& name = it.key();
        const ParameterDescriptor* descriptor = m_image.findByName(name);
        char* end = nullptr;
        long id = std::strtol(name.c_str(), &end, 10);
        if (descriptor == nullptr && !name.empty() && *end == '\0') {
            descriptor = m_image.find(static_cast<int>(id));
        }
        if (descriptor == nullptr) {
            return error(404, "the module has no parameter '" + name + "'; nothing was changed",
                         name);
        }
        int value = 0;
        const json& given = it.value();
        if (given.is_number_integer()) {
            value = given.get<int>();
        } else if (given.is_string()) {
            if (!descriptor->entryCode(given.get<std::string>().c_str(), value)) {
                char takes[256];
                descriptor->describeValues(takes, sizeof(takes));
                return error(400,
                             std::string(descriptor->szName) + " takes " + takes + "; '" +
                                 given.get<std::string>() + "' refused; nothing was changed",
                             descriptor->szName);
            }
        } else {
            return error(400,
                         std::string(descriptor->szName) +
                             " takes a whole number or a menu entry's name; nothing was changed",
                         descriptor->szName);
        }
        changes.emplace_back(descriptor->nId, value);
    }
    ImageService::Result result = m_image.set(changes, persist, p_strUser);
    if (!result.ok()) {
        const ParameterDescriptor* descriptor = m_image.find(result.nId);
        std::string text = result.strText;
        if (result.eOutcome == ImageService::Outcome::REFUSED) {
            text += "; nothing was changed";
        }
        return error(statusOf(result.eOutcome), text,
                     descriptor != nullptr ? descriptor->szName : "");
    }
    json applied = json::object();
    for (const auto& change : changes) {
        applied[m_image.find(change.first)->szName] = change.second;
    }
    return jsonResponse(200, {{"values", applied}, {"saved", persist}});
}

HttpResponse JsonApi::status() {
    ImageService::Status status = m_image.status();
    json body = {{"module", status.strModule},
                 {"moduleId", status.nModuleId},
                 {"dayNightMode", status.nDayNightMode},
                 {"dayNightModeName", dayNightModeName(status.nDayNightMode)},
                 {"dayNightState", stateName(status.nDayNightState)},
                 {"scheme", status.nScheme},
                 {"schemeMode", status.nSchemeMode == 0 ? "manual" : "automatic"},
                 {"moduleAnswering", status.bModuleAnswering}};
    if (status.bHasSceneLevel) {
        body["sceneLevel"] = status.nSceneLevel;
    }
    return jsonResponse(200, body);
}

HttpResponse JsonApi::schemes() {
    json list = json::array();
    char window[16];
    for (const ImageService::Scheme& scheme : m_image.schemes()) {
        json entry = {
            {"index", scheme.nIndex}, {"enabled", scheme.bEnabled}, {"active", scheme.bActive}};
        std::snprintf(window, sizeof(window), "%02d:%02d", scheme.nStartHour % 100,
                      scheme.nStartMinute % 100);
        entry["start"] = window;
        std::snprintf(window, sizeof(window), "%02d:%02d", scheme.nEndHour % 100,
                      scheme.nEndMinute % 100);
        entry["end"] = window;
        list.push_back(entry);
    }
    ImageService::Status status = m_image.status();
    return jsonResponse(200, {{"active", status.nScheme},
                              {"mode", status.nSchemeMode == 0 ? "manual" : "automatic"},
                              {"schemes", list}});
}

HttpResponse JsonApi::setScheme(const HttpRequest& p_request, const std::string& p_strUser) {
    json body;
    HttpResponse bad;
    if (!parseBody(p_request, body, bad)) {
        return bad;
    }
    if (!body.contains("scheme") || !body["scheme"].is_number_integer()) {
        return error(400, "give the scheme as {\"scheme\": N}");
    }
    ImageService::Result result = m_image.applyScheme(body["scheme"].get<int>(), p_strUser);
    if (!result.ok()) {
        return error(statusOf(result.eOutcome), result.strText);
    }
    return schemes();
}

HttpResponse JsonApi::setSchemeMode(const HttpRequest& p_request, const std::string& p_strUser) {
    json body;
    HttpResponse bad;
    if (!parseBody(p_request, body, bad)) {
        return bad;
    }
    std::string mode =
        body.contains("mode") && body["mode"].is_string() ? body["mode"].get<std::string>() : "";
    if (mode != "manual" && mode != "automatic") {
        return error(400, "give the mode as {\"mode\": \"manual\"} or \"automatic\"");
    }
    ImageService::Result result = m_image.setSchemeMode(mode == "manual" ? 0 : 1, p_strUser);
    if (!result.ok()) {
        return error(statusOf(result.eOutcome), result.strText);
    }
    return schemes();
}

HttpResponse JsonApi::setSchemeWindow(const HttpRequest& p_request, const std::string& p_strUser,
                                      const std::string& p_strIndex) {
    char* end = nullptr;
    const long index = std::strtol(p_strIndex.c_str(), &end, 10);
    if (p_strIndex.empty() || *end != '\0' || index < 0 || index > 1000) {
        return error(404, "no scheme " + p_strIndex);
    }
    json body;
    HttpResponse bad;
    if (!parseBody(p_request, body, bad)) {
        return bad;
    }
    ImageService::Scheme window;
    bool found = false;
    for (const ImageService::Scheme& scheme : m_image.schemes()) {
        if (scheme.nIndex == index) {
            window = scheme;
            found = true;
        }
    }
    if (!found) {
        return error(404, "no scheme " + p_strIndex);
    }
    // What the body leaves out stays as it is.
    if (body.contains("enabled")) {
        if (!body["enabled"].is_boolean()) {
            return error(400, "\"enabled\" is true or false");
        }
        window.bEnabled = body["enabled"].get<bool>();
    }
    if (body.contains("start") &&
        !parseClockTime(body["start"], window.nStartHour, window.nStartMinute)) {
        return error(400, "give \"start\" as a time \"HH:MM\"");
    }
    if (body.contains("end") && !parseClockTime(body["end"], window.nEndHour, window.nEndMinute)) {
        return error(400, "give \"end\" as a time \"HH:MM\"");
    }
    ImageService::Result result = m_image.setSchemeWindow(window, p_strUser);
    if (!result.ok()) {
        return error(statusOf(result.eOutcome), result.strText);
    }
    return schemes();
}

HttpResponse JsonApi::events(const HttpRequest& p_request) {
    HttpResponse response;
    response.strContentType = "text/event-stream";
    response.headers.emplace_back("Cache-Control", "no-store");
    std::uint64_t after = m_image.events().lastSequence();
    const std::string& last = p_request.header("last-event-id");
    if (!last.empty()) {
        after = std::strtoull(last.c_str(), nullptr, 10);
    }
    EventStream& stream = m_image.events();
    // What is written but not yet taken by the server, and when the client
    // last heard anything.
    struct State {
        std::uint64_t nAfter;
        std::string strPending = "retry: 2000\n\n";
        std::chrono::steady_clock::time_point heard = std::chrono::steady_clock::now();
    };
    auto state = std::make_shared<State>(State{after});
    response.stream = [state, &stream](char* p_pBuffer, size_t p_nSize) -> long {
        if (state->strPending.empty()) {
            for (const EventStream::Event& event :
                 stream.after(state->nAfter, std::chrono::milliseconds(1000))) {
                state->strPending += "id: " + std::to_string(event.nSequence) +
                                     "\nevent: " + event.strType + "\ndata: " + event.strData +
                                     "\n\n";
                state->nAfter = event.nSequence;
            }
            if (state->strPending.empty()) {
                if (stream.closed()) {
                    return -1;
                }
                // A comment now and then keeps the connection from looking idle.
                if (std::chrono::steady_clock::now() - state->heard < std::chrono::seconds(10)) {
                    return 0;
                }
                state->strPending = ":\n\n";
            }
        }
        size_t count = std::min(p_nSize, state->strPending.size());
        state->strPending.copy(p_pBuffer, count);
        state->strPending.erase(0, count);
        state->heard = std::chrono::steady_clock::now();
        return static_cast<long>(count);
    };
    return response;
}

HttpResponse JsonApi::history() {
    std::vector<ImageService::Sample> samples;
    std::vector<ImageService::Switch> switches;
    m_image.history(samples, switches);
    json sampleList = json::array();
    for (const ImageService::Sample& sample : samples) {
        json entry = {{"t", sample.dSeconds},
                      {"wall", sample.strWall},
                      {"state", stateName(sample.nState)},
                      {"scheme", sample.nScheme}};
        if (sample.bHasLevel) {
            entry["level"] = sample.nLevel;
        }
        sampleList.push_back(entry);
    }
    json switchList = json::array();
    for (const ImageService::Switch& change : switches) {
        json entry = {{"t", change.dSeconds}, {"wall", change.strWall}, {"type", change.strType}};
        if (change.strType == "daynight") {
            entry["state"] = stateName(change.nValue);
        } else {
            entry["scheme"] = change.nValue;
        }
        switchList.push_back(entry);
    }
    return jsonResponse(
        200, {{"now", m_image.clockSeconds()}, {"samples", sampleList}, {"switches", switchList}});
}

HttpResponse JsonApi::ui(const HttpRequest& p_request) {
    int language = 1;
    auto given = p_request.query.find("lang");
    if (given != p_request.query.end()) {
        char* end = nullptr;
        long value = std::strtol(given->second.c_str(), &end, 10);
        if (given->second.empty() || *end != '\0' || value < 0 || value > 1000) {
            return error(400, "lang is a language id (see \"languages\" in GET /api/ui)");
        }
        language = static_cast<int>(value);
    }
    json description;
    std::string why;
    if (!m_ui.describe(language, description, why)) {
        return error(404, why);
    }
    return jsonResponse(200, description);
}

void JsonApi::tidySimulation() {
    if (m_simulation) {
        std::lock_guard<std::mutex> lock(m_simulationMutex);
        m_simulation->figures();
    }
}

HttpResponse JsonApi::simulated() {
    if (!m_simulation) {
        return error(404, "the board is real: there is no simulation");
    }
    std::lock_guard<std::mutex> lock(m_simulationMutex);
    json held = json::object();
    for (const auto& value : m_simulation->held()) {
        held[value.first] = value.second;
    }
    json body = {{"light", m_nLight}, {"held", held}};
    if (m_host.virtualClock() != nullptr) {
        body["virtualSeconds"] = m_host.virtualClock()->monotonicSeconds();
    }
    return jsonResponse(200, body);
}

HttpResponse JsonApi::simulation(const HttpRequest& p_request) {
    if (!m_simulation) {
        return error(404, "the board is real: there is no simulation to move");
    }
    json body;
    HttpResponse bad;
    if (!parseBody(p_request, body, bad)) {
        return bad;
    }
    std::lock_guard<std::mutex> lock(m_simulationMutex);
    if (body.contains("light")) {
        if (!body["light"].is_number_integer() || body["light"].get<int>() < 0 ||
            body["light"].get<int>() > 100) {
            return error(400, "\"light\" is the scene's brightness, 0..100");
        }
        m_nLight = body["light"].get<int>();
        m_simulation->setScene(m_nLight);
    }
    if (body.contains("faults")) {
        if (!body["faults"].is_number() || body["faults"].get<double>() < 0 ||
            body["faults"].get<double>() > 1) {
            return error(400, "\"faults\" is the rate of injected faults, 0..1");
        }
        m_simulation->setFaultRate(body["faults"].get<double>(), body.value("draw", 1u));
    }
    if (body.contains("answering")) {
        if (!body["answering"].is_boolean()) {
            return error(400, "\"answering\" is true or false");
        }
        m_simulation->setAnswering(body["answering"].get<bool>());
    }
    if (body.contains("advance")) {
        if (!body["advance"].is_number() || body["advance"].get<double>() < 0 ||
            body["advance"].get<double>() > 86400 * 7) {
            return error(400, "\"advance\" is seconds of virtual time, 0..604800");
        }
        if (m_host.virtualClock() == nullptr) {
            return error(400, "the service runs on the real clock (start it with --virtual-time)");
        }
        // A minute at a time, so the history has its samples and every
        // switch on the way is seen.
        for (double left = body["advance"].get<double>(); left > 0; left -= 60) {
            m_host.pass(std::min(left, 60.0));
            m_image.poll();
        }
    }
    m_image.poll();
    return status();
}
