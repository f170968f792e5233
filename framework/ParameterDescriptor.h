#ifndef SENSORCONTROL_FRAMEWORK_PARAMETERDESCRIPTOR_H
#define SENSORCONTROL_FRAMEWORK_PARAMETERDESCRIPTOR_H

#include <climits>
#include <cstddef>

#include "../platform/Export.h"

// What a parameter id of a controller is: its name, what values it takes,
// its factory value and what it means independent of the module. A host
// builds a settings page, a remote API or a sanity check from these without
// knowing the module. The data is constant and shared by all controllers of
// a class; the controller's parameter table holds it beside the routing of
// the id, and checks writes against it, so the two cannot drift apart.
//
// A host walks them in id order, or asks by name or by role:
//
//   ParameterDescriptor d;
//   for (int after = INT_MIN; controller.getNextParameterDescriptor(after, d); after = d.nId) {
//       char values[128];
//       d.describeValues(values, sizeof(values));  // "0..100", "0 auto, 1 manual"
//       printf("%d %s %s: %s\n", d.nId, d.szName, parameterRoleName(d.eRole), values);
//   }
//   if (controller.findParameterByRole(ParameterRole::WB_MODE, d)) {
//       int manual = 0;
//       if (d.entryCode("manual", manual)) controller.setParameter(d.nId, manual);
//   }

// How the value is chosen.
enum class ParameterKind : unsigned char {
    RANGE,      // an integer from nMin to nMax in steps of nStep (and any named value)
    MENU,       // one of the named codes in pEntries
    ON_OFF,     // 0 off, 1 on
    ACTION,     // a write does something once (a button); the value is not kept
    READ_ONLY,  // reported by the module; a write is not a setting
};

// What the number counts.
enum class ParameterUnit : unsigned char {
    NONE,
    PERCENT,
    SHUTTER_DIVISOR,  // N in an exposure time of 1/N s
    GAIN_STEP,        // a step on the module's gain scale
    STEP,             // a position on a scale of the module's own
    HOUR,
    TEN_MINUTES,
    MINUTE,
    SECOND,
    RAW,  // a raw register value
};

// What the setting means, whatever the module. Several ids of one module
// may share a role (a shutter in two exposure modes); NONE for settings no
// standard interface has.
enum class ParameterRole : unsigned char {
    NONE,
    BRIGHTNESS,
    CONTRAST,
    SATURATION,
    SHARPNESS,
    HUE,
    EXPOSURE_MODE,
    SHUTTER,
    MIN_SHUTTER,
    MAX_SHUTTER,
    GAIN,
    MAX_GAIN,
    IRIS_MODE,
    IRIS_LEVEL,
    WB_MODE,
    RED_GAIN,
    BLUE_GAIN,
    WDR_MODE,
    WDR_LEVEL,
    BACKLIGHT_COMPENSATION,
    HIGHLIGHT_COMPENSATION,
    DAY_NIGHT_MODE,
    DTN_THRESHOLD,  // the scene level below which day turns to night
    NTD_THRESHOLD,  // the scene level above which night turns to day
    DAY_NIGHT_DELAY,
    IR_LED_MODE,
    IR_LED_LEVEL,
    FOCUS_MODE,
    FOCUS_POSITION,
    ZOOM,
    MIRROR_FLIP,
    NOISE_REDUCTION_2D,
    NOISE_REDUCTION_3D,
    DEFOG,
    ANTI_FLICKER,
    SCHEME_WINDOW,  // the active scheme's time window (ids 500-504)
};

// The entries of a DAY_NIGHT_MODE menu are named from "auto" (switched by
// the scene's light), "day", "night", "schedule" (by the clock) and
// "module" (the module's own judgement), so a host can set a mode on any
// module; codes of other meanings have names of their own.

// One named code of a menu, or a named value beside a range (an iris that
// takes 0 "close" below its f-stops).
struct ParameterMenuEntry {
    int nCode;
    const char* szName;
};

struct SC_EXPORT ParameterDescriptor {
    int nId = 0;
    // The id type the controller registered (IdManager's ID_TYPE_...);
    // filled in when read through a controller.
    int nIdType = 0;
    // Lower case with dashes, unique within the controller: "wb-mode".
    const char* szName = nullptr;
    ParameterKind eKind = ParameterKind::RANGE;
    ParameterUnit eUnit = ParameterUnit::NONE;
    ParameterRole eRole = ParameterRole::NONE;
    // False when the module takes any value and passes it on unchecked;
    // the range or menu then says what the value means, not what is refused.
    bool bChecked = true;
    int nMin = INT_MIN;
    int nMax = INT_MAX;
    int nStep = 1;
    const ParameterMenuEntry* pEntries = nullptr;
    int nEntries = 0;
    int nFactory = 0;

    // Whether a write of the value gets past the check (always, unchecked).
    bool takes(int p_nValue) const;
    // The entry's name for a code; null when no entry has it.
    const char* entryName(int p_nCode) const;
    // The code of an entry by name; 0 when no entry has it.
    int entryCode(const char* p_szName, int& p_nCode) const;
    // "0..255", "0 auto, 1 indoor", "0 off, 1 on", "any value" into p_pBuffer
    // (always terminated, cut to fit); the length it needed.
    int describeValues(char* p_pBuffer, size_t p_nSize) const;
};

// Lower-case names for output: "range", "menu", "on-off", "action",
// "read-only"; "", "%", "1/s", "gain-step", "step", "h", "10min", "min",
// "s", "raw"; "brightness", "exposure-mode", "wb-mode", ..., "none".
SC_EXPORT const char* parameterKindName(ParameterKind p_eKind);
SC_EXPORT const char* parameterUnitName(ParameterUnit p_eUnit);
SC_EXPORT const char* parameterRoleName(ParameterRole p_eRole);

// Where a controller finds the descriptors of its ids.
class SC_EXPORT ParameterDescriptions {
public:
    virtual ~ParameterDescriptions();
    // The id's descriptor into p_descriptor; 0 when the id has none here.
    virtual int describe(int p_nId, ParameterDescriptor& p_descriptor) const = 0;
    // The descriptor of the smallest described id above p_nAfter; 0 past
    // the last.
    virtual int describeNext(int p_nAfter, ParameterDescriptor& p_descriptor) const = 0;
};

// A plain run of descriptors kept outside a parameter table.
class SC_EXPORT ParameterDescriptorList : public ParameterDescriptions {
public:
    constexpr ParameterDescriptorList(const ParameterDescriptor* p_pDescriptors, size_t p_nCount)
        : m_pDescriptors(p_pDescriptors), m_nCount(p_nCount) {}
    template <size_t N>
    constexpr explicit ParameterDescriptorList(const ParameterDescriptor (&p_descriptors)[N])
        : ParameterDescriptorList(p_descriptors, N) {}
    int describe(int p_nId, ParameterDescriptor& p_descriptor) const override;
    int describeNext(int p_nAfter, ParameterDescriptor& p_descriptor) const override;
    // The descriptor itself; null when the list does not have the id.
    const ParameterDescriptor* find(int p_nId) const;

private:
    const ParameterDescriptor* m_pDescriptors;
    size_t m_nCount;
};

#endif
