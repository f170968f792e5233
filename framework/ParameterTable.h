#ifndef SENSORCONTROL_FRAMEWORK_PARAMETERTABLE_H
#define SENSORCONTROL_FRAMEWORK_PARAMETERTABLE_H

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "ISensorController.h"
#include "ParameterDescriptor.h"

/// @file
/// Parameter ids routed by table: each row says what a write of the id does,
/// what a read answers, the name its failure is logged under and what the id
/// is (its descriptor). Target is whatever holds the setters (a controller,
/// or a command set it owns); the controller keeps the steps around the
/// table (status check, the base's ids, pauses) in plain code.
///
/// The descriptor is the check: a write outside the values it describes is
/// refused by the table before the row acts, so a setter holds no range of
/// its own. A row is described by chaining onto its builder:
///
/// @code
///   P::setting(1, "setSharpness", &C::setSharpness, 70)
///       .range("sharpness", ParameterRole::SHARPNESS, 0, 100, ParameterUnit::PERCENT)
/// @endcode
// The day/night modes the base runs, and its temporal noise filter's modes
// (tuned by the light, off, held at the manual strength).
/// The day/night modes the base runs.
inline constexpr ParameterMenuEntry kBaseDayNightModes[] = {
    {0, "auto"}, {1, "day"}, {2, "night"}, {3, "schedule"}, {4, "module"}};
/// The base's temporal noise filter modes (tuned by the light, off, held at
/// the manual strength).
inline constexpr ParameterMenuEntry kBaseTNFModes[] = {{0, "auto"}, {1, "off"}, {2, "manual"}};
// Menus many modules share: an automatic or manual mode, and the picture
// mirrored, flipped or both.
/// An automatic or manual mode.
inline constexpr ParameterMenuEntry kAutoManualModes[] = {{0, "auto"}, {1, "manual"}};
/// The picture mirrored, flipped or both.
inline constexpr ParameterMenuEntry kMirrorFlipModes[] = {
    {0, "off"}, {1, "mirror"}, {2, "flip"}, {3, "mirror-flip"}};

/// What a row says of its id, kept small since every row of every controller
/// holds one; read out whole as a ParameterDescriptor.
struct SC_EXPORT ParameterFacts {
    /// See ParameterDescriptor::szName.
    const char* szName = nullptr;
    /// See ParameterDescriptor::pEntries.
    const ParameterMenuEntry* pEntries = nullptr;
    /// See ParameterDescriptor::nMin.
    int nMin = INT_MIN;
    /// See ParameterDescriptor::nMax.
    int nMax = INT_MAX;
    /// See ParameterDescriptor::nFactory.
    int nFactory = 0;
    /// See ParameterDescriptor::nStep.
    short nStep = 1;
    /// See ParameterDescriptor::nEntries.
    unsigned char nEntries = 0;
    /// See ParameterDescriptor::eKind.
    ParameterKind eKind = ParameterKind::RANGE;
    /// See ParameterDescriptor::eUnit.
    ParameterUnit eUnit = ParameterUnit::NONE;
    /// See ParameterDescriptor::eRole.
    ParameterRole eRole = ParameterRole::NONE;
    /// See ParameterDescriptor::bChecked.
    bool bChecked = true;

    /// The facts as the descriptor of the id.
    ParameterDescriptor descriptor(int p_nId) const;
    /// ParameterDescriptor::takes; a row described by nothing takes any value.
    bool takes(int p_nValue) const;
};

/// @cond
// A list of rows whatever their target, and where every row keeps what the
// descriptors are read from: the describing is done once, in
// ParameterTable.cpp, not once per target.
struct ParameterRun {
    const void* pRows;
    size_t nCount;
};
struct ParameterRowLayout {
    size_t nStride;
    size_t nIdOffset;
    size_t nKindOffset;  // a one-byte kind, 0 for an absent row
    size_t nFactsOffset;
};
SC_EXPORT int describeParameterRow(const std::vector<ParameterRun>& p_runs,
                                   const ParameterRowLayout& p_layout, int p_nId,
                                   ParameterDescriptor& p_descriptor);
SC_EXPORT int describeNextParameterRow(const std::vector<ParameterRun>& p_runs,
                                       const ParameterRowLayout& p_layout, int p_nAfter,
                                       ParameterDescriptor& p_descriptor);
