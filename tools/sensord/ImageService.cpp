#include "ImageService.h"

#include <climits>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "DaySimulation.h"
#include "Describe.h"
#include "Host.h"
#include "platform/Clock.h"
#include "platform/SensorParameterParser.h"

namespace {

std::string parameterText(const ImageService::Values& p_values) {
    std::string text;
    for (const auto& entry : p_values) {
        text += "(" + std::to_string(entry.first) + "," + std::to_string(entry.second) + ")";
    }
    return text;
}

const char* stateName(int p_nState) {
    return p_nState == 1 ? "day" : p_nState == 0 ? "night" : "none";
}

}  // namespace

ImageService::ImageService(Host& p_host) : m_host(p_host) {
    ParameterDescriptor descriptor;
    for (int after = INT_MIN; m_host.controller().getNextParameterDescriptor(after, descriptor);
         after = descriptor.nId) {
        m_descriptors.push_back(descriptor);
    }
    ISensorController& controller = m_host.controller();
    m_nSeenState = controller.getDNState();
    m_nSeenMode = controller.getCurrentDayNightMode();
    controller.getParamScheme(m_nSeenScheme);
}

ImageService::~ImageService() {
    shutdown();
}

const ParameterDescriptor* ImageService::find(int p_nId) const {
    for (const ParameterDescriptor& descriptor : m_descriptors) {
        if (descriptor.nId == p_nId) {
            return &descriptor;
        }
    }
    return nullptr;
}

const ParameterDescriptor* ImageService::findByName(const std::string& p_strName) const {
    for (const ParameterDescriptor& descriptor : m_descriptors) {
        if (p_strName == descriptor.szName) {
            return &descriptor;
        }
    }
    return nullptr;
}

const ParameterDescriptor* ImageService::findByRole(ParameterRole p_eRole) const {
    for (const ParameterDescriptor& descriptor : m_descriptors) {
        if (descriptor.eRole == p_eRole) {
            return &descriptor;
        }
    }
    return nullptr;
}

std::string ImageService::refusal(int p_nId, int p_nValue) const {
    const ParameterDescriptor* descriptor = find(p_nId);
    if (descriptor == nullptr) {
        return "the module has no parameter " + std::to_string(p_nId);
    }
    if (descriptor->eKind == ParameterKind::READ_ONLY) {
        return std::string(descriptor->szName) + " is read-only";
    }
    return refusalOf(m_host.controller(), p_nId, p_nValue);
}

bool ImageService::get(int p_nId, int& p_nValue) {
    return find(p_nId) != nullptr && held(std::to_string(p_nId), p_nValue);
}

bool ImageService::held(const std::string& p_strIds, int& p_nValue) {
    // The controller's confirmed values, not the batch it was last asked
    // for: after a failed write those differ, and a client must see what
    // the module holds.
    std::string text;
    std::map<int, int> values;
    if (!m_host.controller().getParameters(p_strIds, text) ||
        !SensorParameterParser::parseSensorParameter(text, values) || values.size() != 1) {
        return false;
    }
    p_nValue = values.begin()->second;
    return true;
}

ImageService::Values ImageService::getAll() {
    std::string ids;
    for (const ParameterDescriptor& descriptor : m_descriptors) {
        if (descriptor.eKind != ParameterKind::ACTION) {
            ids += (ids.empty() ? "" : ",") + std::to_string(descriptor.nId);
        }
    }
    std::string text;
    std::map<int, int> values;
    if (!m_host.controller().getParameters(ids, text) ||
        !SensorParameterParser::parseSensorParameter(text, values)) {
        // Some id has no value (set-only): one at a time, then.
        values.clear();
        for (const ParameterDescriptor& descriptor : m_descriptors) {
            int value = 0;
            if (descriptor.eKind != ParameterKind::ACTION &&
                held(std::to_string(descriptor.nId), value)) {
                values[descriptor.nId] = value;
            }
        }
    }
    return Values(values.begin(), values.end());
}

ImageService::Values ImageService::changedSince(const Values& p_before) {
    Values changed;
    for (const auto& entry : p_before) {
        int value = 0;
        if (held(std::to_string(entry.first), value) && value != entry.second) {
            changed.push_back(entry);
        }
    }
    return changed;
}

