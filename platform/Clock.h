#ifndef SENSORCONTROL_PLATFORM_CLOCK_H
#define SENSORCONTROL_PLATFORM_CLOCK_H
/// @file
/// The clock seam: the real clock, the virtual clock of tests and simulations,
/// and sleeps a stop cuts short.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "Export.h"
#include "OVDeviceTime.h"

/// Lets a thread's sleeps be cut short: GThread::stop wakes its thread out of
/// the one-second sleeps of its body at once instead of waiting them out.
/// Once stopping, the thread's further sleeps last at most 10 ms (real clock)
/// or pass at once (virtual clock), so the body finishes quickly.
class SC_EXPORT WaitInterrupt {
public:
    /// Wakes the thread out of its sleep, and makes its further sleeps short.
    void request();
    /// Clears a request, for a thread started again.
    void reset();
    /// Whether a request is pending.
    bool isRequested();
    /// Sleeps up to the given real time; true when woken by request().
    bool sleepFor(double p_dSeconds);

    /// The interrupt of the calling thread (set by GThread), or null.
    static WaitInterrupt* current();
    /// Sets the interrupt of the calling thread (null: none).
    static void setCurrent(WaitInterrupt* p_pInterrupt);

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bRequested = false;
};

/// The clock seam: every wait, every time-of-day reading and every elapsed-time
/// reading of the library goes through the installed clock.
class SC_EXPORT IClock {
public:
    virtual ~IClock();
    /// Seconds on a clock that never jumps; for elapsed times.
    virtual double monotonicSeconds() = 0;
    /// The wall-clock time as the device clock's record.
    virtual OVDeviceTime wallTime() = 0;
    /// Sleeps; returns early when the calling thread's WaitInterrupt fires.
    virtual void sleep(double p_dSeconds) = 0;
    /// Called when a WaitInterrupt fires, so waits the clock keeps itself can
    /// notice it.
    virtual void wakeWaiters() {}
    /// Takes p_mutex, which p_holder (as far as it is known) holds.
    virtual void lockHeld(std::mutex& p_mutex, const std::atomic<std::thread::id>& p_holder);
};

/// The real clock: CLOCK_MONOTONIC, local time, real sleeps.
class SC_EXPORT RealClock : public IClock {
public:
    double monotonicSeconds() override;
    OVDeviceTime wallTime() override;
    void sleep(double p_dSeconds) override;
};

/// A virtual clock for tests and simulations. Virtual time moves only when
/// someone waits or advances it:
///  - A wait in an ordinary thread (a test, a tool's main loop) returns at once
///    and moves time forward by its length.
///  - A wait in a GThread (the controllers' background threads) parks the
///    thread until virtual time reaches the end of the wait, moved on by
///    another thread's waits or by advance(). settle() waits until every
///    background thread has finished what it could do at the current time, so
///    a test steps its threads deterministically.
/// The wall clock starts on 2026-01-01 00:00:00; its hour and minute can be set
/// without moving the monotonic time, as when a camera's clock is corrected.
class SC_EXPORT VirtualClock : public IClock {
public:
    /// A clock at 2026-01-01 00:00:00, monotonic time 0.
    VirtualClock();
    double monotonicSeconds() override;
    OVDeviceTime wallTime() override;
    void sleep(double p_dSeconds) override;
    void wakeWaiters() override;
    /// A background thread may hold a lock across a wait. An ordinary thread
    /// that needs that lock would wait forever, since nothing else moves time;
    /// so while the holder is parked, time moves to the next wait's end, as it
    /// would pass on a real clock.
    void lockHeld(std::mutex& p_mutex, const std::atomic<std::thread::id>& p_holder) override;

    /// Moves virtual time forward, waking the background waits that end by then.
    void advance(double p_dSeconds);
    /// Sets the wall clock's time of day; the monotonic time stays.
    void setTimeOfDay(int p_nHour, int p_nMinute, int p_nSecond = 0);
    /// Moves the wall clock to that day (UTC), keeping its time of day; the
    /// monotonic time stays.
    void setDate(int p_nYear, int p_nMonth, int p_nDay);
    /// Total virtual time spent in waits of ordinary threads so far.
    double sleptSeconds();
    /// Waits (at most a few real seconds) until exactly p_nThreads background
    /// threads are parked with waits that end in the future; true when so.
    bool settle(int p_nThreads);
    /// Lets p_dSeconds of virtual time pass for p_nThreads background threads:
    /// time jumps from one wait's end to the next, each time letting the
    /// threads settle, so every wait ends exactly when it should. True when
    /// the threads settled at every step.
    bool runFor(double p_dSeconds, int p_nThreads);
    /// The same for threads that start and stop others on the way: the count
    /// is asked again at every check (GThread::runningCount, say).
    bool settle(const std::function<int()>& p_threads);
    /// runFor() with the count of threads asked again at every check.
    bool runFor(double p_dSeconds, const std::function<int()>& p_threads);

private:
    /// Whole microseconds, so that many small waits add up exactly.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int64_t m_nNowUs;         // monotonic time
    int64_t m_nWallOffsetUs;  // wall time since the epoch = m_nNowUs + offset
    int64_t m_nSleptUs = 0;
    std::multiset<int64_t> m_parked;  // ends of the background threads' waits
    std::map<std::thread::id, int64_t> m_parkedThreads;
};

/// Which clock is in use. The default is the real clock.
class SC_EXPORT Clock {
public:
    /// The clock in use.
    static IClock& get();
    /// Installs a clock that the caller keeps alive; null restores the real one.
    static void install(IClock* p_pClock);
};

#endif
