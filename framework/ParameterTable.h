#ifndef SENSORCONTROL_FRAMEWORK_PARAMETERTABLE_H
#define SENSORCONTROL_FRAMEWORK_PARAMETERTABLE_H

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "ISensorController.h"

// Parameter ids routed by table: each row says what a write of the id does,
// what a read answers and the name its failure is logged under. Target is
// whatever holds the setters (a controller, or a command set it owns); the
// controller keeps the steps around the table (status check, the base's
// ids, pauses) in plain code.
template <class Target>
struct ParameterRow {
    enum Kind {
        ABSENT,        // not a parameter of this module, though its family has it
        SETTING,       // a setter of the target; reads ask its getter, or answer the factory value
        BASE_SETTING,  // one of the base's own settings, read back from the base
        ACTION,        // anything else, through a function; reads as for SETTING
        DEVICE         // a value the device takes and reports under codes of its own
    };
    typedef int (Target::*Setting)(int);
    typedef int (Target::*Getting)(int&);
    typedef int (*Action)(ISensorController& p_owner, Target& p_target, int p_nValue);

    int nId = 0;
    Kind eKind = ABSENT;
    // The setter's name, for the table's failure text.
    const char* szSetter = nullptr;
    Setting pfnSet = nullptr;
    int nBaseSetting = 0;
    Action pfnAction = nullptr;
    int nDefault = 0;
    // A failure text of the row's own instead of the table's; it may hold
    // one %d for the value. Empty: the setter logs why itself.
    const char* szFailure = nullptr;
    // A getter of the target that asks the module (SETTING and ACTION rows);
    // null when reads answer the factory value.
    Getting pfnGet = nullptr;
    // The getter's name ("get" + the setter's name after "set" when null)
    // and a read failure text of the row's own.
    const char* szGetter = nullptr;
    const char* szGetFailure = nullptr;
    // DEVICE rows: the codes that write and read the value, the largest value
    // taken (compared unsigned, so negatives are refused too; -1 takes any)
    // and the refusal text with %d, null for the device's own.
    int nSetCode = 0;
    int nGetCode = 0;
    int nMax = -1;
    const char* szRange = nullptr;

    static constexpr ParameterRow setting(int p_nId, const char* p_szSetter, Setting p_set,
                                          int p_nDefault, const char* p_szFailure = nullptr) {
        ParameterRow row = named(p_nId, SETTING, p_szSetter, p_szFailure);
        row.pfnSet = p_set;
        row.nDefault = p_nDefault;
        return row;
    }
    // A setter and its getter: reads ask the module.
    static constexpr ParameterRow readWrite(int p_nId, const char* p_szSetter, Setting p_set,
                                            Getting p_get, const char* p_szFailure = nullptr,
                                            const char* p_szGetFailure = nullptr) {
        ParameterRow row = named(p_nId, SETTING, p_szSetter, p_szFailure);
        row.pfnSet = p_set;
        row.pfnGet = p_get;
        row.szGetFailure = p_szGetFailure;
        return row;
    }
    static constexpr ParameterRow base(int p_nId, int p_nSetting, const char* p_szSetter,
                                       const char* p_szFailure = nullptr,
                                       const char* p_szGetFailure = nullptr) {
        ParameterRow row = named(p_nId, BASE_SETTING, p_szSetter, p_szFailure);
        row.nBaseSetting = p_nSetting;
        row.szGetFailure = p_szGetFailure;
        return row;
    }
    static constexpr ParameterRow action(int p_nId, const char* p_szSetter, Action p_action,
                                         int p_nDefault, const char* p_szFailure = nullptr) {
        ParameterRow row = named(p_nId, ACTION, p_szSetter, p_szFailure);
        row.pfnAction = p_action;
        row.nDefault = p_nDefault;
        return row;
    }
    // An action whose reads ask the module through the getter.
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
    // A value written with one device code and read with another; the
    // table's device hooks carry them out.
    static constexpr ParameterRow device(int p_nId, const char* p_szSetter, int p_nSetCode,
                                         int p_nMax, const char* p_szRange, const char* p_szFailure,
                                         const char* p_szGetter, int p_nGetCode,
                                         const char* p_szGetFailure) {
        ParameterRow row = named(p_nId, DEVICE, p_szSetter, p_szFailure);
        row.nSetCode = p_nSetCode;
        row.nMax = p_nMax;
        row.szRange = p_szRange;
        row.szGetter = p_szGetter;
        row.nGetCode = p_nGetCode;
        row.szGetFailure = p_szGetFailure;
        return row;
    }
    static constexpr ParameterRow absent(int p_nId) {
        return named(p_nId, ABSENT, nullptr, nullptr);
    }