std::string ImageService::putBack(const Values& p_before, const std::string& p_strOrigin) {
    // The module may still be failing, or restarting (a second or so of
    // silence): a few tries further and further apart, then the truth.
    static const double kPauses[] = {0.0, 0.5, 1.0, 2.0};
    Values changed = changedSince(p_before);
    for (double pause : kPauses) {
        if (changed.empty()) {
            break;
        }
        Clock::get().sleep(pause);
        m_host.controller().setParameters(parameterText(changed));
        changed = changedSince(p_before);
    }
    if (changed.empty()) {
        return "nothing was changed";
    }
    std::string names;
    Values now;
    for (const auto& entry : changed) {
        int value = 0;
        held(std::to_string(entry.first), value);
        now.emplace_back(entry.first, value);
        names += (names.empty() ? "" : ", ") + parameterLabel(m_host.controller(), entry.first) +
                 " = " + std::to_string(value);
    }
    // What the module holds now is what every client and the file see.
    saveLocked();
    publishValues(now, p_strOrigin);
    return "could not put back " + names;
}

ImageService::Result ImageService::failure(Outcome p_eOutcome, int p_nId,
                                           const std::string& p_strText) {
    Result result;
    result.eOutcome = p_eOutcome;
    result.nId = p_nId;
    result.strText = p_strText;
    return result;
}

ImageService::Result ImageService::set(const Values& p_values, bool p_bPersist,
                                       const std::string& p_strOrigin) {
    if (p_values.empty()) {
        return failure(Outcome::REFUSED, 0, "no value to set");
    }
    for (const auto& entry : p_values) {
        const ParameterDescriptor* descriptor = find(entry.first);
        if (descriptor == nullptr) {
            return failure(Outcome::UNKNOWN, entry.first,
                           "the module has no parameter " + std::to_string(entry.first));
        }
        std::string refused = refusal(entry.first, entry.second);
        if (!refused.empty()) {
            return failure(Outcome::REFUSED, entry.first, refused);
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopping) {
        return failure(Outcome::UNAVAILABLE, 0, "the service is stopping");
    }
    ISensorController& controller = m_host.controller();
    Values before;
    for (const auto& entry : p_values) {
        int value = 0;
        if (held(std::to_string(entry.first), value)) {
            before.emplace_back(entry.first, value);
        }
    }
    std::streamoff mark = m_host.errorLogMark();
    int result = controller.setParameters(parameterText(p_values));
    if (result != 0) {
        int failed = ISensorController::failedId(result);
        std::string reason = why(mark);
        m_bModuleAnswering = false;
        // All or nothing: what went through before the failure goes back.
        return failure(Outcome::FAILED, failed,
                       "cannot set " + parameterLabel(controller, failed) + ": " + reason + "; " +
                           putBack(before, p_strOrigin));
    }
    m_bModuleAnswering = true;
    if (p_bPersist) {
        Result saved = saveLocked();
        if (!saved.ok()) {
            saved.strText += "; " + putBack(before, p_strOrigin);
            return saved;
        }
    }
    publishValues(p_values, p_strOrigin);
    return Result();
}

std::string ImageService::why(std::streamoff p_nMark) const {
    std::string text = m_host.errorSince(p_nMark);
    // Nothing logged: the controller refused it without a word.
    return text.compare(0, 4, "see ") == 0 ? "the module did not take the command" : text;
}

void ImageService::publishValues(const Values& p_values, const std::string& p_strOrigin) {
    for (const auto& entry : p_values) {
        const ParameterDescriptor* descriptor = find(entry.first);
        nlohmann::json data = {{"id", entry.first},
                               {"name", descriptor != nullptr ? descriptor->szName : ""},
                               {"value", entry.second},
                               {"origin", p_strOrigin}};
        m_events.publish("value", data.dump());
    }
}

ImageService::Result ImageService::saveLocked() {
    int result = m_host.controller().flush();
    if (result == 0) {
        return Result();
    }
    const char* why = result == 505   ? "the scheme's window starts after 24:00"
                      : result == 506 ? "the scheme's window ends after 24:00"
                      : result == 507 ? "the scheme's window does not start before it ends"
                                      : "a parameter file could not be written";
    return failure(Outcome::FAILED, result >= 505 && result <= 507 ? 500 : 0,
                   std::string("the settings could not be saved: ") + why);
}

ImageService::Result ImageService::save() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return saveLocked();
}

