// GetImagingSettings, GetOptions and SetImagingSettings over the module's
// parameters, as ImagingMap maps them.
#include <climits>
#include <cmath>

#include "OnvifOperations.h"

namespace {

const char* const kBoundary = "Common";

// The current value of a mapped parameter; false when it has none.
bool current(OnvifContext& p_context, const ParameterDescriptor* p_pDescriptor, int& p_nValue) {
    return p_pDescriptor != nullptr && p_context.image.get(p_pDescriptor->nId, p_nValue);
}

void writeFloat(OnvifContext& p_context, XmlWriter& p_xml, const char* p_szElement,
                const FloatSetting& p_setting) {
    int value = 0;
    if (p_setting.exists() && current(p_context, p_setting.descriptor(), value)) {
        p_xml.leaf(p_szElement, xmlFloat(p_setting.toOnvif(value)));
    }
}

// The ONVIF value the module's mode reads as; false when it has none.
bool currentMode(OnvifContext& p_context, const ModeMap& p_map, std::string& p_strMode) {
    int value = 0;
    return p_map.exists() && current(p_context, p_map.descriptor(), value) &&
           p_map.read(value, p_strMode);
}

void writeRange(XmlWriter& p_xml, const char* p_szElement, double p_dMin, double p_dMax) {
    p_xml.open(p_szElement).leaf("tt:Min", xmlFloat(p_dMin)).leaf("tt:Max", xmlFloat(p_dMax));
    p_xml.close();
}

void writeRange(XmlWriter& p_xml, const char* p_szElement, const FloatSetting& p_setting) {
    if (p_setting.exists()) {
        writeRange(p_xml, p_szElement, p_setting.min(), p_setting.max());
    }
}

void writeModes(XmlWriter& p_xml, const char* p_szElement, const ModeMap& p_map) {
    for (const std::string& value : p_map.values()) {
        p_xml.leaf(p_szElement, value);
    }
}

// The response time's range; a delay "any value" takes starts at 0 s.
long delayMin(const ParameterDescriptor* p_pDelay) {
    return std::max(p_pDelay->nMin, 0);
}

// What one SetImagingSettings asks for, as (id, value) pairs, each with the
// ONVIF name it came by; the first refusal ends it.
class Changes {
public:
    explicit Changes(OnvifContext& p_context) : m_context(p_context) {}

    bool ok() const { return m_strError.empty(); }
    const std::string& error() const { return m_strError; }
    const ImageService::Values& values() const { return m_values; }
    const std::string& nameOf(size_t p_nIndex) const { return m_names[p_nIndex]; }

