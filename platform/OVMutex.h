#ifndef SENSORCONTROL_PLATFORM_OVMUTEX_H
#define SENSORCONTROL_PLATFORM_OVMUTEX_H

#include <atomic>
#include <mutex>
#include <thread>

#include "Export.h"

// A plain (non-recursive) mutex. lock and unlock take the caller's source file
// and line; the last locker is kept so that a hang can be read off in gdb.
class SC_EXPORT OVMutex {
public:
    OVMutex() = default;
    OVMutex(const OVMutex&) = delete;
    OVMutex& operator=(const OVMutex&) = delete;

    void lock(const char* p_szFile = nullptr, int p_nLine = 0);
    void unlock(const char* p_szFile = nullptr, int p_nLine = 0);
    // Non-zero when the mutex was free and is now held.
    int tryLock(const char* p_szFile = nullptr, int p_nLine = 0);

    const char* lastLockFile() const { return m_szLockFile.load(); }
    int lastLockLine() const { return m_nLockLine.load(); }

private:
    std::mutex m_mutex;
    std::atomic<std::thread::id> m_holder{};
    std::atomic<const char*> m_szLockFile{nullptr};
    std::atomic<int> m_nLockLine{0};
};

// Holds a mutex from its construction to its destruction.
class SC_EXPORT OVMutexManager {
public:
    explicit OVMutexManager(OVMutex& p_mutex, const char* p_szFile = nullptr, int p_nLine = 0);
    explicit OVMutexManager(OVMutex* p_pMutex, const char* p_szFile = nullptr, int p_nLine = 0);
    ~OVMutexManager();
    OVMutexManager(const OVMutexManager&) = delete;
    OVMutexManager& operator=(const OVMutexManager&) = delete;

private:
    OVMutex& m_mutex;
};

#endif