ImageService::Status ImageService::status() {
    ISensorController& controller = m_host.controller();
    Status status;
    status.nModuleId = m_host.moduleId();
    status.strModule = m_host.moduleName();
    status.nDayNightMode = controller.getCurrentDayNightMode();
    status.nDayNightState = controller.getDNState();
    controller.getParamScheme(status.nScheme);
    controller.getParamMode(status.nSchemeMode);
    // The scene's level means something where the camera switches by it.
    int id = dayNightModeId(controller);
    status.bHasSceneLevel = id != 0 && dayNightModeValue(controller, 0) >= 0;
    if (status.bHasSceneLevel) {
        status.nSceneLevel = cameraLevel(m_host, hasInfrared(m_host));
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    status.bModuleAnswering = m_bModuleAnswering;
    return status;
}

std::vector<ImageService::Scheme> ImageService::schemes() {
    ISensorController& controller = m_host.controller();
    std::vector<Scheme> schemes;
    int count = 0;
    if (!controller.getParamSchemeNum(count)) {
        return schemes;
    }
    int active = -2;
    controller.getParamScheme(active);
    for (int index = 0; index < count; ++index) {
        std::string text;
        std::map<int, int> values;
        if (!controller.readParamByScheme(index, text) ||
            !SensorParameterParser::parseSensorParameter(text, values)) {
            continue;
        }
        Scheme scheme;
        scheme.nIndex = index;
        scheme.bEnabled = values[500] != 0;
        scheme.nStartHour = values[501];
        scheme.nStartMinute = values[502] * 10;
        scheme.nEndHour = values[503];
        scheme.nEndMinute = values[504] * 10;
        scheme.bActive = index == active;
        schemes.push_back(scheme);
    }
    return schemes;
}

ImageService::Result ImageService::applyScheme(int p_nIndex, const std::string& p_strOrigin) {
    int count = 0;
    m_host.controller().getParamSchemeNum(count);
    if (p_nIndex < 0 || p_nIndex >= count) {
        return failure(Outcome::UNKNOWN, 0,
                       "no scheme " + std::to_string(p_nIndex) + " (schemes are 0.." +
                           std::to_string(count - 1) + ")");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopping) {
        return failure(Outcome::UNAVAILABLE, 0, "the service is stopping");
    }
    ISensorController& controller = m_host.controller();
    std::streamoff mark = m_host.errorLogMark();
    // A scheme a client chose stays: the windows would choose again within
    // a second otherwise.
    if (!controller.setParamMode(0) || !controller.setParamScheme(p_nIndex)) {
        return failure(
            Outcome::FAILED, 0,
            "scheme " + std::to_string(p_nIndex) + " could not be applied: " + why(mark));
    }
    nlohmann::json data = {{"scheme", p_nIndex}, {"mode", "manual"}, {"origin", p_strOrigin}};
    m_events.publish("scheme", data.dump());
    recordLocked(m_host.controller().getDNState(), p_nIndex, false, p_nIndex != m_nSeenScheme);
    m_nSeenScheme = p_nIndex;
    return Result();
}

ImageService::Result ImageService::setSchemeMode(int p_nMode, const std::string& p_strOrigin) {
    if (p_nMode != 0 && p_nMode != 1) {
        return failure(Outcome::REFUSED, 0, "the scheme mode is manual or automatic");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopping) {
        return failure(Outcome::UNAVAILABLE, 0, "the service is stopping");
    }
    if (!m_host.controller().setParamMode(p_nMode)) {
        return failure(Outcome::FAILED, 0, "the scheme mode could not be stored");
    }
    int scheme = -2;
    m_host.controller().getParamScheme(scheme);
    nlohmann::json data = {{"scheme", scheme},
                           {"mode", p_nMode == 0 ? "manual" : "automatic"},
                           {"origin", p_strOrigin}};
    m_events.publish("scheme", data.dump());
    return Result();
}

ImageService::Result ImageService::setSchemeWindow(const Scheme& p_window,
                                                   const std::string& p_strOrigin) {
    const int start = p_window.nStartHour * 100 + p_window.nStartMinute;
    const int end = p_window.nEndHour * 100 + p_window.nEndMinute;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopping) {
        return failure(Outcome::UNAVAILABLE, 0, "the service is stopping");
    }
    ISensorController& controller = m_host.controller();
    const std::string which = "scheme " + std::to_string(p_window.nIndex) + "'s window";
    switch (controller.setSchemeWindow(p_window.nIndex, p_window.bEnabled, start, end)) {
        case 0:
            break;
        case 505:
            return failure(Outcome::REFUSED, 0,
                           which +
                               " must start at a time from 00:00 to 24:00 in steps of 10 "
                               "minutes; nothing was changed");
        case 506:
            return failure(Outcome::REFUSED, 0,
                           which +
                               " must end at a time from 00:00 to 24:00 in steps of 10 "
                               "minutes; nothing was changed");
        case 507:
            return failure(Outcome::REFUSED, 0,
                           which +
                               " must start before it ends (a window does not run past "
                               "midnight); nothing was changed");
        case 509: {
            int count = 0;
            controller.getParamSchemeNum(count);
            return failure(Outcome::UNKNOWN, 0,
                           "no scheme " + std::to_string(p_window.nIndex) + " (schemes are 0.." +
                               std::to_string(count - 1) + ")");
        }
        default:
            return failure(Outcome::FAILED, 0,
                           which + " could not be saved: the parameter file could not be written");
    }
    int active = -2;
    int mode = 0;
    controller.getParamScheme(active);
    controller.getParamMode(mode);
    if (active == p_window.nIndex) {
        // The window ids show the active scheme's window.
        publishValues({{500, p_window.bEnabled ? 1 : 0},
                       {501, p_window.nStartHour},
                       {502, p_window.nStartMinute / 10},
                       {503, p_window.nEndHour},
                       {504, p_window.nEndMinute / 10}},
                      p_strOrigin);
    }
    nlohmann::json data = {{"scheme", active},
                           {"mode", mode == 0 ? "manual" : "automatic"},
                           {"window", p_window.nIndex},
                           {"origin", p_strOrigin}};
    m_events.publish("scheme", data.dump());
    return Result();
}