    bool refuse(const std::string& p_strWhy) {
        if (m_strError.empty()) {
            m_strError = p_strWhy;
        }
        return false;
    }
    bool lacks(const std::string& p_strSetting) {
        return refuse("the module has no " + p_strSetting);
    }
    void put(const ParameterDescriptor* p_pDescriptor, int p_nValue, const std::string& p_strName) {
        for (size_t n = 0; n < m_values.size(); ++n) {
            if (m_values[n].first == p_pDescriptor->nId) {
                m_values[n].second = p_nValue;
                return;
            }
        }
        m_values.emplace_back(p_pDescriptor->nId, p_nValue);
        m_names.push_back(p_strName);
    }
    bool number(const XmlElement& p_element, const FloatSetting& p_setting) {
        if (!p_setting.exists()) {
            return lacks(p_setting.name());
        }
        double value = 0;
        if (!parseXmlFloat(p_element.strText, value)) {
            return refuse(std::string(p_setting.name()) + " is a number, not \"" +
                          p_element.trimmedText() + "\"");
        }
        int moduleValue = 0;
        std::string why;
        if (!p_setting.fromOnvif(value, moduleValue, why)) {
            return refuse(why);
        }
        put(p_setting.descriptor(), moduleValue, p_setting.name());
        return true;
    }
    // A mode the module's current one already reads as is left alone: a
    // client returning what it read must not turn shutter priority into
    // plain auto.
    bool mode(const XmlElement& p_element, const ModeMap& p_map, const std::string& p_strName) {
        std::string wanted = p_element.trimmedText();
        std::string now;
        if (currentMode(m_context, p_map, now) && now == wanted) {
            return true;
        }
        int code = 0;
        if (!p_map.write(wanted, code)) {
            std::string modes;
            for (const std::string& value : p_map.values()) {
                modes += (modes.empty() ? "" : ", ") + value;
            }
            return refuse(p_strName + " " + wanted + " is not a mode of this module; it has " +
                          modes);
        }
        put(p_map.descriptor(), code, p_strName);
        return true;
    }

private:
    OnvifContext& m_context;
    ImageService::Values m_values;
    std::vector<std::string> m_names;
    std::string m_strError;
};

bool setBacklight(OnvifContext& p_context, const ImagingMap& p_map, const XmlElement& p_element,
                  Changes& p_changes) {
    const XmlElement* mode = p_element.child(ns::kSchema, "Mode");
    const XmlElement* level = p_element.child(ns::kSchema, "Level");
    if (p_map.backlight.exists()) {
        if (level != nullptr) {
            return p_changes.lacks("BacklightCompensation Level");
        }
        return mode == nullptr || p_changes.mode(*mode, p_map.backlight, "BacklightCompensation");
    }
    if (!p_map.backlightLevel.exists()) {
        return p_changes.lacks("BacklightCompensation");
    }
    // A level where 0 is off.
    const ParameterDescriptor* descriptor = p_map.backlightLevel.descriptor();
    std::string wanted = mode != nullptr ? mode->trimmedText() : "ON";
    if (wanted == "OFF") {
        p_changes.put(descriptor, 0, "BacklightCompensation");
        return true;
    }
    if (wanted != "ON") {
        return p_changes.refuse("BacklightCompensation Mode is ON or OFF, not " + wanted);
    }
    if (level != nullptr) {
        double value = 0;
        if (parseXmlFloat(level->strText, value) && std::lround(value) == 0) {
            return p_changes.refuse(
                "a BacklightCompensation Level of 0 is off; with Mode ON "
                "give a Level other than 0");
        }
        return p_changes.number(*level, p_map.backlightLevel);
    }
    int value = 0;
    if (!current(p_context, descriptor, value) || value == 0) {
        p_changes.put(descriptor, descriptor->takes(1) ? 1 : descriptor->nMax,
                      "BacklightCompensation");
    }
    return true;
}

bool setExposure(const ImagingMap& p_map, const XmlElement& p_element, Changes& p_changes) {
    if (!p_map.exposure.exists()) {
        return p_changes.lacks("Exposure");
    }
    for (const XmlElement& child : p_element.children) {
        const std::string& name = child.strName;
        bool ok = child.strNamespace != ns::kSchema ? p_changes.lacks("Exposure " + name)
                  : name == "Mode" ? p_changes.mode(child, p_map.exposure, "Exposure Mode")
                  : name == "MinExposureTime" ? p_changes.number(child, p_map.minExposureTime)
                  : name == "MaxExposureTime" ? p_changes.number(child, p_map.maxExposureTime)
                  : name == "MaxGain"         ? p_changes.number(child, p_map.maxGain)
                  : name == "ExposureTime"    ? p_changes.number(child, p_map.exposureTime)
                  : name == "Gain"            ? p_changes.number(child, p_map.gain)
                  : name == "Iris"            ? p_changes.number(child, p_map.iris)
                                              : p_changes.lacks("Exposure " + name);
        if (!ok) {
            return false;
        }
    }
    return true;
}

// A mode and up to two numbers: Focus, WideDynamicRange, WhiteBalance.
bool setPair(const XmlElement& p_element, const char* p_szSetting, const char* p_szMode,
             const ModeMap& p_mode, const char* p_szFirst, const FloatSetting& p_first,
             const char* p_szSecond, const FloatSetting& p_second, Changes& p_changes) {
    if (!p_mode.exists()) {
        return p_changes.lacks(p_szSetting);
    }
    for (const XmlElement& child : p_element.children) {
        bool ok = child.strNamespace != ns::kSchema
                      ? p_changes.lacks(std::string(p_szSetting) + " " + child.strName)
                  : child.strName == p_szMode
                      ? p_changes.mode(child, p_mode, std::string(p_szSetting) + " " + p_szMode)
                  : p_szFirst != nullptr && child.strName == p_szFirst
                      ? p_changes.number(child, p_first)
                  : p_szSecond != nullptr && child.strName == p_szSecond
                      ? p_changes.number(child, p_second)
                      : p_changes.lacks(std::string(p_szSetting) + " " + child.strName);
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool setAutoAdjustment(OnvifContext& p_context, const ImagingMap& p_map,
                       const XmlElement& p_element, Changes& p_changes) {
    if (!p_map.hasAutoAdjustment()) {
        return p_changes.lacks("IrCutFilterAutoAdjustment");
    }
    std::string boundary;
    argument(p_element, ns::kSchema, "BoundaryType", boundary);
    if (boundary != kBoundary) {
        return p_changes.refuse(
            "IrCutFilterAutoAdjustment BoundaryType is Common: the module "
            "moves both boundaries together, not \"" +
            boundary + "\"");
    }
    if (const XmlElement* offsetElement = p_element.child(ns::kSchema, "BoundaryOffset")) {
        double offset = 0;
        if (p_map.pDtn == nullptr) {
            return p_changes.lacks("IrCutFilterAutoAdjustment BoundaryOffset");
        }
        if (!parseXmlFloat(offsetElement->strText, offset) || offset < -1 || offset > 1) {
            return p_changes.refuse(
                "IrCutFilterAutoAdjustment BoundaryOffset must be between "
                "-1 and 1; " +
                offsetElement->trimmedText() + " refused");
        }
        int dtn = p_map.dtnForOffset(offset);
        int oldDtn = 0;
        int ntd = 0;
        // Night-to-day follows, keeping the gap that stops the camera
        // switching to and fro.
        if (p_map.pNtd != nullptr && current(p_context, p_map.pDtn, oldDtn) &&
            current(p_context, p_map.pNtd, ntd)) {
            long moved = static_cast<long>(ntd) + dtn - oldDtn;
            moved = std::max<long>(p_map.pNtd->nMin, std::min<long>(p_map.pNtd->nMax, moved));
            p_changes.put(p_map.pNtd, static_cast<int>(moved), "IrCutFilterAutoAdjustment");
        }
        p_changes.put(p_map.pDtn, dtn, "IrCutFilterAutoAdjustment BoundaryOffset");
    }
    if (const XmlElement* timeElement = p_element.child(ns::kSchema, "ResponseTime")) {
        long seconds = 0;
        if (p_map.pDelay == nullptr) {
            return p_changes.lacks("IrCutFilterAutoAdjustment ResponseTime");
        }
        if (!parseXmlDuration(timeElement->strText, seconds) || seconds < delayMin(p_map.pDelay) ||
            seconds > p_map.pDelay->nMax) {
            return p_changes.refuse("IrCutFilterAutoAdjustment ResponseTime must be between " +
                                    xmlDuration(delayMin(p_map.pDelay)) + " and " +
                                    xmlDuration(p_map.pDelay->nMax) + "; " +
                                    timeElement->trimmedText() + " refused");
        }
        p_changes.put(p_map.pDelay, static_cast<int>(seconds),
                      "IrCutFilterAutoAdjustment ResponseTime");
    }
    return true;
}

// Extension, then Extension again: the schema's way of adding settings.
bool setExtension(OnvifContext& p_context, const ImagingMap& p_map, const XmlElement& p_element,
                  Changes& p_changes) {
    for (const XmlElement& child : p_element.children) {
        if (!child.is(ns::kSchema, "Extension")) {
            return p_changes.lacks(child.strName);
        }
        for (const XmlElement& setting : child.children) {
            bool ok = setting.is(ns::kSchema, "IrCutFilterAutoAdjustment")
                          ? setAutoAdjustment(p_context, p_map, setting, p_changes)
                      : setting.is(ns::kSchema, "Extension") && setting.children.empty() ? true
                      : setting.is(ns::kSchema, "Extension")
                          ? p_changes.lacks(setting.children.front().strName)
                          : p_changes.lacks(setting.strName);
            if (!ok) {
                return false;
            }
        }
    }
    return true;
}

bool readSettings(OnvifContext& p_context, const XmlElement& p_settings, Changes& p_changes) {
    const ImagingMap& map = p_context.map;
    for (const XmlElement& child : p_settings.children) {
        const std::string& name = child.strName;
        if (child.strNamespace != ns::kSchema) {
            return p_changes.lacks(name);
        }
        bool ok = name == "BacklightCompensation" ? setBacklight(p_context, map, child, p_changes)
                  : name == "Brightness"          ? p_changes.number(child, map.brightness)
                  : name == "ColorSaturation"     ? p_changes.number(child, map.saturation)
                  : name == "Contrast"            ? p_changes.number(child, map.contrast)
                  : name == "Exposure"            ? setExposure(map, child, p_changes)
                  : name == "Focus" ? setPair(child, "Focus", "AutoFocusMode", map.focus, nullptr,
                                              FloatSetting(), nullptr, FloatSetting(), p_changes)
                  : name == "IrCutFilter"
                      ? (map.irCut.exists() ? p_changes.mode(child, map.irCut, "IrCutFilter")
                                            : p_changes.lacks("IrCutFilter"))
                  : name == "Sharpness" ? p_changes.number(child, map.sharpness)
                  : name == "WideDynamicRange"
                      ? setPair(child, "WideDynamicRange", "Mode", map.wdr, "Level", map.wdrLevel,
                                nullptr, FloatSetting(), p_changes)
                  : name == "WhiteBalance"
                      ? setPair(child, "WhiteBalance", "Mode", map.whiteBalance, "CrGain",
                                map.crGain, "CbGain", map.cbGain, p_changes)
                  : name == "Extension" ? setExtension(p_context, map, child, p_changes)
                                        : p_changes.lacks(name);
        if (!ok) {
            return false;
        }
    }
    return true;
}

}  // namespace

HttpResponse getImagingSettings(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    const ImagingMap& map = p_context.map;
    XmlWriter xml;
    xml.open("timg:ImagingSettings");
    std::string mode;
    int value = 0;
    if (currentMode(p_context, map.backlight, mode)) {
        xml.open("tt:BacklightCompensation").leaf("tt:Mode", mode).close();
    } else if (map.backlightLevel.exists() &&
               current(p_context, map.backlightLevel.descriptor(), value)) {
        xml.open("tt:BacklightCompensation")
            .leaf("tt:Mode", value != 0 ? "ON" : "OFF")
            .leaf("tt:Level", xmlFloat(value))
            .close();
    }
    writeFloat(p_context, xml, "tt:Brightness", map.brightness);
    writeFloat(p_context, xml, "tt:ColorSaturation", map.saturation);
    writeFloat(p_context, xml, "tt:Contrast", map.contrast);
    if (currentMode(p_context, map.exposure, mode)) {
        xml.open("tt:Exposure").leaf("tt:Mode", mode);
        writeFloat(p_context, xml, "tt:MinExposureTime", map.minExposureTime);
        writeFloat(p_context, xml, "tt:MaxExposureTime", map.maxExposureTime);
        writeFloat(p_context, xml, "tt:MaxGain", map.maxGain);
        writeFloat(p_context, xml, "tt:ExposureTime", map.exposureTime);
        writeFloat(p_context, xml, "tt:Gain", map.gain);
        writeFloat(p_context, xml, "tt:Iris", map.iris);
        xml.close();
    }
    if (currentMode(p_context, map.focus, mode)) {
        xml.open("tt:Focus").leaf("tt:AutoFocusMode", mode).close();
    }
    if (currentMode(p_context, map.irCut, mode)) {
        xml.leaf("tt:IrCutFilter", mode);
    }
    writeFloat(p_context, xml, "tt:Sharpness", map.sharpness);
    if (currentMode(p_context, map.wdr, mode)) {
        xml.open("tt:WideDynamicRange").leaf("tt:Mode", mode);
        writeFloat(p_context, xml, "tt:Level", map.wdrLevel);
        xml.close();
    }
    if (currentMode(p_context, map.whiteBalance, mode)) {
        xml.open("tt:WhiteBalance").leaf("tt:Mode", mode);
        writeFloat(p_context, xml, "tt:CrGain", map.crGain);
        writeFloat(p_context, xml, "tt:CbGain", map.cbGain);
        xml.close();
    }
    if (map.hasAutoAdjustment()) {
        xml.open("tt:Extension").open("tt:Extension").open("tt:IrCutFilterAutoAdjustment");
        xml.leaf("tt:BoundaryType", kBoundary);
        if (current(p_context, map.pDtn, value)) {
            xml.leaf("tt:BoundaryOffset", xmlFloat(map.boundaryOffset(value)));
        }
        if (current(p_context, map.pDelay, value)) {
            xml.leaf("tt:ResponseTime", xmlDuration(value));
        }
        xml.close().close().close();
    }
    return respond("timg:GetImagingSettingsResponse", xml.finish());
}

HttpResponse getOptions(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    const ImagingMap& map = p_context.map;
    XmlWriter xml;
    xml.open("timg:ImagingOptions");
    if (map.backlight.exists()) {
        xml.open("tt:BacklightCompensation");
        writeModes(xml, "tt:Mode", map.backlight);
        xml.close();
    } else if (map.backlightLevel.exists()) {
        xml.open("tt:BacklightCompensation").leaf("tt:Mode", "OFF").leaf("tt:Mode", "ON");
        writeRange(xml, "tt:Level", map.backlightLevel);
        xml.close();
    }
    writeRange(xml, "tt:Brightness", map.brightness);
    writeRange(xml, "tt:ColorSaturation", map.saturation);
    writeRange(xml, "tt:Contrast", map.contrast);
    if (map.exposure.exists()) {
        xml.open("tt:Exposure");
        writeModes(xml, "tt:Mode", map.exposure);
        writeRange(xml, "tt:MinExposureTime", map.minExposureTime);
        writeRange(xml, "tt:MaxExposureTime", map.maxExposureTime);
        writeRange(xml, "tt:MaxGain", map.maxGain);
        writeRange(xml, "tt:ExposureTime", map.exposureTime);
        writeRange(xml, "tt:Gain", map.gain);
        writeRange(xml, "tt:Iris", map.iris);
        xml.close();
    }
    if (map.focus.exists()) {
        xml.open("tt:Focus");
        writeModes(xml, "tt:AutoFocusModes", map.focus);
        xml.close();
    }
    writeModes(xml, "tt:IrCutFilterModes", map.irCut);
    writeRange(xml, "tt:Sharpness", map.sharpness);
    if (map.wdr.exists()) {
        xml.open("tt:WideDynamicRange");
        writeModes(xml, "tt:Mode", map.wdr);
        writeRange(xml, "tt:Level", map.wdrLevel);
        xml.close();
    }
    if (map.whiteBalance.exists()) {
        xml.open("tt:WhiteBalance");
        writeModes(xml, "tt:Mode", map.whiteBalance);
        writeRange(xml, "tt:YrGain", map.crGain);
        writeRange(xml, "tt:YbGain", map.cbGain);
        xml.close();
    }
    if (map.hasAutoAdjustment()) {
        xml.open("tt:Extension").open("tt:Extension").open("tt:IrCutFilterAutoAdjustment");
        xml.leaf("tt:BoundaryType", kBoundary);
        xml.leaf("tt:BoundaryOffset", xmlBool(map.pDtn != nullptr));
        if (map.pDelay != nullptr) {
            xml.open("tt:ResponseTimeRange")
                .leaf("tt:Min", xmlDuration(delayMin(map.pDelay)))
                .leaf("tt:Max", xmlDuration(map.pDelay->nMax))
                .close();
        }
        xml.close().close().close();
    }
    return respond("timg:GetOptionsResponse", xml.finish());
}

HttpResponse setImagingSettings(OnvifContext& p_context, const OnvifCall& p_call) {
    HttpResponse fault;
    if (!checkVideoSource(p_call, fault)) {
        return fault;
    }
    const XmlElement* settings = p_call.operation.child(ns::kImaging, "ImagingSettings");
    if (settings == nullptr) {
        return soapFaultResponse(senderFault("ter:InvalidArgVal", "ter:SettingsInvalid",
                                             "SetImagingSettings without ImagingSettings"));
    }
    bool persist = true;
    std::string text;
    if (argument(p_call.operation, ns::kImaging, "ForcePersistence", text) &&
        !parseXmlBool(text, persist)) {
        return soapFaultResponse(senderFault("ter:InvalidArgVal", "ter:SettingsInvalid",
                                             "ForcePersistence is true or false, not " + text));
    }
    Changes changes(p_context);
    readSettings(p_context, *settings, changes);
    // The module's own check too: a step, or a value it refuses within the
    // range.
    for (size_t n = 0; changes.ok() && n < changes.values().size(); ++n) {
        const auto& value = changes.values()[n];
        std::string refused = p_context.image.refusal(value.first, value.second);
        if (!refused.empty()) {
            changes.refuse(changes.nameOf(n) + ": " + refused);
        }
    }
    if (!changes.ok()) {
        return soapFaultResponse(
            senderFault("ter:InvalidArgVal", "ter:SettingsInvalid", changes.error()));
    }
    if (!changes.values().empty()) {
        ImageService::Result result =
            p_context.image.set(changes.values(), persist, p_call.strUser);
        if (!result.ok()) {
            return outcomeFault(result);
        }
    }
    return respond("timg:SetImagingSettingsResponse");
}
