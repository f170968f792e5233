#ifndef SENSORCONTROL_PLATFORM_CLOCK_H
#define SENSORCONTROL_PLATFORM_CLOCK_H

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "Export.h"
#include "OVDeviceTime.h"

// Lets a thread's sleeps be cut short: GThread::stop wakes its thread out of
// the one-second sleeps of its body at once instead of waiting them out.
class SC_EXPORT WaitInterrupt {
public:
    void request();
    void reset();
    bool isRequested();
    // Sleeps up to the given real time; true when woken by request().
    bool sleepFor(double p_dSeconds);

    // The interrupt of the calling thread (set by GThread), or null.
    static WaitInterrupt* current();
    static void setCurrent(WaitInterrupt* p_pInterrupt);

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bRequested = false;
};

// The clock seam: every wait, every time-of-day reading and every elapsed-time
// reading of the library goes through the installed clock.
class SC_EXPORT IClock {
public:
    virtual ~IClock();
    // Seconds on a clock that never jumps; for elapsed times.
    virtual double monotonicSeconds() = 0;
    // The wall-clock time as the device clock's record.
    virtual OVDeviceTime wallTime() = 0;
    // Sleeps; returns early when the calling thread's WaitInterrupt fires.
    virtual void sleep(double p_dSeconds) = 0;
};

// The real clock: CLOCK_MONOTONIC, local time, real sleeps.
class SC_EXPORT RealClock : public IClock {
public:
    double monotonicSeconds() override;
    OVDeviceTime wallTime() override;
    void sleep(double p_dSeconds) override;
};

// A virtual clock for tests and simulations. A wait returns at once and moves
// time forward by its length; waits that overlap in several threads move it
// to the latest end, not by their sum. The wall clock starts on
// 2026-01-01 00:00:00 and its hour and minute can be set without moving the
// monotonic time, as when a camera's clock is corrected. With a pace set, each
// wait also sleeps that many real seconds per virtual second, so threads
// running on virtual time do not spin.
class SC_EXPORT VirtualClock : public IClock {
public:
    VirtualClock();
    double monotonicSeconds() override;
    OVDeviceTime wallTime() override;
    void sleep(double p_dSeconds) override;

    void advance(double p_dSeconds);
    void setTimeOfDay(int p_nHour, int p_nMinute, int p_nSecond = 0);
    void setPace(double p_dRealPerVirtual);
    // Total virtual time spent in sleep() so far.
    double sleptSeconds();

private:
    // Whole microseconds, so that many small waits add up exactly.
    std::mutex m_mutex;
    int64_t m_nNowUs;         // monotonic time
    int64_t m_nWallOffsetUs;  // wall time since the epoch = m_nNowUs + offset
    int64_t m_nSleptUs = 0;
    double m_dPace = 0.0;
};

// Which clock is in use. The default is the real clock.
class SC_EXPORT Clock {
public:
    static IClock& get();
    // Installs a clock that the caller keeps alive; null restores the real one.
    static void install(IClock* p_pClock);
};

#endif
