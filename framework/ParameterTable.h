#ifndef SENSORCONTROL_FRAMEWORK_PARAMETERTABLE_H
#define SENSORCONTROL_FRAMEWORK_PARAMETERTABLE_H

#include <cstddef>
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

    static constexpr ParameterRow setting(int p_nId, const char* p_szSetter, Setting p_set,
                                          int p_nDefault, const char* p_szFailure = nullptr) {
        return {p_nId, SETTING, p_szSetter, p_set, 0, nullptr, p_nDefault, p_szFailure};
    }
    static constexpr ParameterRow base(int p_nId, int p_nSetting, const char* p_szSetter,
                                       const char* p_szFailure = nullptr) {
        return {p_nId, BASE_SETTING, p_szSetter, nullptr, p_nSetting, nullptr, 0, p_szFailure};
    }
    static constexpr ParameterRow action(int p_nId, const char* p_szSetter, Action p_action,
                                         int p_nDefault, const char* p_szFailure = nullptr) {
        return {p_nId, ACTION, p_szSetter, nullptr, 0, p_action, p_nDefault, p_szFailure};
    }
    static constexpr ParameterRow absent(int p_nId) {
        return {p_nId, ABSENT, nullptr, nullptr, 0, nullptr, 0, nullptr};
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
    // and the value, unless the row has a text of its own.
    explicit ParameterTable(std::initializer_list<ParameterList<Target> > p_lists,
                            const char* p_szFailureFormat = "%s error,value is %d")
        : m_lists(p_lists), m_szFailureFormat(p_szFailureFormat) {}

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
        // "setTNFMode" fails as "getTNFMode".
        p_owner.ErrorPrintf("get%s error,value is %d", row->szSetter + 3, p_nValue);
        return 0;
    }

private:
    std::vector<ParameterList<Target> > m_lists;
    const char* m_szFailureFormat;
};

#endif
