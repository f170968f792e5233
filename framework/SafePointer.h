#ifndef SENSORCONTROL_FRAMEWORK_SAFEPOINTER_H
#define SENSORCONTROL_FRAMEWORK_SAFEPOINTER_H
/// @file
/// SafePointer, the reference-counted handle of objects shared with the host.

#include <type_traits>
#include <typeinfo>

#include "../platform/Export.h"
#include "../platform/RefCount.h"

class ISensorController;

/// The untyped part of every SafePointer: its misuse reports.
class SC_EXPORT BaseSafePointer {
public:
    virtual ~BaseSafePointer();

protected:
    /// Prints "SafePointer Report:<type> <message>" and throws OVRuntimeError
    /// with that text.
    [[noreturn]] static void report(const char* p_szTypeName, const char* p_szMessage);
    /// The readable name of a type, kept for the life of the process.
    static const char* readableTypeName(const std::type_info& p_type);
};

/// A reference-counted handle to an object shared between the library and its
/// host (controllers, threads, logs, the serial port, the GPIO, XML nodes).
/// Copies and releases from several threads are serialised by the shared
/// record's lock; the last release deletes the object through its (virtual)
/// destructor, a controller's threads stopped first. Misuse - a null pointer, a handle whose object
/// is gone - throws OVRuntimeError. Build one SafePointer per object from its raw pointer and copy
/// that; two built from the same raw pointer would each delete it.
template <class T>
class SafePointer : public BaseSafePointer {
public:
    SafePointer() : m_pObject(nullptr), m_pRecord(nullptr) {}

    /// Takes ownership of a new object (not null); the first handle of it.
    explicit SafePointer(T* p_pObject) : m_pObject(nullptr), m_pRecord(nullptr) {
        if (p_pObject == nullptr) {
            ThrowNullPointerException("Construct from NULL original pointer");
        }
        m_pRecord = RefCountManager::getInstance()->retrieveRefCount(p_pObject, typeName());
        m_pObject = p_pObject;
    }

    /// Another handle of the same object (the source must not be empty).
    SafePointer(const SafePointer& p_other) : m_pObject(nullptr), m_pRecord(nullptr) {
        if (p_other.m_pObject == nullptr) {
            ThrowNullPointerException("Construct from NULL <T>pointer");
        }
        share(p_other);
    }

    /// Taking over from a temporary needs no record traffic; an empty source
    /// leaves an empty handle, so containers can move handles freely.
    SafePointer(SafePointer&& p_other) noexcept
        : m_pObject(p_other.m_pObject), m_pRecord(p_other.m_pRecord) {
        p_other.m_pObject = nullptr;
        p_other.m_pRecord = nullptr;
    }

    /// Releases this handle's object and shares the other's (not empty).
    SafePointer& operator=(const SafePointer& p_other) {
        if (p_other.m_pObject == nullptr) {
            ThrowNullPointerException("Assigned NULL <T>pointer");
        }
        if (this == &p_other) {
            return *this;
        }
        release();
        share(p_other);
        return *this;
    }

    /// A record found broken here cannot be reported by an exception from a
    /// destructor: the report is printed and the process ends.
    ~SafePointer() override { release(); }

    /// The object; throws OVRuntimeError for an empty handle.
    T* operator->() const {
        if (m_pObject == nullptr) {
            ThrowNullPointerException("Use NULL pointer ->");
        }
        return m_pObject;
    }

    /// The object; throws OVRuntimeError for an empty handle.
    T& operator*() const { return *operator->(); }

    /// The object, or null for an empty handle.
    T* get() const { return m_pObject; }
    /// Whether the handle is empty.
    bool isNull() const { return m_pObject == nullptr; }
    /// Whether the handle holds an object.
    explicit operator bool() const { return m_pObject != nullptr; }

    /// Drops this handle's reference; the handle is empty afterwards.
    void reset() { release(); }

    /// T's readable name, for reports.
    static const char* typeName() {
        static const char* s_szName = readableTypeName(typeid(T));
        return s_szName;
    }

private:
    [[noreturn]] static void ThrowNullPointerException(const char* p_szMessage) {
        report(typeName(), p_szMessage);
    }

    void share(const SafePointer& p_other) {
        ref_count* record = p_other.m_pRecord;
        if (record == nullptr) {
            ThrowNullPointerException("Already destructed 1");
        }
        if (record->lock() != 0) {
            ThrowNullPointerException("Already destructed 2");
        }
        if (record->getPointer() != static_cast<void*>(p_other.m_pObject)) {
            record->unlock();
            ThrowNullPointerException("not valid pointer in inc_reference ");
        }
        if (record->inc_reference() == 0) {
            record->unlock();
            ThrowNullPointerException("Already destructed 3");
        }
        m_pObject = p_other.m_pObject;
        m_pRecord = record;
        record->unlock();
    }

    /// A controller's threads may be anywhere in it: they stop before its
    /// first destructor runs, whichever class the handle names.
    static void stopThreadsOf(T* p_pObject) {
        if constexpr (std::is_base_of<ISensorController, T>::value) {
            p_pObject->stopThreads();
        }
    }

    void release() {
        if (m_pObject == nullptr) {
            return;
        }
        T* object = m_pObject;
        ref_count* record = m_pRecord;
        m_pObject = nullptr;
        m_pRecord = nullptr;
        if (record->lock() != 0) {
            ThrowNullPointerException("Already destructed 2");
        }
        if (record->getPointer() != static_cast<void*>(object)) {
            record->unlock();
            ThrowNullPointerException("not valid pointer in dec_reference");
        }
        if (record->dec_reference() != 0) {
            record->unlock();
            return;
        }
        // The count is zero, so no handle can take a new reference; the
        // object is deleted outside the record's lock, since its destructor
        // releases handles of its own (a node its items) and records nest in
        // no fixed order once they are reused.
        record->unlock();
        stopThreadsOf(object);
        delete object;
        record->lock();
        RefCountManager::getInstance()->returnbackRefCount(record, typeName());
        record->unlock();
    }

    T* m_pObject;
    ref_count* m_pRecord;
};

#endif