    // Whether the value lies in the row's range (DEVICE rows).
    bool takes(int p_nValue) const {
        return nMax == -1 || static_cast<unsigned int>(p_nValue) <= static_cast<unsigned int>(nMax);
    }

private:
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

// A run of rows kept as static data.
template <class Target>
struct ParameterList {
    const ParameterRow<Target>* pRows;
    size_t nCount;

    template <size_t N>
    ParameterList(const ParameterRow<Target> (&p_rows)[N]) : pRows(p_rows), nCount(N) {}

    const ParameterRow<Target>* find(int p_nId) const {
        for (size_t index = 0; index < nCount; ++index) {
            if (pRows[index].nId == p_nId) {
                return &pRows[index];
            }
        }
        return nullptr;
    }
};

// The rows of one controller: its own lists first, then its family's, so a
// member renumbers or drops what the family has.
template <class Target>
class ParameterTable {
public:
    typedef ParameterRow<Target> Row;
    // How a controller with DEVICE rows writes and reads them.
    typedef int (Target::*DeviceWrite)(const Row& p_row, int p_nValue);
    typedef int (Target::*DeviceRead)(const Row& p_row, int& p_nValue);

    // p_szFailureFormat is logged for a failed write, with the setter's name
    // and the value, unless the row has a text of its own;
    // p_szReadFailureFormat for a failed read, with the getter's name.
    explicit ParameterTable(std::initializer_list<ParameterList<Target> > p_lists,
                            const char* p_szFailureFormat = "%s error,value is %d",
                            const char* p_szReadFailureFormat = "%s error,value is %d")
        : m_lists(p_lists),
          m_szFailureFormat(p_szFailureFormat),
          m_szReadFailureFormat(p_szReadFailureFormat) {}

    void append(const ParameterList<Target>& p_list) { m_lists.push_back(p_list); }
    void setDevice(DeviceWrite p_write, DeviceRead p_read) {
        m_pfnDeviceWrite = p_write;
        m_pfnDeviceRead = p_read;
    }

    // The id's row, ABSENT rows included; null when no list has the id.
    const Row* find(int p_nId) const {
        for (const ParameterList<Target>& list : m_lists) {
            if (const Row* row = list.find(p_nId)) {
                return row;
            }
        }
        return nullptr;
    }

    bool has(int p_nId) const {
        const Row* row = find(p_nId);
        return row != nullptr && row->eKind != Row::ABSENT;
    }

    // Writes the id: -1 when it is not a parameter of the table, otherwise
    // the setter's 1 or 0, a failure logged through the owner.
    int write(ISensorController& p_owner, Target& p_target, int p_nId, int p_nValue) const {
        const Row* row = find(p_nId);
        if (row == nullptr || row->eKind == Row::ABSENT) {
            return -1;
        }
        int result = 0;
        switch (row->eKind) {
            case Row::SETTING:
                result = (p_target.*(row->pfnSet))(p_nValue);
                break;
            case Row::BASE_SETTING:
                result = p_owner.setBaseSetting(row->nBaseSetting, p_nValue);
                break;
            case Row::DEVICE:
                result = (p_target.*m_pfnDeviceWrite)(*row, p_nValue);
                break;
            default:
                result = row->pfnAction(p_owner, p_target, p_nValue);
                break;
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

    // Reads the id without asking the module: -1 when it is not a parameter
    // of the table; the base's value for its settings ("get..." logged when
    // that fails); the factory value otherwise.
    int read(ISensorController& p_owner, int p_nId, int& p_nValue) const {
        const Row* row = find(p_nId);
        if (row == nullptr || row->eKind == Row::ABSENT) {
            return -1;
        }
        if (row->eKind != Row::BASE_SETTING) {
            p_nValue = row->nDefault;
            return 1;
        }
        if (p_owner.getBaseSetting(row->nBaseSetting, p_nValue)) {
            return 1;
        }
        readFailed(p_owner, *row, p_nValue);
        return 0;
    }

    // Reads the id, asking the module where the row has a getter: -1 when
    // it is not a parameter of the table, otherwise 1 or 0, a failure logged
    // through the owner.
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
    // A text of the row's own, or the table's with the getter's name:
    // "setTNFMode" fails as "getTNFMode".
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

    std::vector<ParameterList<Target> > m_lists;
    const char* m_szFailureFormat;
    const char* m_szReadFailureFormat;
    DeviceWrite m_pfnDeviceWrite = nullptr;
    DeviceRead m_pfnDeviceRead = nullptr;
};

#endif
