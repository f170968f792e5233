#include "IdManager.h"

IdManager::IdManager() = default;

IdManager::~IdManager() = default;

std::set<int>* IdManager::setOf(int p_nType) {
    switch (p_nType) {
        case ID_TYPE_COMMON:
            return &m_commonIds;
        case ID_TYPE_ESPECIAL:
            return &m_especialIds;
        case ID_TYPE_SET_ONLY:
            return &m_setOnlyIds;
        case ID_TYPE_KEEP_DEFAULT:
            return &m_keepDefaultIds;
        default:
            return nullptr;
    }
}

void IdManager::addParameterId(int p_nType, int p_nId) {
    addParameterId(p_nType, p_nId, p_nId);
}

void IdManager::addParameterId(int p_nType, int p_nFirstId, int p_nLastId) {
    std::set<int>* ids = setOf(p_nType);
    if (ids == nullptr || p_nFirstId > p_nLastId) {
        return;
    }
    // Counted in long long so that a range ending at INT_MAX terminates.
    for (long long id = p_nFirstId; id <= p_nLastId; ++id) {
        ids->insert(ids->end(), static_cast<int>(id));
    }
}

int IdManager::isIdExist(int p_nId) const {
    return getIdType(p_nId) != ID_TYPE_NONE ? 1 : 0;
}

int IdManager::getIdType(int p_nId) const {
    if (m_keepDefaultIds.count(p_nId) != 0) {
        return ID_TYPE_KEEP_DEFAULT;
    }
    if (m_commonIds.count(p_nId) != 0) {
        return ID_TYPE_COMMON;
    }
    if (m_especialIds.count(p_nId) != 0) {
        return ID_TYPE_ESPECIAL;
    }
    if (m_setOnlyIds.count(p_nId) != 0) {
        return ID_TYPE_SET_ONLY;
    }
    return ID_TYPE_NONE;
}

int IdManager::getCommonIdList(std::set<int>& p_ids) const {
    p_ids = m_commonIds;
    return 1;
}

int IdManager::getEspecialIdList(std::set<int>& p_ids) const {
    p_ids = m_especialIds;
    return 1;
}

int IdManager::getSetOnlyIdList(std::set<int>& p_ids) const {
    p_ids = m_setOnlyIds;
    return 1;
}

int IdManager::getKeepDefaultValueList(std::set<int>& p_ids) const {
    p_ids = m_keepDefaultIds;
    return 1;
}
