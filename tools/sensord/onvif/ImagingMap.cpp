#include "ImagingMap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "Soap.h"

namespace {

using Reads = std::vector<std::pair<int, std::string> >;
using Writes = std::vector<std::pair<std::string, int> >;
using Classify = std::string (*)(const std::string& p_strEntry);

bool startsWith(const std::string& p_strText, const char* p_szPrefix) {
    return p_strText.compare(0, std::strlen(p_szPrefix), p_szPrefix) == 0;
}

bool endsWith(const std::string& p_strText, const char* p_szSuffix) {
    size_t length = std::strlen(p_szSuffix);
    return p_strText.size() >= length &&
           p_strText.compare(p_strText.size() - length, length, p_szSuffix) == 0;
}

// The first descriptor of the role whose kind is one of p_kinds: the lowest
// id, as ImageService::findByRole, but an action sharing a role with a
// range (the cmd modules' iris-up beside iris) is passed over.
const ParameterDescriptor* byRole(const std::vector<ParameterDescriptor>& p_descriptors,
                                  ParameterRole p_eRole,
                                  std::initializer_list<ParameterKind> p_kinds) {
    for (const ParameterDescriptor& descriptor : p_descriptors) {
        if (descriptor.eRole == p_eRole &&
            std::find(p_kinds.begin(), p_kinds.end(), descriptor.eKind) != p_kinds.end()) {
            return &descriptor;
        }
    }
    return nullptr;
}

const ParameterDescriptor* rangeByRole(const std::vector<ParameterDescriptor>& p_descriptors,
                                       ParameterRole p_eRole) {
    return byRole(p_descriptors, p_eRole, {ParameterKind::RANGE});
}

bool finiteRange(const ParameterDescriptor* p_pDescriptor) {
    return p_pDescriptor != nullptr && p_pDescriptor->nMin != INT_MIN &&
           p_pDescriptor->nMax != INT_MAX && p_pDescriptor->nMax > p_pDescriptor->nMin;
}

// A menu read through p_classify; each ONVIF value writes the first of its
// preferred entries the menu has.
ModeMap menuMap(const ParameterDescriptor* p_pDescriptor, Classify p_classify,
                const std::vector<std::pair<std::string, std::vector<const char*> > >& p_writes) {
    if (p_pDescriptor == nullptr || p_pDescriptor->eKind != ParameterKind::MENU) {
        return ModeMap();
    }
    Reads reads;
    for (int n = 0; n < p_pDescriptor->nEntries; ++n) {
        const ParameterMenuEntry& entry = p_pDescriptor->pEntries[n];
        std::string value = p_classify(entry.szName);
        if (!value.empty()) {
            reads.emplace_back(entry.nCode, value);
        }
    }
    Writes writes;
    for (const auto& write : p_writes) {
        for (const char* name : write.second) {
            int code = 0;
            if (p_pDescriptor->entryCode(name, code)) {
                writes.emplace_back(write.first, code);
                break;
            }
        }
    }
    return ModeMap(p_pDescriptor, reads, writes);
}

// ON/OFF over a switch, or over a menu whose "off" (or "none", or else code
// 0) is off and whose other entries are some kind of on; ON writes "on", or
// the first entry that is not off.
ModeMap onOffMap(const ParameterDescriptor* p_pDescriptor) {
    if (p_pDescriptor == nullptr) {
        return ModeMap();
    }
    if (p_pDescriptor->eKind == ParameterKind::ON_OFF) {
        return ModeMap(p_pDescriptor, {{0, "OFF"}, {1, "ON"}}, {{"OFF", 0}, {"ON", 1}});
    }
    if (p_pDescriptor->eKind != ParameterKind::MENU || p_pDescriptor->nEntries == 0) {
        return ModeMap();
    }
    int off = 0;
    bool hasOff = p_pDescriptor->entryCode("off", off) || p_pDescriptor->entryCode("none", off);
    Reads reads;
    int on = 0;
    bool hasOn = p_pDescriptor->entryCode("on", on);
    for (int n = 0; n < p_pDescriptor->nEntries; ++n) {
        const ParameterMenuEntry& entry = p_pDescriptor->pEntries[n];
        bool isOff = hasOff ? (std::strcmp(entry.szName, "off") == 0 ||
                               std::strcmp(entry.szName, "none") == 0)
                            : entry.nCode == 0;
        reads.emplace_back(entry.nCode, isOff ? "OFF" : "ON");
        if (!isOff && !hasOn) {
            on = entry.nCode;
            hasOn = true;
        }
    }
    Writes writes;
    if (hasOff || p_pDescriptor->entryName(0) != nullptr) {
        writes.emplace_back("OFF", off);
    }
    if (hasOn) {
        writes.emplace_back("ON", on);
    }
    return ModeMap(p_pDescriptor, reads, writes);
}

// Exposure: the priority modes keep the exposure loop running, so they read
// as AUTO; "fixed" and "bright" (a manual brightness level) as MANUAL.
std::string exposureClass(const std::string& p_strEntry) {
    if (p_strEntry == "auto" || p_strEntry.find("priority") != std::string::npos) {
        return "AUTO";
    }
    if (p_strEntry == "manual" || p_strEntry == "fixed" || p_strEntry == "bright") {
        return "MANUAL";
    }
    return "";
}

// White balance: tracking modes ("atw", "outdoor-auto") are automatic; a
// fixed colour temperature (indoor, sodium-lamp) or one push is manual.
std::string whiteBalanceClass(const std::string& p_strEntry) {
    if (p_strEntry == "auto" || p_strEntry == "atw" || endsWith(p_strEntry, "-auto")) {
        return "AUTO";
    }
    return "MANUAL";
}

// The IR cut filter is on by day, off by night; the camera switching it
// (by light, by its own judgement or by the clock) reads as AUTO.
std::string irCutClass(const std::string& p_strEntry) {
    if (startsWith(p_strEntry, "day")) {
        return "ON";
    }
    if (startsWith(p_strEntry, "night")) {
        return "OFF";
    }
    if (p_strEntry == "auto" || startsWith(p_strEntry, "module") || p_strEntry == "schedule") {
        return "AUTO";
    }
    return "";
}

// Focus: autofocus triggered by a zoom, or at one of several speeds, is
// still autofocus; after one push the lens stays where it was put.
std::string focusClass(const std::string& p_strEntry) {
    if (startsWith(p_strEntry, "auto") || p_strEntry == "zoom-trigger") {
        return "AUTO";
    }
    if (p_strEntry == "manual" || p_strEntry == "one-push") {
        return "MANUAL";
    }
    return "";
}

}  // namespace