/// @endcond

/// One row of a parameter table: what a write of the id does, what a read
/// answers, and the id's descriptor. Built with the static builders (setting,
/// readWrite, base, action, device, absent), then described by chaining
/// (range, menu, onOff, button, readOnly, anyValue, and the modifiers).
template <class Target>
struct ParameterRow {
    /// What the row routes the id to.
    enum Kind : unsigned char {
        ABSENT,        ///< not a parameter of this module, though its family has it
        SETTING,       ///< a setter of the target; reads ask its getter or answer the factory value
        BASE_SETTING,  ///< one of the base's own settings, read back from the base
        ACTION,        ///< anything else, through a function; reads as for SETTING
        DEVICE         ///< a value the device takes and reports under codes of its own
    };
    /// A setter of the target: 1 on success.
    typedef int (Target::*Setting)(int);
    /// A getter of the target that asks the module: 1 on success.
    typedef int (Target::*Getting)(int&);
    /// An action: any steps, with the controller and the target at hand.
    typedef int (*Action)(ISensorController& p_owner, Target& p_target, int p_nValue);

    /// The parameter id.
    int nId = 0;
    /// What the row routes the id to.
    Kind eKind = ABSENT;
    /// BASE_SETTING rows: which of the base's settings.
    unsigned char nBaseSetting = 0;
    /// DEVICE rows: the codes that write and read the value.
    short nSetCode = 0;
    /// DEVICE rows: the code that reads the value.
    short nGetCode = 0;
    /// The setter's name, for the table's failure text.
    const char* szSetter = nullptr;
    /// SETTING rows: the setter.
    Setting pfnSet = nullptr;
    /// ACTION rows: the action.
    Action pfnAction = nullptr;
    /// Its nFactory is what reads answer for rows that do not ask the module.
    ParameterFacts facts;
    /// A failure text of the row's own instead of the table's; it may hold
    /// one %d for the value. Empty: the setter logs why itself.
    const char* szFailure = nullptr;
    /// A getter of the target that asks the module (SETTING and ACTION rows);
    /// null when reads answer the factory value.
    Getting pfnGet = nullptr;
    /// The getter's name ("get" + the setter's name after "set" when null)
    /// and a read failure text of the row's own.
    const char* szGetter = nullptr;
    /// A read failure text of the row's own (one %d for the value).
    const char* szGetFailure = nullptr;
    /// Logged with the value when the table refuses it, before the failure
    /// text; null for the table's refusal hook, or nothing.
    const char* szRange = nullptr;

    /// A setter; reads answer the factory value p_nDefault.
    static constexpr ParameterRow setting(int p_nId, const char* p_szSetter, Setting p_set,
                                          int p_nDefault, const char* p_szFailure = nullptr) {
        ParameterRow row = named(p_nId, SETTING, p_szSetter, p_szFailure);
        row.pfnSet = p_set;
        row.facts.nFactory = p_nDefault;
        return row;
    }
    /// A setter and its getter: reads ask the module.
    static constexpr ParameterRow readWrite(int p_nId, const char* p_szSetter, Setting p_set,
                                            Getting p_get, const char* p_szFailure = nullptr,
                                            const char* p_szGetFailure = nullptr) {
        ParameterRow row = named(p_nId, SETTING, p_szSetter, p_szFailure);
        row.pfnSet = p_set;
        row.pfnGet = p_get;
        row.szGetFailure = p_szGetFailure;
        return row;
    }
    /// One of the base's settings (an ISensorController::BaseSetting), described
    /// as the base takes it.
    static constexpr ParameterRow base(int p_nId, int p_nSetting, const char* p_szSetter,
                                       const char* p_szFailure = nullptr,
                                       const char* p_szGetFailure = nullptr) {
        ParameterRow row = named(p_nId, BASE_SETTING, p_szSetter, p_szFailure);
        row.nBaseSetting = static_cast<unsigned char>(p_nSetting);
        row.szGetFailure = p_szGetFailure;
        return row.describedAsBase();
    }
    /// An action; reads answer the factory value p_nDefault.
    static constexpr ParameterRow action(int p_nId, const char* p_szSetter, Action p_action,
                                         int p_nDefault, const char* p_szFailure = nullptr) {
        ParameterRow row = named(p_nId, ACTION, p_szSetter, p_szFailure);
        row.pfnAction = p_action;
        row.facts.nFactory = p_nDefault;
        return row;
    }
    /// An action whose reads ask the module through the getter.
    static constexpr ParameterRow actionWithGetter(int p_nId, const char* p_szSetter,
                                                   Action p_action, Getting p_get,
                                                   const char* p_szFailure = nullptr,
                                                   const char* p_szGetFailure = nullptr) {
        ParameterRow row = named(p_nId, ACTION, p_szSetter, p_szFailure);
        row.pfnAction = p_action;
        row.pfnGet = p_get;
        row.szGetFailure = p_szGetFailure;
        return row;
    }
    /// A value written with one device code and read with another; the
    /// table's device hooks carry them out.
    static constexpr ParameterRow device(int p_nId, const char* p_szSetter, int p_nSetCode,
                                         const char* p_szFailure, const char* p_szGetter,
                                         int p_nGetCode, const char* p_szGetFailure) {
        ParameterRow row = named(p_nId, DEVICE, p_szSetter, p_szFailure);
        row.nSetCode = static_cast<short>(p_nSetCode);
        row.szGetter = p_szGetter;
        row.nGetCode = static_cast<short>(p_nGetCode);
        row.szGetFailure = p_szGetFailure;
        return row;
    }
    /// An id of the family that this module does not have: neither read nor written.
    static constexpr ParameterRow absent(int p_nId) {
        return named(p_nId, ABSENT, nullptr, nullptr);
    }

