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
        SETTING,       // a setter of the target; reads answer the factory value
        BASE_SETTING,  // one of the base's own settings, read back from the base
        ACTION         // anything else, through a function; reads answer the factory value
    };
    typedef int (Target::*Setting)(int);
    typedef int (Target::*Getting)(int&);
    typedef int (*Action)(ISensorController& p_owner, Target& p_target, int p_nValue);

    int nId;
    Kind eKind;
    // The setter's name, for the table's failure text.
    const char* szSetter;
    Setting pfnSet;
    int nBaseSetting;
    Action pfnAction;
    int nDefault;
    // A failure text of the row's own instead of the table's; it may hold
    // one %d for the value.
    const char* szFailure;
    // A getter of the target that asks the module (SETTING and ACTION rows);
    // null when reads answer the factory value.
    Getting pfnGet;

    static constexpr ParameterRow setting(int p_nId, const char* p_szSetter, Setting p_set,
                                          int p_nDefault, const char* p_szFailure = nullptr) {
        return {p_nId, SETTING, p_szSetter, p_set, 0, nullptr, p_nDefault, p_szFailure, nullptr};
    }
    // A setter and its getter, named "set..." and "get...": reads ask the
    // module.
    static constexpr ParameterRow readWrite(int p_nId, const char* p_szSetter, Setting p_set,
                                            Getting p_get, const char* p_szFailure = nullptr) {
        return {p_nId, SETTING, p_szSetter, p_set, 0, nullptr, 0, p_szFailure, p_get};
    }
    static constexpr ParameterRow base(int p_nId, int p_nSetting, const char* p_szSetter,
                                       const char* p_szFailure = nullptr) {
        return {p_nId, BASE_SETTING, p_szSetter, nullptr, p_nSetting, nullptr,
                0,     p_szFailure,  nullptr};
    }
    static constexpr ParameterRow action(int p_nId, const char* p_szSetter, Action p_action,
                                         int p_nDefault, const char* p_szFailure = nullptr) {
        return {p_nId, ACTION, p_szSetter, nullptr, 0, p_action, p_nDefault, p_szFailure, nullptr};
    }
    // An action whose reads ask the module through the getter.
    static constexpr ParameterRow actionWithGetter(int p_nId, const char* p_szSetter,
                                                   Action p_action, Getting p_get) {
        return {p_nId, ACTION, p_szSetter, nullptr, 0, p_action, 0, nullptr, p_get};
    }
    static constexpr ParameterRow absent(int p_nId) {
        return {p_nId, ABSENT, nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr};
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
            default:
                result = row->pfnAction(p_owner, p_target, p_nValue);
                break;
        }
        if (result) {
            return 1;
        }
        if (row->szFailure != nullptr) {
            p_owner.ErrorPrintf(row->szFailure, p_nValue);
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
        if (row == nullptr || row->eKind == Row::ABSENT || row->pfnGet == nullptr) {
            return read(p_owner, p_nId, p_nValue);
        }
        if ((p_target.*(row->pfnGet))(p_nValue)) {
            return 1;
        }
        readFailed(p_owner, *row, p_nValue);
        return 0;
    }

private:
    // "setTNFMode" fails as "getTNFMode".
    void readFailed(ISensorController& p_owner, const Row& p_row, int p_nValue) const {
        char getter[64];
        const char* name = p_row.szSetter;
        if (std::strncmp(name, "set", 3) == 0) {
            std::snprintf(getter, sizeof(getter), "get%s", name + 3);
            name = getter;
        }
        p_owner.ErrorPrintf(m_szReadFailureFormat, name, p_nValue);
    }

    std::vector<ParameterList<Target> > m_lists;
    const char* m_szFailureFormat;
    const char* m_szReadFailureFormat;
};

#endif