ModeMap::ModeMap(const ParameterDescriptor* p_pDescriptor,
                 std::vector<std::pair<int, std::string> > p_reads,
                 std::vector<std::pair<std::string, int> > p_writes)
    : m_pDescriptor(p_pDescriptor), m_reads(std::move(p_reads)), m_writes(std::move(p_writes)) {}

bool ModeMap::read(int p_nCode, std::string& p_strValue) const {
    for (const auto& entry : m_reads) {
        if (entry.first == p_nCode) {
            p_strValue = entry.second;
            return true;
        }
    }
    return false;
}

bool ModeMap::write(const std::string& p_strValue, int& p_nCode) const {
    for (const auto& entry : m_writes) {
        if (entry.first == p_strValue) {
            p_nCode = entry.second;
            return true;
        }
    }
    return false;
}

std::vector<std::string> ModeMap::values() const {
    std::vector<std::string> values;
    for (const auto& entry : m_writes) {
        values.push_back(entry.first);
    }
    return values;
}

FloatSetting::FloatSetting(const char* p_szName, const ParameterDescriptor* p_pDescriptor)
    : m_szName(p_szName), m_pDescriptor(p_pDescriptor) {}

bool FloatSetting::microseconds() const {
    return m_pDescriptor->eUnit == ParameterUnit::SHUTTER_DIVISOR;
}

