// The Imaging service: its capabilities, the lens, and the library's
// parameter schemes as imaging presets. The settings are in
// ImagingSettings.cpp.
#include <climits>
#include <cmath>
#include <cstdio>

#include "OnvifOperations.h"

namespace {

const char* const kPresetPrefix = "scheme-";
// ImageService::focusMove's speeds, either way.
const int kFocusSpeeds = 8;

HttpResponse settingsInvalid(const std::string& p_strWhy) {
    return soapFaultResponse(senderFault("ter:InvalidArgVal", "ter:SettingsInvalid", p_strWhy));
}

HttpResponse noLens() {
    return soapFaultResponse(receiverFault("ter:ActionNotSupported", "ter:NoImagingForSource",
                                           "the module has no lens to focus"));
}

std::string presetToken(int p_nIndex) {
    return kPresetPrefix + std::to_string(p_nIndex);
}

// "scheme-2" -> 2; false for anything else.
bool presetIndex(const std::string& p_strToken, int& p_nIndex) {
    std::string digits = p_strToken.substr(0, 7) == kPresetPrefix ? p_strToken.substr(7) : "";
    if (digits.empty() || digits.size() > 6 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    p_nIndex = std::stoi(digits);
    return true;
}

void writePreset(XmlWriter& p_xml, const ImageService::Scheme& p_scheme) {
    char name[64];
    std::snprintf(name, sizeof(name), "Scheme %d %02d:%02d-%02d:%02d", p_scheme.nIndex,
                  p_scheme.nStartHour, p_scheme.nStartMinute, p_scheme.nEndHour,
                  p_scheme.nEndMinute);
    p_xml.open("timg:Preset", {{"token", presetToken(p_scheme.nIndex)}, {"type", "Custom"}})
        .leaf("timg:Name", name)
        .close();
}

HttpResponse getServiceCapabilities(OnvifContext& p_context, const OnvifCall&) {
    return respond("timg:GetServiceCapabilitiesResponse", imagingCapabilities(p_context));
}

HttpResponse getMoveOptions(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    XmlWriter xml;
    xml.open("timg:MoveOptions");
    // Without a lens the options are empty: nothing moves.
    if (p_context.image.focus().bHasLens) {
        if (const ParameterDescriptor* position = p_context.map.pFocusPosition) {
            double span = static_cast<double>(position->nMax) - position->nMin;
            xml.open("tt:Absolute").open("tt:Position");
            xml.leaf("tt:Min", xmlFloat(position->nMin)).leaf("tt:Max", xmlFloat(position->nMax));
            xml.close().close();
            xml.open("tt:Relative").open("tt:Distance");
            xml.leaf("tt:Min", xmlFloat(-span)).leaf("tt:Max", xmlFloat(span));
            xml.close().close();
        }
        xml.open("tt:Continuous").open("tt:Speed");
        xml.leaf("tt:Min", "-1").leaf("tt:Max", "1");
        xml.close().close();
    }
    return respond("timg:GetMoveOptionsResponse", xml.finish());
}

// The focus mode's code now, and the one MANUAL writes; false without a
// focus mode.
bool focusModes(OnvifContext& p_context, int& p_nNow, int& p_nManual) {
    const ModeMap& focus = p_context.map.focus;
    return focus.exists() && focus.write("MANUAL", p_nManual) &&
           p_context.image.get(focus.descriptor()->nId, p_nNow);
}

// Puts the lens in manual focus unless it is: a Move turns autofocus off,
// and the library stops a lens only in manual focus (a continuous move
// leaves some modules in one-push focus).
ImageService::Result manualFocus(OnvifContext& p_context, const OnvifCall& p_call) {
    int now = 0;
    int manual = 0;
    if (!focusModes(p_context, now, manual) || now == manual) {
        return ImageService::Result();
    }
    return p_context.image.set({{p_context.map.focus.descriptor()->nId, manual}}, false,
                               p_call.strUser);
}

// An absolute position for the lens, checked against its range.
HttpResponse focusTo(OnvifContext& p_context, double p_dPosition, const char* p_szWhat) {
    const ParameterDescriptor* position = p_context.map.pFocusPosition;
    if (p_dPosition < position->nMin || p_dPosition > position->nMax) {
        return settingsInvalid(std::string(p_szWhat) + " must bring the focus between " +
                               xmlFloat(position->nMin) + " and " + xmlFloat(position->nMax) +
                               "; " + xmlFloat(p_dPosition) + " refused");
    }
    ImageService::Result result =
        p_context.image.focusTo(static_cast<int>(std::lround(p_dPosition)));
    return result.ok() ? respond("timg:MoveResponse") : outcomeFault(result);
}

HttpResponse move(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    const XmlElement* focus = p_call.operation.child(ns::kImaging, "Focus");
    if (focus == nullptr) {
        return settingsInvalid("Move without Focus");
    }
    if (!p_context.image.focus().bHasLens) {
        return noLens();
    }
    const XmlElement* absolute = focus->child(ns::kSchema, "Absolute");
    const XmlElement* relative = focus->child(ns::kSchema, "Relative");
    const XmlElement* continuous = focus->child(ns::kSchema, "Continuous");
    if ((absolute != nullptr) + (relative != nullptr) + (continuous != nullptr) != 1) {
        return settingsInvalid("Focus names one move: Absolute, Relative or Continuous");
    }
    // A speed given with an absolute or relative move is not used: the
    // module moves its lens at its own pace.
    const XmlElement* move = absolute != nullptr   ? absolute
                             : relative != nullptr ? relative
                                                   : continuous;
    const char* argumentName = absolute != nullptr   ? "Position"
                               : relative != nullptr ? "Distance"
                                                     : "Speed";
    std::string text;
    double value = 0;
    if (!argument(*move, ns::kSchema, argumentName, text) || !parseXmlFloat(text, value)) {
        return settingsInvalid(std::string("Focus ") + move->strName + " needs a number " +
                               argumentName);
    }
    if (continuous == nullptr && p_context.map.pFocusPosition == nullptr) {
        return settingsInvalid(
            "the module's lens moves continuously only, to no position; "
            "see GetMoveOptions");
    }
    if (continuous != nullptr && (value < -1 || value > 1)) {
        return settingsInvalid("Continuous Speed must be between -1 and 1; " + xmlFloat(value) +
                               " refused");
    }
    ImageService::Result manual = manualFocus(p_context, p_call);
    if (!manual.ok()) {
        return outcomeFault(manual);
    }
    if (absolute != nullptr) {
        return focusTo(p_context, value, "Absolute Position");
    }
    if (relative != nullptr) {
        return focusTo(p_context, p_context.image.focus().nPosition + value, "Relative Distance");
    }
    ImageService::Result result;
    if (value == 0) {
        result = p_context.image.focusStop();
    } else {
        int speed = static_cast<int>(std::ceil(std::fabs(value) * kFocusSpeeds));
        speed = std::max(1, std::min(kFocusSpeeds, speed));
        result = p_context.image.focusMove(value > 0 ? speed : -speed);
    }
    return result.ok() ? respond("timg:MoveResponse") : outcomeFault(result);
}

HttpResponse stop(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    if (!p_context.image.focus().bHasLens) {
        return noLens();
    }
    // Autofocus goes on: only a lens under manual control has a move to
    // stop.
    std::string mode;
    int now = 0;
    int manual = 0;
    if (focusModes(p_context, now, manual) && p_context.map.focus.read(now, mode) &&
        mode == "AUTO") {
        return respond("timg:StopResponse");
    }
    ImageService::Result result = manualFocus(p_context, p_call);
    if (result.ok()) {
        result = p_context.image.focusStop();
    }
    return result.ok() ? respond("timg:StopResponse") : outcomeFault(result);
}

HttpResponse getStatus(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    ImageService::FocusState focus = p_context.image.focus();
    XmlWriter xml;
    xml.open("timg:Status");
    if (focus.bHasLens) {
        xml.open("tt:FocusStatus20")
            .leaf("tt:Position", xmlFloat(focus.nPosition))
            .leaf("tt:MoveStatus", focus.bMoving ? "MOVING" : "IDLE")
            .leaf("tt:Error", "")
            .close();
    }
    return respond("timg:GetStatusResponse", xml.finish());
}

HttpResponse getPresets(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    std::vector<ImageService::Scheme> schemes = p_context.image.schemes();
    if (schemes.empty()) {
        return soapFaultResponse(
            receiverFault("ter:ActionNotSupported", "", "the module keeps no parameter schemes"));
    }
    XmlWriter xml;
    for (const ImageService::Scheme& scheme : schemes) {
        writePreset(xml, scheme);
    }
    return respond("timg:GetPresetsResponse", xml.finish());
}

HttpResponse getCurrentPreset(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    // Empty when no scheme is active (the factory set, or none yet).
    XmlWriter xml;
    for (const ImageService::Scheme& scheme : p_context.image.schemes()) {
        if (scheme.bActive) {
            writePreset(xml, scheme);
        }
    }
    return respond("timg:GetCurrentPresetResponse", xml.finish());
}

HttpResponse setCurrentPreset(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    std::string token;
    argument(p_call.operation, ns::kImaging, "PresetToken", token);
    int index = -1;
    bool known = false;
    if (presetIndex(token, index)) {
        for (const ImageService::Scheme& scheme : p_context.image.schemes()) {
            known = known || scheme.nIndex == index;
        }
    }
    if (!known) {
        return soapFaultResponse(senderFault("ter:InvalidArgVal", "ter:NoToken",
                                             "no preset \"" + token + "\"; GetPresets lists them"));
    }
    ImageService::Result result = p_context.image.applyScheme(index, p_call.strUser);
    return result.ok() ? respond("timg:SetCurrentPresetResponse") : outcomeFault(result);
}

}  // namespace

std::string imagingCapabilities(OnvifContext& p_context) {
    XmlWriter xml;
    xml.empty("timg:Capabilities", {{"ImageStabilization", "false"},
                                    {"Presets", xmlBool(!p_context.image.schemes().empty())}});
    return xml.finish();
}

bool checkVideoSource(const OnvifCall& p_call, HttpResponse& p_fault) {
    std::string token;
    argument(p_call.operation, ns::kImaging, "VideoSourceToken", token);
    if (token == kVideoSourceToken) {
        return true;
    }
    p_fault = soapFaultResponse(senderFault("ter:InvalidArgVal", "ter:NoSource",
                                            "no video source \"" + token +
                                                "\"; the camera's one "
                                                "source is " +
                                                kVideoSourceToken));
    return false;
}

HttpResponse outcomeFault(const ImageService::Result& p_result) {
    switch (p_result.eOutcome) {
        case ImageService::Outcome::REFUSED:
        case ImageService::Outcome::UNKNOWN:
            return settingsInvalid(p_result.strText);
        case ImageService::Outcome::UNAVAILABLE: {
            SoapFault fault = receiverFault("ter:Action", "", p_result.strText);
            fault.nHttpStatus = 503;
            return soapFaultResponse(fault);
        }
        default:
            return soapFaultResponse(receiverFault("ter:Action", "", p_result.strText));
    }
}

const std::vector<OnvifOperation>& imagingOperations() {
    static const std::vector<OnvifOperation> operations = {
        {"GetServiceCapabilities", getServiceCapabilities, false, false},
        {"GetImagingSettings", getImagingSettings, false, false},
        {"SetImagingSettings", setImagingSettings, true, false},
        {"GetOptions", getOptions, false, false},
        {"GetMoveOptions", getMoveOptions, false, false},
        {"Move", move, true, false},
        {"Stop", stop, true, false},
        {"GetStatus", getStatus, false, false},
        {"GetPresets", getPresets, false, false},
        {"GetCurrentPreset", getCurrentPreset, false, false},
        {"SetCurrentPreset", setCurrentPreset, true, false},
    };
    return operations;
}