ImageService::FocusState ImageService::focus() {
    FocusState state;
    state.bHasLens = m_host.module().bFocusMoves;
    if (!state.bHasLens) {
        return state;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    const ParameterDescriptor* position = findByRole(ParameterRole::FOCUS_POSITION);
    if (position == nullptr || !held(std::to_string(position->nId), state.nPosition)) {
        m_host.controller().getFocusValue(state.nPosition);
    }
    state.bMoving = m_bFocusMoving;
    return state;
}

ImageService::Result ImageService::focusMove(int p_nSpeed) {
    if (!focus().bHasLens) {
        return failure(Outcome::UNKNOWN, 0, "the module has no lens to focus");
    }
    if (p_nSpeed == 0 || p_nSpeed < -8 || p_nSpeed > 8) {
        return failure(Outcome::REFUSED, 0, "a focus speed is 1..8 either way");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopping) {
        return failure(Outcome::UNAVAILABLE, 0, "the service is stopping");
    }
    std::streamoff mark = m_host.errorLogMark();
    ISensorController& controller = m_host.controller();
    int done = p_nSpeed > 0 ? controller.FocusFar(p_nSpeed) : controller.FocusNear(-p_nSpeed);
    if (done != 1) {
        m_bModuleAnswering = false;
        return failure(Outcome::FAILED, 0, "the focus did not move: " + why(mark));
    }
    m_bFocusMoving = true;
    return Result();
}

ImageService::Result ImageService::focusTo(int p_nPosition) {
    const ParameterDescriptor* position = findByRole(ParameterRole::FOCUS_POSITION);
    if (position == nullptr) {
        return failure(Outcome::UNKNOWN, 0, "the module has no focus position to move to");
    }
    return set({{position->nId, p_nPosition}}, true, "focus");
}

ImageService::Result ImageService::focusStop() {
    if (!focus().bHasLens) {
        return failure(Outcome::UNKNOWN, 0, "the module has no lens to focus");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopping) {
        return failure(Outcome::UNAVAILABLE, 0, "the service is stopping");
    }
    std::streamoff mark = m_host.errorLogMark();
    ISensorController& controller = m_host.controller();
    // A move leaves the lens in one-push focus, where the module takes no
    // stop: the stop comes in manual focus, which is where a lens that was
    // moved by hand belongs anyway.
    const ParameterDescriptor* mode = findByRole(ParameterRole::FOCUS_MODE);
    int manual = 0;
    if (controller.StopFocusContrl() != 1 && mode != nullptr && mode->entryCode("manual", manual)) {
        // The cache may say manual while the module went to one-push.
        controller.markUnconfirmed(mode->nId);
        if (controller.setParameters(parameterText({{mode->nId, manual}})) == 0 &&
            saveLocked().ok()) {
            publishValues({{mode->nId, manual}}, "focus");
        }
    }
    if (controller.StopFocusContrl() != 1) {
        m_bModuleAnswering = false;
        return failure(Outcome::FAILED, 0, "the focus did not stop: " + why(mark));
    }
    m_bFocusMoving = false;
    return Result();
}

void ImageService::shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_events.close();
}