    /// The row's descriptor.
    ParameterDescriptor descriptor() const { return facts.descriptor(nId); }
    /// Whether the descriptor takes the value (a row without one takes any).
    bool takes(int p_nValue) const { return facts.takes(p_nValue); }

    // ---- The descriptor ----
    /// Integers from p_nMin to p_nMax, in steps of p_nStep.
    constexpr ParameterRow range(const char* p_szName, ParameterRole p_eRole, int p_nMin,
                                 int p_nMax, ParameterUnit p_eUnit = ParameterUnit::NONE,
                                 int p_nStep = 1) const {
        ParameterRow row = described(p_szName, ParameterKind::RANGE, p_eRole, p_eUnit);
        row.facts.nMin = p_nMin;
        row.facts.nMax = p_nMax;
        row.facts.nStep = static_cast<short>(p_nStep);
        return row;
    }
    /// One of the named codes.
    template <size_t N>
    constexpr ParameterRow menu(const char* p_szName, ParameterRole p_eRole,
                                const ParameterMenuEntry (&p_entries)[N]) const {
        ParameterRow row = described(p_szName, ParameterKind::MENU, p_eRole, ParameterUnit::NONE);
        row.facts.pEntries = p_entries;
        row.facts.nEntries = static_cast<unsigned char>(N);
        return row;
    }
    /// 0 off, 1 on.
    constexpr ParameterRow onOff(const char* p_szName,
                                 ParameterRole p_eRole = ParameterRole::NONE) const {
        return described(p_szName, ParameterKind::ON_OFF, p_eRole, ParameterUnit::NONE);
    }
    /// Values beside a range that it also takes, by name.
    template <size_t N>
    constexpr ParameterRow also(const ParameterMenuEntry (&p_entries)[N]) const {
        ParameterRow row = *this;
        row.facts.pEntries = p_entries;
        row.facts.nEntries = static_cast<unsigned char>(N);
        return row;
    }
    /// A write that does something once; the value is not checked.
    constexpr ParameterRow button(const char* p_szName,
                                  ParameterRole p_eRole = ParameterRole::NONE) const {
        ParameterRow row = described(p_szName, ParameterKind::ACTION, p_eRole, ParameterUnit::NONE);
        row.facts.bChecked = false;
        return row;
    }
    /// A value the module reports; a write is not a setting and is not checked.
    constexpr ParameterRow readOnly(const char* p_szName, ParameterRole p_eRole,
                                    ParameterUnit p_eUnit = ParameterUnit::NONE) const {
        ParameterRow row = described(p_szName, ParameterKind::READ_ONLY, p_eRole, p_eUnit);
        row.facts.bChecked = false;
        return row;
    }
    /// Any value, passed on as it is: the module checks nothing.
    constexpr ParameterRow anyValue(const char* p_szName, ParameterRole p_eRole,
                                    ParameterUnit p_eUnit = ParameterUnit::NONE) const {
        ParameterRow row = described(p_szName, ParameterKind::RANGE, p_eRole, p_eUnit);
        row.facts.bChecked = false;
        return row;
    }
    /// The range or menu says what the value means, but the module takes any
    /// value and passes it on; the table refuses nothing.
    constexpr ParameterRow unchecked() const {
        ParameterRow row = *this;
        row.facts.bChecked = false;
        return row;
    }
    /// The factory value, for rows whose reads ask the module or the base.
    constexpr ParameterRow factory(int p_nValue) const {
        ParameterRow row = *this;
        row.facts.nFactory = p_nValue;
        return row;
    }
    /// The text logged, with the value, when the table refuses it.
    constexpr ParameterRow refusal(const char* p_szText) const {
        ParameterRow row = *this;
        row.szRange = p_szText;
        return row;
    }

private:
    /// The base's own settings are described here once, as the base takes
    /// them; a family that numbers or narrows one chains its own description.
    constexpr ParameterRow describedAsBase() const {
        typedef ISensorController I;
        typedef ParameterRole R;
        typedef ParameterUnit U;
        switch (nBaseSetting) {
            case I::BASE_DAYNIGHT_MODE:
                // The base keeps any mode; a module's own codes are its family's.
                return menu("daynight-mode", R::DAY_NIGHT_MODE, kBaseDayNightModes).unchecked();
            case I::BASE_DTN_HOUR:
                return range("dtn-hour", R::NONE, 0, 23, U::HOUR).unchecked().factory(18);
            case I::BASE_DTN_MINUTE:
                return range("dtn-minute", R::NONE, 0, 5, U::TEN_MINUTES).unchecked();
            case I::BASE_NTD_HOUR:
                return range("ntd-hour", R::NONE, 0, 23, U::HOUR).unchecked().factory(6);
            case I::BASE_NTD_MINUTE:
                return range("ntd-minute", R::NONE, 0, 5, U::TEN_MINUTES).unchecked();
            case I::BASE_DN_SWITCH_DELAY:
                return anyValue("daynight-delay", R::DAY_NIGHT_DELAY, U::SECOND).factory(5);
            case I::BASE_TNF:
                return range("tnf", R::NONE, 0, 100).unchecked();
            case I::BASE_TNF_MODE:
                return menu("tnf-mode", R::NOISE_REDUCTION_3D, kBaseTNFModes).unchecked();
            case I::BASE_NEAR_LIGHT:
                return lamp("near-light", "setNearLight(%d) out of range");
            case I::BASE_MIDDLE_LIGHT:
                return lamp("middle-light", "setMiddleLight(%d) out of range");
            case I::BASE_FAR_LIGHT:
                return lamp("far-light", "setFarLight(%d) out of range");
            case I::BASE_POWER_MODE:
                return range("power-mode", R::NONE, 0, I::LAMP_POWER_MODE_MAX)
                    .refusal("setPowerMode(%d) out of range");
            default:
                return *this;
        }
    }
    constexpr ParameterRow lamp(const char* p_szName, const char* p_szRefusal) const {
        return range(p_szName, ParameterRole::IR_LED_LEVEL, 0, ISensorController::LAMP_LEVEL_MAX,
                     ParameterUnit::PERCENT)
            .refusal(p_szRefusal)
            .factory(50);
    }