double FloatSetting::toOnvif(int p_nValue) const {
    if (microseconds()) {
        return p_nValue > 0 ? 1e6 / p_nValue : 0;
    }
    return p_nValue;
}

double FloatSetting::min() const {
    if (microseconds()) {
        return 1e6 / std::max(m_pDescriptor->nMax, 1);
    }
    return m_pDescriptor->nMin;
}

double FloatSetting::max() const {
    if (microseconds()) {
        return 1e6 / std::max(m_pDescriptor->nMin, 1);
    }
    return m_pDescriptor->nMax;
}

bool FloatSetting::fromOnvif(double p_dValue, int& p_nValue, std::string& p_strWhy) const {
    // A little slack for a bound a client read back as text and returns.
    double slack = microseconds() ? 1e-6 * max() : 0;
    if (p_dValue < min() - slack || p_dValue > max() + slack) {
        p_strWhy = std::string(m_szName) + " must be between " + xmlFloat(min()) + " and " +
                   xmlFloat(max()) + "; " + xmlFloat(p_dValue) + " refused";
        return false;
    }
    if (microseconds()) {
        p_nValue = static_cast<int>(std::lround(1e6 / p_dValue));
        p_nValue =
            std::min(std::max(p_nValue, std::max(m_pDescriptor->nMin, 1)), m_pDescriptor->nMax);
    } else {
        p_nValue = static_cast<int>(std::lround(p_dValue));
    }
    if (!m_pDescriptor->takes(p_nValue)) {
        p_strWhy = std::string(m_szName) + " must be between " + xmlFloat(min()) + " and " +
                   xmlFloat(max()) + " in steps of " + std::to_string(m_pDescriptor->nStep) + "; " +
                   xmlFloat(p_dValue) + " refused";
        return false;
    }
    return true;
}