void ImageService::poll() {
    ISensorController& controller = m_host.controller();
    int state = controller.getDNState();
    int mode = controller.getCurrentDayNightMode();
    int scheme = -2;
    controller.getParamScheme(scheme);
    std::lock_guard<std::mutex> lock(m_mutex);
    recordLocked(state, scheme, state != m_nSeenState, scheme != m_nSeenScheme);
    if (state != m_nSeenState || mode != m_nSeenMode) {
        m_nSeenState = state;
        m_nSeenMode = mode;
        nlohmann::json data = {{"mode", mode}, {"state", stateName(state)}};
        m_events.publish("daynight", data.dump());
    }
    if (scheme != m_nSeenScheme) {
        m_nSeenScheme = scheme;
        int schemeMode = 0;
        controller.getParamMode(schemeMode);
        nlohmann::json data = {{"scheme", scheme},
                               {"mode", schemeMode == 0 ? "manual" : "automatic"}};
        m_events.publish("scheme", data.dump());
    }
}

namespace {

const double kHistorySeconds = 24 * 3600;

std::string wallText() {
    OVDeviceTime now = Clock::get().wallTime();
    char text[64];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    return text;
}

}  // namespace

double ImageService::clockSeconds() const {
    return Clock::get().monotonicSeconds();
}

void ImageService::recordLocked(int p_nState, int p_nScheme, bool p_bStateChanged,
                                bool p_bSchemeChanged) {
    double now = clockSeconds();
    if (p_bStateChanged && p_nState >= 0) {
        m_switches.push_back(Switch{now, wallText(), "daynight", p_nState});
    }
    if (p_bSchemeChanged) {
        m_switches.push_back(Switch{now, wallText(), "scheme", p_nScheme});
    }
    if (now >= m_dNextSample) {
        Sample sample;
        sample.dSeconds = now;
        sample.strWall = wallText();
        int id = dayNightModeId(m_host.controller());
        sample.bHasLevel = id != 0 && dayNightModeValue(m_host.controller(), 0) >= 0;
        sample.nLevel = sample.bHasLevel ? cameraLevel(m_host, hasInfrared(m_host)) : 0;
        sample.nState = p_nState;
        sample.nScheme = p_nScheme;
        m_samples.push_back(sample);
        m_dNextSample = now + 60;
    }
    while (!m_samples.empty() && m_samples.front().dSeconds < now - kHistorySeconds) {
        m_samples.pop_front();
    }
    // A day has a handful of switches; a bound for a scene that flickers.
    while (!m_switches.empty() &&
           (m_switches.front().dSeconds < now - kHistorySeconds || m_switches.size() > 2000)) {
        m_switches.pop_front();
    }
}

void ImageService::history(std::vector<Sample>& p_samples, std::vector<Switch>& p_switches) {
    std::lock_guard<std::mutex> lock(m_mutex);
    p_samples.assign(m_samples.begin(), m_samples.end());
    p_switches.assign(m_switches.begin(), m_switches.end());
}