    /// A description of its own: only the factory value carries over.
    constexpr ParameterRow described(const char* p_szName, ParameterKind p_eKind,
                                     ParameterRole p_eRole, ParameterUnit p_eUnit) const {
        ParameterRow row = *this;
        row.facts = ParameterFacts{};
        row.facts.nFactory = facts.nFactory;
        row.facts.szName = p_szName;
        row.facts.eKind = p_eKind;
        row.facts.eRole = p_eRole;
        row.facts.eUnit = p_eUnit;
        return row;
    }

    static constexpr ParameterRow named(int p_nId, Kind p_eKind, const char* p_szSetter,
                                        const char* p_szFailure) {
        ParameterRow row{};
        row.nId = p_nId;
        row.eKind = p_eKind;
        row.szSetter = p_szSetter;
        row.szFailure = p_szFailure;
        return row;
    }
};

/// A run of rows kept as static data.
template <class Target>
struct ParameterList {
    /// The rows.
    const ParameterRow<Target>* pRows;
    /// The number of rows.
    size_t nCount;

    template <size_t N>
    /// A list over a static array of rows.
    ParameterList(const ParameterRow<Target> (&p_rows)[N]) : pRows(p_rows), nCount(N) {}

    /// The id's row; null when the list does not have it.
    const ParameterRow<Target>* find(int p_nId) const {
        for (size_t index = 0; index < nCount; ++index) {
            if (pRows[index].nId == p_nId) {
                return &pRows[index];
            }
        }
        return nullptr;
    }
};

