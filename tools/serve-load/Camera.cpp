#include "Camera.h"

#include <climits>
#include <cmath>
#include <nlohmann/json.hpp>
#include <set>

#include "Onvif.h"

using nlohmann::json;

namespace {

// Roles of plain picture settings: nothing else in the camera changes them
// (the day/night logic, the scheme windows, a lens or an exposure program
// would), so the last acknowledged write is what must be read back.
const std::set<std::string> kPlainRoles = {"brightness", "contrast",   "saturation", "sharpness",
                                           "hue",        "nr-2d",      "nr-3d",      "defog",
                                           "wdr-level",  "mirror-flip"};

// Values kept per setting to tell where a wrong one came from.
const size_t kHistory = 6;

int intOf(const json& p_value, int p_nDefault) {
    return p_value.is_number_integer() ? p_value.get<int>() : p_nDefault;
}

}  // namespace

void Gate::lock_shared() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_bAlone && m_nWaiting == 0; });
    ++m_nShared;
}

void Gate::unlock_shared() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_nShared == 0) {
        m_changed.notify_all();
    }
}

void Gate::lock() {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_nWaiting;
    m_changed.wait(lock, [this] { return !m_bAlone && m_nShared == 0; });
    --m_nWaiting;
    m_bAlone = true;
}

void Gate::unlock() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bAlone = false;
    m_changed.notify_all();
}

int Setting::pick(std::mt19937& p_random, int p_nNot) const {
    std::vector<int> choices;
    if (strKind == "range") {
        int step = nStep > 0 ? nStep : 1;
        long count = (static_cast<long>(nMax) - nMin) / step + 1;
        for (int attempt = 0; attempt < 4; ++attempt) {
            long index = std::uniform_int_distribution<long>(0, count - 1)(p_random);
            int value = static_cast<int>(nMin + index * step);
            if (value != p_nNot || count == 1) {
                return value;
            }
        }
        return nMin != p_nNot ? nMin : static_cast<int>(nMin + (count > 1 ? step : 0));
    }
    if (strKind == "on-off") {
        return p_nNot == 0 ? 1 : 0;
    }
    for (const auto& entry : entries) {
        if (entry.first != p_nNot) {
            choices.push_back(entry.first);
        }
    }
    if (choices.empty()) {
        return p_nNot;
    }
    return choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(p_random)];
}

bool Setting::outOfRange(int& p_nValue) const {
    if (strKind != "range" || nMax == INT_MAX) {
        return false;
    }
    p_nValue = nMax + (nStep > 0 ? nStep : 1);
    for (const auto& entry : entries) {
        if (entry.first == p_nValue) {
            return false;
        }
    }
    return true;
}

std::string Setting::entryName(int p_nCode) const {
    for (const auto& entry : entries) {
        if (entry.first == p_nCode) {
            return entry.second;
        }
    }
    return "";
}

Camera::Camera(std::string p_strUrl, Account p_admin, Account p_operator, Account p_viewer)
    : m_strUrl(std::move(p_strUrl)),
      m_admin(std::move(p_admin)),
      m_operator(std::move(p_operator)),
      m_viewer(std::move(p_viewer)) {}

