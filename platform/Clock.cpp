#include "Clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

namespace {

// How long a sleep lasts once its thread is being stopped (real clock).
const double kStoppingSlice = 0.01;

thread_local WaitInterrupt* t_pInterrupt = nullptr;
std::atomic<IClock*> g_pInstalled{nullptr};

// Virtual wall time begins 2026-01-01 00:00:00 UTC.
const int64_t kVirtualWallEpochUs = 1767225600LL * 1000000LL;
// Monotonic readings start well away from zero, so that a time stamp that was
// never taken (zero) lies far in the past, as it does on a running camera.
const int64_t kVirtualMonotonicStartUs = 1000000LL * 1000000LL;

int64_t toMicroseconds(double p_dSeconds) {
    return std::llround(p_dSeconds * 1e6);
}

OVDeviceTime fromTm(const struct tm& p_tm, int p_nMillisecond) {
    OVDeviceTime record;
    record.year = static_cast<uint16_t>(p_tm.tm_year + 1900);
    record.month = static_cast<uint16_t>(p_tm.tm_mon + 1);
    record.dayOfWeek = static_cast<uint16_t>(p_tm.tm_wday);
    record.day = static_cast<uint16_t>(p_tm.tm_mday);
    record.hour = static_cast<uint16_t>(p_tm.tm_hour);
    record.minute = static_cast<uint16_t>(p_tm.tm_min);
    record.second = static_cast<uint16_t>(p_tm.tm_sec);
    record.millisecond = static_cast<uint16_t>(p_nMillisecond);
    return record;
}

void realSleep(double p_dSeconds) {
    if (p_dSeconds <= 0.0) {
        return;
    }
    WaitInterrupt* interrupt = t_pInterrupt;
    if (interrupt != nullptr) {
        interrupt->sleepFor(p_dSeconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(p_dSeconds));
}

}  // namespace

void WaitInterrupt::request() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_bRequested = true;
        m_wake.notify_all();
    }
    Clock::get().wakeWaiters();
}

void WaitInterrupt::reset() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bRequested = false;
}

bool WaitInterrupt::isRequested() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_bRequested;
}

bool WaitInterrupt::sleepFor(double p_dSeconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_bRequested) {
        // The thread is winding down: its remaining waits are cut to a short
        // slice, so a polling loop bounded by elapsed time neither spins nor
        // holds the stop up for long.
        lock.unlock();
        std::this_thread::sleep_for(
            std::chrono::duration<double>(std::min(p_dSeconds, kStoppingSlice)));
        return true;
    }
    return m_wake.wait_for(lock, std::chrono::duration<double>(p_dSeconds),
                           [this] { return m_bRequested; });
}

WaitInterrupt* WaitInterrupt::current() {
    return t_pInterrupt;
}

void WaitInterrupt::setCurrent(WaitInterrupt* p_pInterrupt) {
    t_pInterrupt = p_pInterrupt;
}

IClock::~IClock() = default;

void IClock::lockHeld(std::mutex& p_mutex, const std::atomic<std::thread::id>&) {
    p_mutex.lock();
}

double RealClock::monotonicSeconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

OVDeviceTime RealClock::wallTime() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    return fromTm(local, static_cast<int>(now.tv_nsec / 1000000));
}

void RealClock::sleep(double p_dSeconds) {
    realSleep(p_dSeconds);
}

VirtualClock::VirtualClock()
    : m_nNowUs(kVirtualMonotonicStartUs),
      m_nWallOffsetUs(kVirtualWallEpochUs - kVirtualMonotonicStartUs) {}

double VirtualClock::monotonicSeconds() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return static_cast<double>(m_nNowUs) / 1e6;
}

OVDeviceTime VirtualClock::wallTime() {
    int64_t wallUs;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        wallUs = m_nNowUs + m_nWallOffsetUs;
    }
    time_t seconds = static_cast<time_t>(wallUs / 1000000);
    struct tm broken;
    gmtime_r(&seconds, &broken);
    return fromTm(broken, static_cast<int>((wallUs % 1000000) / 1000));
}

