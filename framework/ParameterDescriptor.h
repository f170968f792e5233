#ifndef SENSORCONTROL_FRAMEWORK_PARAMETERDESCRIPTOR_H
#define SENSORCONTROL_FRAMEWORK_PARAMETERDESCRIPTOR_H

#include <climits>
#include <cstddef>

#include "../platform/Export.h"

/// @file
/// ParameterDescriptor and its vocabulary: what a parameter id of a
/// controller takes and means, whatever the module.

/// How the value is chosen.
enum class ParameterKind : unsigned char {
    RANGE,      ///< An integer from nMin to nMax in steps of nStep (and any named value).
    MENU,       ///< One of the named codes in pEntries.
    ON_OFF,     ///< 0 off, 1 on.
    ACTION,     ///< A write does something once (a button); the value is not kept.
    READ_ONLY,  ///< Reported by the module; a write is not a setting.
};

/// What the number counts.
enum class ParameterUnit : unsigned char {
    /// A plain number, or a code.
    NONE,
    /// Percent.
    PERCENT,
    SHUTTER_DIVISOR,  ///< N in an exposure time of 1/N s.
    GAIN_STEP,        ///< A step on the module's gain scale.
    STEP,             ///< A position on a scale of the module's own.
    /// Hours of the day, 0..24.
    HOUR,
    /// Tens of minutes, 0..5.
    TEN_MINUTES,
    /// Minutes.
    MINUTE,
    /// Seconds.
    SECOND,
    RAW,  ///< A raw register value.
};

/// What the setting means, whatever the module. Several ids of one module
/// may share a role (a shutter in two exposure modes); NONE for settings no
/// standard interface has.
enum class ParameterRole : unsigned char {
    /// A setting no standard interface has.
    NONE,
    /// Picture brightness.
    BRIGHTNESS,
    /// Picture contrast.
    CONTRAST,
    /// Colour saturation.
    SATURATION,
    /// Sharpness (edge enhancement).
    SHARPNESS,
    /// Hue.
    HUE,
    /// Exposure mode (automatic, manual, shutter or iris priority, ...).
    EXPOSURE_MODE,
    /// Shutter speed (exposure time).
    SHUTTER,
    /// The slowest shutter the automatic exposure may use.
    MIN_SHUTTER,
    /// The fastest shutter the automatic exposure may use.
    MAX_SHUTTER,
    /// Sensor gain.
    GAIN,
    /// The highest gain the automatic exposure may use.
    MAX_GAIN,
    /// Iris mode (automatic, manual).
    IRIS_MODE,
    /// Iris opening (an f-stop position).
    IRIS_LEVEL,
    /// White balance mode.
    WB_MODE,
    /// Red gain of the manual white balance.
    RED_GAIN,
    /// Blue gain of the manual white balance.
    BLUE_GAIN,
    /// Wide dynamic range on, off or its mode.
    WDR_MODE,
    /// Wide dynamic range strength.
    WDR_LEVEL,
    /// Backlight compensation.
    BACKLIGHT_COMPENSATION,
    /// Highlight compensation (bright spots masked).
    HIGHLIGHT_COMPENSATION,
    /// Day/night mode. Its menu entries are named from "auto" (switched by the
    /// scene's light), "day", "night", "schedule" (by the clock) and "module"
    /// (the module's own judgement), so a host can set a mode on any module;
    /// codes of other meanings have names of their own.
    DAY_NIGHT_MODE,
    DTN_THRESHOLD,  ///< The scene level below which day turns to night.
    NTD_THRESHOLD,  ///< The scene level above which night turns to day.
    /// How long a new light level must last before day/night switches.
    DAY_NIGHT_DELAY,
    /// Infrared LED mode.
    IR_LED_MODE,
    /// Infrared LED power.
    IR_LED_LEVEL,
    /// Focus mode (automatic, manual, one push).
    FOCUS_MODE,
    /// Focus position.
    FOCUS_POSITION,
    /// Zoom position.
    ZOOM,
    /// Picture mirrored, flipped or both.
    MIRROR_FLIP,
    /// Spatial (2D) noise reduction.
    NOISE_REDUCTION_2D,
    /// Temporal (3D) noise reduction.
    NOISE_REDUCTION_3D,
    /// Defog.
    DEFOG,
    /// Anti-flicker (50/60 Hz lighting).
    ANTI_FLICKER,
    SCHEME_WINDOW,  ///< The active scheme's time window (ids 500-504).
};

// The entries of a DAY_NIGHT_MODE menu are named from "auto" (switched by
// the scene's light), "day", "night", "schedule" (by the clock) and
// "module" (the module's own judgement), so a host can set a mode on any
// module; codes of other meanings have names of their own.

/// One named code of a menu, or a named value beside a range (an iris that
/// takes 0 "close" below its f-stops).
struct ParameterMenuEntry {
    /// The code written for the entry.
    int nCode;
    /// Its name: lower case with dashes ("auto", "manual").
    const char* szName;
};