bool Camera::discover(std::string& p_strError) {
    HttpClient client(m_strUrl);
    client.setAccount(m_admin);
    Reply reply = client.get("/api/parameters");
    json body = json::parse(reply.strBody, nullptr, false);
    if (!reply.ok() || !body.is_object() || !body["parameters"].is_array()) {
        p_strError = "GET /api/parameters: " + reply.summary() + " " + excerpt(reply.strBody);
        return false;
    }
    m_settings.clear();
    std::set<std::string> mapped;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_expected.clear();
    m_left.clear();
    for (const json& entry : body["parameters"]) {
        Setting setting;
        setting.strName = entry.value("name", "");
        setting.nId = entry.value("id", 0);
        setting.strKind = entry.value("kind", "");
        setting.strRole = entry.value("role", "");
        setting.nMin = intOf(entry.value("min", json()), INT_MIN);
        setting.nMax = intOf(entry.value("max", json()), INT_MAX);
        setting.nStep = intOf(entry.value("step", json()), 1);
        if (entry.contains("entries") && entry["entries"].is_array()) {
            for (const json& item : entry["entries"]) {
                setting.entries.emplace_back(item.value("code", 0), item.value("name", ""));
            }
        }
        // ONVIF reads the first range of a role.
        const char* onvifName = onvif::settingForRole(setting.strRole);
        if (onvifName != nullptr && setting.strKind == "range" && mapped.insert(onvifName).second) {
            setting.strOnvif = onvifName;
        }
        bool plain = kPlainRoles.count(setting.strRole) != 0 && entry.value("checked", false) &&
                     entry.contains("value") && entry["value"].is_number_integer();
        bool finite =
            setting.strKind != "range" ||
            (setting.nMin != INT_MIN && setting.nMax != INT_MAX && setting.nMax > setting.nMin);
        bool choice = setting.strKind != "menu" || setting.entries.size() > 1;
        if (plain && finite && choice &&
            (setting.strKind == "range" || setting.strKind == "menu" ||
             setting.strKind == "on-off")) {
            m_expected[setting.strName] = entry["value"].get<int>();
            m_settings.push_back(setting);
        }
    }
    client.setAccount(m_admin);
    reply = client.get("/api/schemes");
    body = json::parse(reply.strBody, nullptr, false);
    if (!reply.ok() || !body.is_object()) {
        p_strError = "GET /api/schemes: " + reply.summary() + " " + excerpt(reply.strBody);
        return false;
    }
    m_nSchemes = body.contains("schemes") && body["schemes"].is_array()
                     ? static_cast<int>(body["schemes"].size())
                     : 0;
    m_nScheme = intOf(body.value("active", json()), -2);
    if (m_settings.empty()) {
        p_strError = "the module has no plain picture setting to write";
        return false;
    }
    return true;
}

const Setting* Camera::find(const std::string& p_strName) const {
    for (const Setting& setting : m_settings) {
        if (setting.strName == p_strName) {
            return &setting;
        }
    }
    return nullptr;
}

void Camera::acknowledge(const std::string& p_strName, int p_nValue) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string>& history = m_history[p_strName];
    history.push_back(std::to_string(m_expected[p_strName]));
    if (history.size() > kHistory) {
        history.erase(history.begin());
    }
    m_expected[p_strName] = p_nValue;
}

void Camera::failed(const std::string& p_strName, int p_nValue) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string>& history = m_history[p_strName];
    history.push_back(std::to_string(p_nValue) + " failed");
    if (history.size() > kHistory) {
        history.erase(history.begin());
    }
}

std::string Camera::history(const std::string& p_strName) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_history.find(p_strName);
    if (it == m_history.end() || it->second.empty()) {
        return "";
    }
    std::string text;
    for (const std::string& value : it->second) {
        text += (text.empty() ? "" : ", ") + value;
    }
    return " (before: " + text + ")";
}

int Camera::expected(const std::string& p_strName) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_expected.find(p_strName);
    return it != m_expected.end() ? it->second : INT_MIN;
}

std::map<std::string, int> Camera::expectedAll() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_expected;
}

bool Camera::readValues(HttpClient& p_client, std::map<std::string, int>& p_values,
                        std::string& p_strError) const {
    Reply reply = p_client.get("/api/parameters");
    json body = json::parse(reply.strBody, nullptr, false);
    if (!reply.ok() || !body.is_object() || !body["parameters"].is_array()) {
        p_strError = reply.summary() + " " + excerpt(reply.strBody);
        return false;
    }
    p_values.clear();
    for (const json& entry : body["parameters"]) {
        std::string name = entry.value("name", "");
        if (find(name) != nullptr && entry.contains("value") &&
            entry["value"].is_number_integer()) {
            p_values[name] = entry["value"].get<int>();
        }
    }
    return true;
}

