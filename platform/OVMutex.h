#ifndef SENSORCONTROL_PLATFORM_OVMUTEX_H
#define SENSORCONTROL_PLATFORM_OVMUTEX_H
/// @file
/// OVMutex, the mutex that remembers its last locker, and its scoped holder.

#include <atomic>
#include <mutex>
#include <thread>

#include "Export.h"

/// A plain (non-recursive) mutex. lock and unlock take the caller's source file
/// and line; the last locker is kept so that a hang can be read off in gdb.
class SC_EXPORT OVMutex {
public:
    OVMutex() = default;
    OVMutex(const OVMutex&) = delete;
    OVMutex& operator=(const OVMutex&) = delete;

    /// Waits for the mutex and holds it; the place is kept as the last locker.
    void lock(const char* p_szFile = nullptr, int p_nLine = 0);
    /// Releases the mutex the caller holds.
    void unlock(const char* p_szFile = nullptr, int p_nLine = 0);
    /// Non-zero when the mutex was free and is now held.
    int tryLock(const char* p_szFile = nullptr, int p_nLine = 0);

    /// The source file of the last lock (null when none was given).
    const char* lastLockFile() const { return m_szLockFile.load(); }
    /// The source line of the last lock.
    int lastLockLine() const { return m_nLockLine.load(); }

private:
    std::mutex m_mutex;
    std::atomic<std::thread::id> m_holder{};
    std::atomic<const char*> m_szLockFile{nullptr};
    std::atomic<int> m_nLockLine{0};
};

/// Holds a mutex from its construction to its destruction.
class SC_EXPORT OVMutexManager {
public:
    /// Locks the mutex; the place goes to OVMutex::lock.
    explicit OVMutexManager(OVMutex& p_mutex, const char* p_szFile = nullptr, int p_nLine = 0);
    /// Locks the mutex the pointer names (not null).
    explicit OVMutexManager(OVMutex* p_pMutex, const char* p_szFile = nullptr, int p_nLine = 0);
    /// Unlocks the mutex.
    ~OVMutexManager();
    OVMutexManager(const OVMutexManager&) = delete;
    OVMutexManager& operator=(const OVMutexManager&) = delete;

private:
    OVMutex& m_mutex;
};

#endif