/// The rows of one controller: its own lists first, then its family's, so a
/// member renumbers or drops what the family has. It is also where the
/// controller's descriptors are found (describeParametersBy).
template <class Target>
class ParameterTable : public ParameterDescriptions {
public:
    /// A row of this table.
    typedef ParameterRow<Target> Row;
    /// How a controller with DEVICE rows writes and reads them.
    typedef int (Target::*DeviceWrite)(const Row& p_row, int p_nValue);
    /// How a controller with DEVICE rows reads them.
    typedef int (Target::*DeviceRead)(const Row& p_row, int& p_nValue);
    /// Logs a refused value for rows without a refusal text of their own.
    typedef void (Target::*RefusalLog)(const Row& p_row, int p_nValue);

    /// p_szFailureFormat is logged for a failed write, with the setter's name
    /// and the value, unless the row has a text of its own;
    /// p_szReadFailureFormat for a failed read, with the getter's name.
    explicit ParameterTable(std::initializer_list<ParameterList<Target> > p_lists,
                            const char* p_szFailureFormat = "%s error,value is %d",
                            const char* p_szReadFailureFormat = "%s error,value is %d")
        : m_szFailureFormat(p_szFailureFormat), m_szReadFailureFormat(p_szReadFailureFormat) {
        m_runs.reserve(p_lists.size() + 1);
        for (const ParameterList<Target>& list : p_lists) {
            append(list);
        }
    }

    /// Adds a list after the others: its rows count only for ids no earlier list has.
    void append(const ParameterList<Target>& p_list) {
        m_runs.push_back(ParameterRun{p_list.pRows, p_list.nCount});
    }
    /// The hooks that write and read DEVICE rows.
    void setDevice(DeviceWrite p_write, DeviceRead p_read) {
        m_pfnDeviceWrite = p_write;
        m_pfnDeviceRead = p_read;
    }
    /// The hook that logs a refused value for rows without a refusal text.
    void setRefusalLog(RefusalLog p_log) { m_pfnRefusalLog = p_log; }

    /// The id's row, ABSENT rows included; null when no list has the id.
    const Row* find(int p_nId) const {
        for (const ParameterRun& run : m_runs) {
            const Row* rows = static_cast<const Row*>(run.pRows);
            for (size_t index = 0; index < run.nCount; ++index) {
                if (rows[index].nId == p_nId) {
                    return &rows[index];
                }
            }
        }
        return nullptr;
    }

    /// Whether the id is a parameter of the table (a row that is not ABSENT).
    bool has(int p_nId) const {
        const Row* row = find(p_nId);
        return row != nullptr && row->eKind != Row::ABSENT;
    }

    int describe(int p_nId, ParameterDescriptor& p_descriptor) const override {
        return describeParameterRow(m_runs, layout(), p_nId, p_descriptor);
    }
    int describeNext(int p_nAfter, ParameterDescriptor& p_descriptor) const override {
        return describeNextParameterRow(m_runs, layout(), p_nAfter, p_descriptor);
    }