/// What a parameter id of a controller is: its name, what values it takes,
/// its factory value and what it means independent of the module. A host
/// builds a settings page, a remote API or a sanity check from these without
/// knowing the module. The data is constant and shared by all controllers of
/// a class; the controller's parameter table holds it beside the routing of
/// the id, and checks writes against it, so the two cannot drift apart.
///
/// A host walks them in id order, or asks by name or by role:
///
/// @code
///   ParameterDescriptor d;
///   for (int after = INT_MIN; controller.getNextParameterDescriptor(after, d); after = d.nId) {
///       char values[128];
///       d.describeValues(values, sizeof(values));  // "0..100", "0 auto, 1 manual"
///       printf("%d %s %s: %s\n", d.nId, d.szName, parameterRoleName(d.eRole), values);
///   }
///   if (controller.findParameterByRole(ParameterRole::WB_MODE, d)) {
///       int manual = 0;
///       if (d.entryCode("manual", manual)) controller.setParameter(d.nId, manual);
///   }
/// @endcode
struct SC_EXPORT ParameterDescriptor {
    /// The parameter id.
    int nId = 0;
    /// The id type the controller registered (IdManager's ID_TYPE_...);
    /// filled in when read through a controller.
    int nIdType = 0;
    /// Lower case with dashes, unique within the controller: "wb-mode".
    const char* szName = nullptr;
    /// How the value is chosen.
    ParameterKind eKind = ParameterKind::RANGE;
    /// What the number counts.
    ParameterUnit eUnit = ParameterUnit::NONE;
    /// What the setting means, whatever the module.
    ParameterRole eRole = ParameterRole::NONE;
    /// False when the module takes any value and passes it on unchecked;
    /// the range or menu then says what the value means, not what is refused.
    bool bChecked = true;
    /// RANGE: the smallest value.
    int nMin = INT_MIN;
    /// RANGE: the largest value.
    int nMax = INT_MAX;
    /// RANGE: the step between values, from nMin.
    int nStep = 1;
    /// MENU: the named codes; RANGE: named values beside the range.
    const ParameterMenuEntry* pEntries = nullptr;
    /// The number of entries in pEntries.
    int nEntries = 0;
    /// The factory value.
    int nFactory = 0;

    /// Whether a write of the value gets past the check (always, unchecked).
    bool takes(int p_nValue) const;
    /// The entry's name for a code; null when no entry has it.
    const char* entryName(int p_nCode) const;
    /// The code of an entry by name; 0 when no entry has it.
    int entryCode(const char* p_szName, int& p_nCode) const;
    /// "0..255", "0 auto, 1 indoor", "0 off, 1 on", "any value" into p_pBuffer
    /// (always terminated, cut to fit); the length it needed.
    int describeValues(char* p_pBuffer, size_t p_nSize) const;
};

/// Lower-case names for output: "range", "menu", "on-off", "action",
/// "read-only"; "", "%", "1/s", "gain-step", "step", "h", "10min", "min",
/// "s", "raw"; "brightness", "exposure-mode", "wb-mode", ..., "none".
SC_EXPORT const char* parameterKindName(ParameterKind p_eKind);
/// The unit's name for output ("%", "1/s", "h", ...; "" for NONE).
SC_EXPORT const char* parameterUnitName(ParameterUnit p_eUnit);
/// The role's name for output ("brightness", "wb-mode", ...).
SC_EXPORT const char* parameterRoleName(ParameterRole p_eRole);

/// Where a controller finds the descriptors of its ids.
class SC_EXPORT ParameterDescriptions {
public:
    virtual ~ParameterDescriptions();
    /// The id's descriptor into p_descriptor; 0 when the id has none here.
    virtual int describe(int p_nId, ParameterDescriptor& p_descriptor) const = 0;
    /// The descriptor of the smallest described id above p_nAfter; 0 past
    /// the last.
    virtual int describeNext(int p_nAfter, ParameterDescriptor& p_descriptor) const = 0;
};

/// A plain run of descriptors kept outside a parameter table.
class SC_EXPORT ParameterDescriptorList : public ParameterDescriptions {
public:
    /// A list over an array of descriptors in ascending id order, kept by the caller.
    constexpr ParameterDescriptorList(const ParameterDescriptor* p_pDescriptors, size_t p_nCount)
        : m_pDescriptors(p_pDescriptors), m_nCount(p_nCount) {}
    template <size_t N>
    /// A list over a whole array.
    constexpr explicit ParameterDescriptorList(const ParameterDescriptor (&p_descriptors)[N])
        : ParameterDescriptorList(p_descriptors, N) {}
    int describe(int p_nId, ParameterDescriptor& p_descriptor) const override;
    int describeNext(int p_nAfter, ParameterDescriptor& p_descriptor) const override;
    /// The descriptor itself; null when the list does not have the id.
    const ParameterDescriptor* find(int p_nId) const;

private:
    const ParameterDescriptor* m_pDescriptors;
    size_t m_nCount;
};

#endif
