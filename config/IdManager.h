#ifndef SENSORCONTROL_CONFIG_IDMANAGER_H
#define SENSORCONTROL_CONFIG_IDMANAGER_H
/// @file
/// IdManager, the registry of a controller's parameter ids, and the id types.

#include <set>

#include "../platform/Export.h"

/// How a controller treats a parameter id (IdManager::getIdType()).
enum {
    /// Not registered.
    ID_TYPE_NONE = 0,
    /// Cached and saved in the current scheme's parameter file.
    ID_TYPE_COMMON = 1,
    /// Module-specific: cached, and saved in the especial and factory files as
    /// well as the scheme's.
    ID_TYPE_ESPECIAL = 2,
    /// Only written to the hardware (an action): neither cached nor saved.
    ID_TYPE_SET_ONLY = 3,
    /// Keeps the first value cached; later writes reach the hardware only.
    ID_TYPE_KEEP_DEFAULT = 4
};

/// The registry of a controller's parameter ids and how each is treated:
/// common and especial ids are cached and saved, set-only ids only reach the
/// hardware, keep-default ids keep their first cached value. Filled while the
/// controller is constructed, read-only afterwards, so it needs no lock.
class SC_EXPORT IdManager {
public:
    IdManager();
    ~IdManager();
    IdManager(const IdManager&) = delete;
    IdManager& operator=(const IdManager&) = delete;

    /// Types outside 1..4 are ignored.
    void addParameterId(int p_nType, int p_nId);
    /// Registers first..last, both included; nothing when first > last.
    void addParameterId(int p_nType, int p_nFirstId, int p_nLastId);

    /// Non-zero when the id is registered under any type.
    int isIdExist(int p_nId) const;
    /// Keep-default wins over common, common over especial, especial over
    /// set-only; 0 when the id is not registered.
    int getIdType(int p_nId) const;

    /// The common ids. Each of these lists replaces the caller's set with the
    /// ids of its type; 1.
    int getCommonIdList(std::set<int>& p_ids) const;
    /// The especial ids.
    int getEspecialIdList(std::set<int>& p_ids) const;
    /// The set-only ids.
    int getSetOnlyIdList(std::set<int>& p_ids) const;
    /// The keep-default ids.
    int getKeepDefaultValueList(std::set<int>& p_ids) const;

private:
    std::set<int>* setOf(int p_nType);

    std::set<int> m_commonIds;
    std::set<int> m_especialIds;
    std::set<int> m_setOnlyIds;
    std::set<int> m_keepDefaultIds;
};

#endif