    /// Writes the id: -1 when it is not a parameter of the table, otherwise
    /// the setter's 1 or 0, a failure logged through the owner. A value the
    /// descriptor does not take is refused before the row acts.
    int write(ISensorController& p_owner, Target& p_target, int p_nId, int p_nValue) const {
        const Row* row = find(p_nId);
        if (row == nullptr || row->eKind == Row::ABSENT) {
            return -1;
        }
        int result = 0;
        if (!row->takes(p_nValue)) {
            if (row->szRange != nullptr) {
                p_owner.ErrorPrintf(row->szRange, p_nValue);
            } else if (m_pfnRefusalLog != nullptr) {
                (p_target.*m_pfnRefusalLog)(*row, p_nValue);
            }
        } else {
            result = act(p_owner, p_target, *row, p_nValue);
        }
        if (result) {
            return 1;
        }
        if (row->szFailure != nullptr) {
            if (row->szFailure[0] != '\0') {
                p_owner.ErrorPrintf(row->szFailure, p_nValue);
            }
        } else {
            p_owner.ErrorPrintf(m_szFailureFormat, row->szSetter, p_nValue);
        }
        return 0;
    }

    /// Reads the id without asking the module: -1 when it is not a parameter
    /// of the table; the base's value for its settings ("get..." logged when
    /// that fails); the factory value otherwise.
    int read(ISensorController& p_owner, int p_nId, int& p_nValue) const {
        const Row* row = find(p_nId);
        if (row == nullptr || row->eKind == Row::ABSENT) {
            return -1;
        }
        if (row->eKind != Row::BASE_SETTING) {
            p_nValue = row->facts.nFactory;
            return 1;
        }
        if (p_owner.getBaseSetting(row->nBaseSetting, p_nValue)) {
            return 1;
        }
        readFailed(p_owner, *row, p_nValue);
        return 0;
    }

    /// Reads the id, asking the module where the row has a getter: -1 when
    /// it is not a parameter of the table, otherwise 1 or 0, a failure logged
    /// through the owner.
    int read(ISensorController& p_owner, Target& p_target, int p_nId, int& p_nValue) const {
        const Row* row = find(p_nId);
        if (row == nullptr || row->eKind == Row::ABSENT ||
            (row->pfnGet == nullptr && row->eKind != Row::DEVICE)) {
            return read(p_owner, p_nId, p_nValue);
        }
        int result = row->eKind == Row::DEVICE ? (p_target.*m_pfnDeviceRead)(*row, p_nValue)
                                               : (p_target.*(row->pfnGet))(p_nValue);
        if (result) {
            return 1;
        }
        readFailed(p_owner, *row, p_nValue);
        return 0;
    }

private:
    int act(ISensorController& p_owner, Target& p_target, const Row& p_row, int p_nValue) const {
        switch (p_row.eKind) {
            case Row::SETTING:
                return (p_target.*(p_row.pfnSet))(p_nValue);
            case Row::BASE_SETTING:
                return p_owner.setBaseSetting(p_row.nBaseSetting, p_nValue);
            case Row::DEVICE:
                return (p_target.*m_pfnDeviceWrite)(p_row, p_nValue);
            default:
                return p_row.pfnAction(p_owner, p_target, p_nValue);
        }
    }

    /// A text of the row's own, or the table's with the getter's name:
    /// "setTNFMode" fails as "getTNFMode".
    void readFailed(ISensorController& p_owner, const Row& p_row, int p_nValue) const {
        if (p_row.szGetFailure != nullptr) {
            p_owner.ErrorPrintf(p_row.szGetFailure, p_nValue);
            return;
        }
        char getter[64];
        const char* name = p_row.szGetter != nullptr ? p_row.szGetter : p_row.szSetter;
        if (p_row.szGetter == nullptr && std::strncmp(name, "set", 3) == 0) {
            std::snprintf(getter, sizeof(getter), "get%s", name + 3);
            name = getter;
        }
        p_owner.ErrorPrintf(m_szReadFailureFormat, name, p_nValue);
    }

    static_assert(std::is_standard_layout<Row>::value && sizeof(typename Row::Kind) == 1,
                  "rows are read by layout");
    static const ParameterRowLayout& layout() {
        static constexpr ParameterRowLayout kLayout{sizeof(Row), offsetof(Row, nId),
                                                    offsetof(Row, eKind), offsetof(Row, facts)};
        return kLayout;
    }

    std::vector<ParameterRun> m_runs;
    const char* m_szFailureFormat;
    const char* m_szReadFailureFormat;
    DeviceWrite m_pfnDeviceWrite = nullptr;
    DeviceRead m_pfnDeviceRead = nullptr;
    RefusalLog m_pfnRefusalLog = nullptr;
};

#endif