size_t Camera::verify(HttpClient& p_client, Report& p_report, const std::string& p_strWhen) const {
    std::map<std::string, int> values;
    std::string error;
    if (!readValues(p_client, values, error)) {
        p_report.error(p_strWhen + ": cannot read the values", "GET /api/parameters", error);
        return m_settings.size();
    }
    size_t differences = 0;
    for (const auto& entry : expectedAll()) {
        auto it = values.find(entry.first);
        if (it == values.end() || it->second != entry.second) {
            ++differences;
            p_report.error(p_strWhen + ": value differs from the last acknowledged write",
                           "GET /api/parameters (" + entry.first + ")",
                           (it == values.end() ? std::string("no value")
                                               : "read " + std::to_string(it->second)) +
                               ", last acknowledged " + std::to_string(entry.second) +
                               history(entry.first));
        }
    }
    return differences;
}

size_t Camera::verifyOnvif(HttpClient& p_client, Report& p_report,
                           const std::string& p_strWhen) const {
    std::string envelope =
        onvif::envelope(onvif::securityHeader(m_operator), onvif::getImagingSettings());
    Reply reply = p_client.soap(onvif::kImagingPath, envelope);
    onvif::Answer answer = onvif::read(reply.strBody);
    if (!reply.ok() || !answer.bParsed || answer.bFault) {
        p_report.error(p_strWhen + ": GetImagingSettings failed", "GetImagingSettings",
                       reply.summary() + " " + answer.describe() + " " + answer.strReason);
        return 1;
    }
    size_t differences = 0;
    for (const Setting& setting : m_settings) {
        if (setting.strOnvif.empty()) {
            continue;
        }
        int expected = this->expected(setting.strName);
        auto it = answer.settings.find(setting.strOnvif);
        if (it == answer.settings.end() || std::fabs(it->second - expected) > 0.5) {
            ++differences;
            p_report.error(p_strWhen + ": ONVIF value differs from the last acknowledged write",
                           "GetImagingSettings (" + setting.strOnvif + ")",
                           (it == answer.settings.end() ? std::string("absent")
                                                        : "read " + fixed(it->second, 2)) +
                               ", last acknowledged " + std::to_string(expected));
        }
    }
    return differences;
}

bool Camera::switchScheme(HttpClient& p_client, int p_nScheme, Report& p_report,
                          LatencyLog* p_pLog) {
    std::string request = "{\"scheme\":" + std::to_string(p_nScheme) + "}";
    Reply reply = p_client.post("/api/schemes/active", request);
    if (p_pLog != nullptr) {
        p_pLog->add("scheme switch", reply.dMillis);
    }
    if (!reply.ok()) {
        p_report.error("scheme switch: " + reply.summary(), "POST /api/schemes/active " + request,
                       reply.strBody);
        return false;
    }
    std::map<std::string, int> values;
    std::string error;
    if (!readValues(p_client, values, error)) {
        p_report.error("after a scheme switch: cannot read the values", "GET /api/parameters",
                       error);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_left[m_nScheme] = m_expected;
    auto left = m_left.find(p_nScheme);
    if (left != m_left.end()) {
        for (const auto& entry : left->second) {
            auto it = values.find(entry.first);
            if (it == values.end() || it->second != entry.second) {
                p_report.error("scheme came back with another value than it was left with",
                               "POST /api/schemes/active " + request + " (" + entry.first + ")",
                               (it == values.end() ? std::string("no value")
                                                   : "read " + std::to_string(it->second)) +
                                   ", left with " + std::to_string(entry.second));
            }
        }
    }
    for (const auto& entry : values) {
        m_expected[entry.first] = entry.second;
    }
    m_nScheme = p_nScheme;
    return true;
}
