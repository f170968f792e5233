#ifndef SENSORCONTROL_PLATFORM_REFCOUNT_H
#define SENSORCONTROL_PLATFORM_REFCOUNT_H
/// @file
/// The pooled reference records behind SafePointer.

#include <cstddef>
#include <mutex>
#include <vector>

#include "Export.h"

/// The shared reference record behind a SafePointer: the object's address, a
/// count and a lock. Records are pooled and never freed, so that a handle that
/// outlived its object still finds a record that says so instead of freed
/// memory.
class SC_EXPORT ref_count {
public:
    ref_count() = default;
    ref_count(const ref_count&) = delete;
    ref_count& operator=(const ref_count&) = delete;

    /// 0 when the record is in use and now locked; non-zero when it was given
    /// back to the pool (the lock is then not held).
    int lock();
    /// Releases the lock lock() took.
    void unlock();
    /// Call with the lock held. Non-zero on success; 0 when the count had
    /// already dropped to zero.
    int inc_reference();
    /// Call with the lock held. The count left after the decrement.
    int dec_reference();
    /// The object the record counts (null when back in the pool).
    void* getPointer() const { return m_pObject; }
    /// The object's type name, for reports.
    const char* getTypeName() const { return m_szTypeName; }

private:
    friend class RefCountManager;
    std::mutex m_mutex;
    void* m_pObject = nullptr;
    const char* m_szTypeName = "";
    int m_nCount = 0;
    bool m_bInUse = false;
};

/// Hands out and takes back reference records.
class SC_EXPORT RefCountManager {
public:
    /// The one pool of the process.
    static RefCountManager* getInstance();

    /// A record for the object with count 1.
    ref_count* retrieveRefCount(void* p_pObject, const char* p_szTypeName);
    /// Gives a record back; called with the record locked, after the object
    /// was deleted.
    void returnbackRefCount(ref_count* p_pRecord, const char* p_szTypeName);
    /// Records currently in use (for diagnostics and tests).
    std::size_t inUseCount();

private:
    RefCountManager() = default;
    std::mutex m_mutex;
    std::vector<ref_count*> m_free;
    std::size_t m_nInUse = 0;
};

#endif