ImagingMap::ImagingMap(const std::vector<ParameterDescriptor>& p_descriptors) {
    using R = ParameterRole;
    using K = ParameterKind;
    brightness = FloatSetting("Brightness", rangeByRole(p_descriptors, R::BRIGHTNESS));
    saturation = FloatSetting("ColorSaturation", rangeByRole(p_descriptors, R::SATURATION));
    contrast = FloatSetting("Contrast", rangeByRole(p_descriptors, R::CONTRAST));
    sharpness = FloatSetting("Sharpness", rangeByRole(p_descriptors, R::SHARPNESS));

    const ParameterDescriptor* backlightDescriptor =
        byRole(p_descriptors, R::BACKLIGHT_COMPENSATION, {K::ON_OFF, K::MENU, K::RANGE});
    if (backlightDescriptor != nullptr && backlightDescriptor->eKind == K::RANGE) {
        // A level where 0 is off: Mode follows the level.
        if (backlightDescriptor->takes(0)) {
            backlightLevel = FloatSetting("BacklightCompensation Level", backlightDescriptor);
        }
    } else {
        backlight = onOffMap(backlightDescriptor);
    }

    const ParameterDescriptor* exposureDescriptor =
        byRole(p_descriptors, R::EXPOSURE_MODE, {K::MENU, K::RANGE});
    if (exposureDescriptor != nullptr && exposureDescriptor->eKind == K::RANGE) {
        // A bare 0..1 range (effio) counts 0 as automatic.
        if (exposureDescriptor->nMin == 0 && exposureDescriptor->nMax == 1) {
            exposure = ModeMap(exposureDescriptor, {{0, "AUTO"}, {1, "MANUAL"}},
                               {{"AUTO", 0}, {"MANUAL", 1}});
        }
    } else {
        exposure = menuMap(exposureDescriptor, exposureClass,
                           {{"AUTO", {"auto"}}, {"MANUAL", {"manual", "fixed"}}});
    }
    // A shutter counted as 1/N s is fastest at its largest N: the module's
    // "max-shutter" (fastest speed) is the shortest exposure it allows.
    const ParameterDescriptor* minShutter = rangeByRole(p_descriptors, R::MIN_SHUTTER);
    const ParameterDescriptor* maxShutter = rangeByRole(p_descriptors, R::MAX_SHUTTER);
    auto divisor = [](const ParameterDescriptor* p_pDescriptor) {
        return p_pDescriptor != nullptr && p_pDescriptor->eUnit == ParameterUnit::SHUTTER_DIVISOR;
    };
    const ParameterDescriptor* shortest = divisor(maxShutter) ? maxShutter : nullptr;
    const ParameterDescriptor* longest = divisor(minShutter) ? minShutter : nullptr;
    if (minShutter != nullptr && !divisor(minShutter) && shortest == nullptr) {
        shortest = minShutter;
    }
    if (maxShutter != nullptr && !divisor(maxShutter) && longest == nullptr) {
        longest = maxShutter;
    }
    minExposureTime = FloatSetting("MinExposureTime", shortest);
    maxExposureTime = FloatSetting("MaxExposureTime", longest);
    exposureTime = FloatSetting("ExposureTime", rangeByRole(p_descriptors, R::SHUTTER));
    maxGain = FloatSetting("MaxGain", rangeByRole(p_descriptors, R::MAX_GAIN));
    gain = FloatSetting("Gain", rangeByRole(p_descriptors, R::GAIN));
    iris = FloatSetting("Iris", rangeByRole(p_descriptors, R::IRIS_LEVEL));

    irCut = menuMap(byRole(p_descriptors, R::DAY_NIGHT_MODE, {K::MENU}), irCutClass,
                    {{"ON", {"day"}}, {"OFF", {"night"}}, {"AUTO", {"auto", "module"}}});
    const ParameterDescriptor* dtn = rangeByRole(p_descriptors, R::DTN_THRESHOLD);
    if (finiteRange(dtn)) {
        pDtn = dtn;
        pNtd = rangeByRole(p_descriptors, R::NTD_THRESHOLD);
    }
    pDelay = rangeByRole(p_descriptors, R::DAY_NIGHT_DELAY);

    whiteBalance = menuMap(byRole(p_descriptors, R::WB_MODE, {K::MENU}), whiteBalanceClass,
                           {{"AUTO", {"auto", "atw"}}, {"MANUAL", {"manual"}}});
    crGain = FloatSetting("WhiteBalance CrGain", rangeByRole(p_descriptors, R::RED_GAIN));
    cbGain = FloatSetting("WhiteBalance CbGain", rangeByRole(p_descriptors, R::BLUE_GAIN));

    wdr = onOffMap(byRole(p_descriptors, R::WDR_MODE, {K::ON_OFF, K::MENU}));
    wdrLevel = FloatSetting("WideDynamicRange Level", rangeByRole(p_descriptors, R::WDR_LEVEL));

    focus = menuMap(byRole(p_descriptors, R::FOCUS_MODE, {K::MENU}), focusClass,
                    {{"AUTO", {"auto"}}, {"MANUAL", {"manual", "one-push"}}});
    pFocusPosition = rangeByRole(p_descriptors, R::FOCUS_POSITION);
}

// The module's day/night levels count darkness (the day-to-night level lies
// above the night-to-day one), and ONVIF's -1 is the darkest boundary: the
// top of the day-to-night range.
double ImagingMap::boundaryOffset(int p_nDtn) const {
    double middle = (static_cast<double>(pDtn->nMin) + pDtn->nMax) / 2;
    double half = (static_cast<double>(pDtn->nMax) - pDtn->nMin) / 2;
    return std::min(1.0, std::max(-1.0, (middle - p_nDtn) / half));
}

int ImagingMap::dtnForOffset(double p_dOffset) const {
    double middle = (static_cast<double>(pDtn->nMin) + pDtn->nMax) / 2;
    double half = (static_cast<double>(pDtn->nMax) - pDtn->nMin) / 2;
    long level = std::lround(middle - p_dOffset * half);
    return static_cast<int>(std::min<long>(pDtn->nMax, std::max<long>(pDtn->nMin, level)));
}
