#include "OVMutex.h"

#include "Clock.h"

void OVMutex::lock(const char* p_szFile, int p_nLine) {
    if (!m_mutex.try_lock()) {
        Clock::get().lockHeld(m_mutex, m_holder);
    }
    m_holder.store(std::this_thread::get_id());
    m_szLockFile.store(p_szFile);
    m_nLockLine.store(p_nLine);
}

void OVMutex::unlock(const char* /*p_szFile*/, int /*p_nLine*/) {
    m_holder.store(std::thread::id());
    m_mutex.unlock();
}

int OVMutex::tryLock(const char* p_szFile, int p_nLine) {
    if (!m_mutex.try_lock()) {
        return 0;
    }
    m_holder.store(std::this_thread::get_id());
    m_szLockFile.store(p_szFile);
    m_nLockLine.store(p_nLine);
    return 1;
}

OVMutexManager::OVMutexManager(OVMutex& p_mutex, const char* p_szFile, int p_nLine)
    : m_mutex(p_mutex) {
    m_mutex.lock(p_szFile, p_nLine);
}

OVMutexManager::OVMutexManager(OVMutex* p_pMutex, const char* p_szFile, int p_nLine)
    : OVMutexManager(*p_pMutex, p_szFile, p_nLine) {}

OVMutexManager::~OVMutexManager() {
    m_mutex.unlock();
}