void VirtualClock::sleep(double p_dSeconds) {
    int64_t span = toMicroseconds(p_dSeconds);
    if (span <= 0) {
        return;
    }
    WaitInterrupt* interrupt = WaitInterrupt::current();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (interrupt == nullptr) {
        m_nNowUs += span;
        m_nSleptUs += span;
        m_changed.notify_all();
        return;
    }
    int64_t end = m_nNowUs + span;
    auto parked = m_parked.insert(end);
    m_parkedThreads[std::this_thread::get_id()] = end;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_nNowUs >= end || interrupt->isRequested(); });
    m_parked.erase(parked);
    m_parkedThreads.erase(std::this_thread::get_id());
    // A thread being stopped lets its wait pass in full, so loops bounded by
    // elapsed time end.
    if (m_nNowUs < end) {
        m_nNowUs = end;
    }
    m_changed.notify_all();
}

void VirtualClock::lockHeld(std::mutex& p_mutex, const std::atomic<std::thread::id>& p_holder) {
    if (WaitInterrupt::current() != nullptr) {
        p_mutex.lock();  // background threads wait for each other as usual
        return;
    }
    while (!p_mutex.try_lock()) {
        std::unique_lock<std::mutex> lock(m_mutex);
        auto holder = m_parkedThreads.find(p_holder.load());
        if (holder != m_parkedThreads.end() && holder->second > m_nNowUs) {
            m_nNowUs = std::max(m_nNowUs, *m_parked.begin());
            m_changed.notify_all();
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(1));
    }
}

void VirtualClock::wakeWaiters() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_changed.notify_all();
}

bool VirtualClock::settle(int p_nThreads) {
    return settle([p_nThreads] { return p_nThreads; });
}

bool VirtualClock::settle(const std::function<int()>& p_threads) {
    // A thread that ends tells no one, so the count is looked at again
    // every millisecond as well as on every change.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (static_cast<int>(m_parked.size()) == p_threads() &&
            (m_parked.empty() || *m_parked.begin() > m_nNowUs)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(1));
    }
}

bool VirtualClock::runFor(double p_dSeconds, int p_nThreads) {
    return runFor(p_dSeconds, [p_nThreads] { return p_nThreads; });
}

bool VirtualClock::runFor(double p_dSeconds, const std::function<int()>& p_threads) {
    int64_t end;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        end = m_nNowUs + std::max<int64_t>(0, toMicroseconds(p_dSeconds));
    }
    for (;;) {
        if (!settle(p_threads)) {
            return false;
        }
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_nNowUs >= end) {
            return true;
        }
        int64_t next = m_parked.empty() ? end : std::min(end, *m_parked.begin());
        m_nNowUs = std::max(m_nNowUs, next);
        m_changed.notify_all();
    }
}

void VirtualClock::advance(double p_dSeconds) {
    int64_t span = toMicroseconds(p_dSeconds);
    std::lock_guard<std::mutex> guard(m_mutex);
    if (span > 0) {
        m_nNowUs += span;
        m_changed.notify_all();
    }
}

void VirtualClock::setTimeOfDay(int p_nHour, int p_nMinute, int p_nSecond) {
    const int64_t kDayUs = 86400LL * 1000000LL;
    std::lock_guard<std::mutex> guard(m_mutex);
    int64_t wallUs = m_nNowUs + m_nWallOffsetUs;
    int64_t dayStartUs = wallUs - wallUs % kDayUs;
    int64_t wantedUs = dayStartUs + (p_nHour * 3600LL + p_nMinute * 60LL + p_nSecond) * 1000000LL;
    m_nWallOffsetUs = wantedUs - m_nNowUs;
}

void VirtualClock::setDate(int p_nYear, int p_nMonth, int p_nDay) {
    const int64_t kDayUs = 86400LL * 1000000LL;
    // Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's
    // days_from_civil), so no 32-bit time_t is involved.
    int64_t year = p_nMonth <= 2 ? p_nYear - 1 : p_nYear;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (p_nMonth + (p_nMonth > 2 ? -3 : 9)) + 2) / 5 + p_nDay - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    int64_t days = era * 146097 + dayOfEra - 719468;
    std::lock_guard<std::mutex> guard(m_mutex);
    int64_t wallUs = m_nNowUs + m_nWallOffsetUs;
    int64_t timeOfDayUs = wallUs % kDayUs;
    m_nWallOffsetUs = days * kDayUs + timeOfDayUs - m_nNowUs;
}

double VirtualClock::sleptSeconds() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return static_cast<double>(m_nSleptUs) / 1e6;
}

IClock& Clock::get() {
    static RealClock s_real;
    IClock* installed = g_pInstalled.load(std::memory_order_acquire);
    if (installed != nullptr) {
        return *installed;
    }
    return s_real;
}

void Clock::install(IClock* p_pClock) {
    g_pInstalled.store(p_pClock, std::memory_order_release);
}
