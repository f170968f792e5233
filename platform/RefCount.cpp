#include "RefCount.h"

int ref_count::lock() {
    m_mutex.lock();
    if (!m_bInUse) {
        m_mutex.unlock();
        return 1;
    }
    return 0;
}

void ref_count::unlock() {
    m_mutex.unlock();
}

int ref_count::inc_reference() {
    if (m_nCount <= 0) {
        return 0;
    }
    ++m_nCount;
    return 1;
}

int ref_count::dec_reference() {
    if (m_nCount > 0) {
        --m_nCount;
    }
    return m_nCount;
}

RefCountManager* RefCountManager::getInstance() {
    // Never destroyed: handles in static objects may be released after exit
    // starts.
    static RefCountManager* s_pInstance = new RefCountManager();
    return s_pInstance;
}

ref_count* RefCountManager::retrieveRefCount(void* p_pObject, const char* p_szTypeName) {
    ref_count* record = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_free.empty()) {
            record = m_free.back();
            m_free.pop_back();
        }
        ++m_nInUse;
    }
    if (record == nullptr) {
        record = new ref_count();
    }
    std::lock_guard<std::mutex> recordGuard(record->m_mutex);
    record->m_pObject = p_pObject;
    record->m_szTypeName = p_szTypeName;
    record->m_nCount = 1;
    record->m_bInUse = true;
    return record;
}

void RefCountManager::returnbackRefCount(ref_count* p_pRecord, const char* /*p_szTypeName*/) {
    if (p_pRecord == nullptr) {
        return;
    }
    p_pRecord->m_pObject = nullptr;
    p_pRecord->m_nCount = 0;
    p_pRecord->m_bInUse = false;
    std::lock_guard<std::mutex> guard(m_mutex);
    m_free.push_back(p_pRecord);
    --m_nInUse;
}

std::size_t RefCountManager::inUseCount() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nInUse;
}
