#ifndef SENSORD_ONVIF_IMAGINGMAP_H
#define SENSORD_ONVIF_IMAGINGMAP_H

#include <string>
#include <utility>
#include <vector>

#include "framework/ParameterDescriptor.h"

// An ONVIF enumeration (AUTO/MANUAL, ON/OFF, ...) over one of the module's
// menus. Modules name their entries in their own words: each entry reads as
// the ONVIF value it means, and each ONVIF value writes one entry. An entry
// that means none of them reads as nothing.
class ModeMap {
public:
    bool exists() const { return m_pDescriptor != nullptr && !m_writes.empty(); }
    const ParameterDescriptor* descriptor() const { return m_pDescriptor; }
    // The ONVIF value a module code reads as; false when it means none.
    bool read(int p_nCode, std::string& p_strValue) const;
    // The code that writes an ONVIF value; false when the module has none.
    bool write(const std::string& p_strValue, int& p_nCode) const;
    // The ONVIF values the module can be set to, in ONVIF's order.
    std::vector<std::string> values() const;

    // p_reads: each code that means an ONVIF value; p_writes: the code each
    // ONVIF value writes, in ONVIF's order.
    ModeMap(const ParameterDescriptor* p_pDescriptor,
            std::vector<std::pair<int, std::string> > p_reads,
            std::vector<std::pair<std::string, int> > p_writes);
    ModeMap() = default;

private:
    const ParameterDescriptor* m_pDescriptor = nullptr;
    std::vector<std::pair<int, std::string> > m_reads;
    std::vector<std::pair<std::string, int> > m_writes;
};

// A number ONVIF carries as an xs:float: the module's own value, or for a
// shutter counted as 1/N s, microseconds.
class FloatSetting {
public:
    FloatSetting() = default;
    FloatSetting(const char* p_szName, const ParameterDescriptor* p_pDescriptor);

    bool exists() const { return m_pDescriptor != nullptr; }
    const ParameterDescriptor* descriptor() const { return m_pDescriptor; }
    const char* name() const { return m_szName; }
    double toOnvif(int p_nValue) const;
    // The range GetOptions gives.
    double min() const;
    double max() const;
    // The module's value for an ONVIF value; false with a reason naming the
    // setting and its range ("Brightness must be between 0 and 100; 300
    // refused").
    bool fromOnvif(double p_dValue, int& p_nValue, std::string& p_strWhy) const;

private:
    bool microseconds() const;

    const char* m_szName = "";
    const ParameterDescriptor* m_pDescriptor = nullptr;
};

// The module's descriptors read as ONVIF's imaging settings, by their
// roles; what the module lacks is left empty. Built once: descriptors never
// change for a controller.
struct ImagingMap {
    explicit ImagingMap(const std::vector<ParameterDescriptor>& p_descriptors);

    FloatSetting brightness;
    FloatSetting saturation;
    FloatSetting contrast;
    FloatSetting sharpness;

    // BacklightCompensation: a switch or a menu (mode), or a level where 0
    // is off (backlightLevel, its Mode derived).
    ModeMap backlight;
    FloatSetting backlightLevel;

    ModeMap exposure;
    FloatSetting minExposureTime;
    FloatSetting maxExposureTime;
    FloatSetting exposureTime;
    FloatSetting maxGain;
    FloatSetting gain;
    FloatSetting iris;

    ModeMap irCut;
    const ParameterDescriptor* pDtn = nullptr;  // with a finite range only
    const ParameterDescriptor* pNtd = nullptr;
    const ParameterDescriptor* pDelay = nullptr;

    ModeMap whiteBalance;
    FloatSetting crGain;
    FloatSetting cbGain;

    ModeMap wdr;
    FloatSetting wdrLevel;

    ModeMap focus;
    const ParameterDescriptor* pFocusPosition = nullptr;  // a range only

    bool hasAutoAdjustment() const {
        return irCut.exists() && (pDtn != nullptr || pDelay != nullptr);
    }
    // BoundaryOffset (-1 darkest .. 1) for a day-to-night level, and back.
    double boundaryOffset(int p_nDtn) const;
    int dtnForOffset(double p_dOffset) const;
};

#endif
