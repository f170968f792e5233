#ifndef SENSORCONTROL_PLATFORM_GTHREAD_H
#define SENSORCONTROL_PLATFORM_GTHREAD_H
/// @file
/// GThread, the named thread that runs a body in a loop until stopped.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "../framework/function.h"
#include "Clock.h"
#include "Export.h"

/// The running state every library thread has.
class SC_EXPORT OVThread {
public:
    OVThread() = default;
    virtual ~OVThread();
    OVThread(const OVThread&) = delete;
    OVThread& operator=(const OVThread&) = delete;

    /// Non-zero while the thread runs.
    int IsRunning() const { return m_bRunning.load() ? 1 : 0; }

protected:
    /// Set while the thread runs.
    std::atomic<bool> m_bRunning{false};
};

/// A named thread that calls its body again and again until stop(). The first
/// hook runs in the thread before the first body call, the second after the
/// last. The body paces itself (the library's bodies end in a sleep); stop()
/// cuts such a sleep short, so stopping never waits out a body's pause. An
/// exception escaping the body is printed and ends the thread.
class SC_EXPORT GThread : public OVThread {
public:
    /// A thread, not started, with its body, name and start and stop hooks.
    GThread(const function<int>& p_body, const char* p_szName, const function<int>& p_onStart,
            const function<int>& p_onStop);
    /// Stops and joins the thread.
    ~GThread() override;

    /// Non-zero when the thread runs afterwards (also when it already ran).
    int start();
    /// Asks the body loop to end and joins the thread; 1. Called from the
    /// thread itself it only asks. A stopped thread can be started again.
    int stop();

    /// The name given at construction.
    const std::string& getName() const { return m_strName; }

    /// A hook that does nothing.
    static int emptyFun();
    /// GThreads of the process running now: what a virtual clock must wait
    /// for before it moves time on.
    static int runningCount();

private:
    void run();

    function<int> m_body;
    function<int> m_onStart;
    function<int> m_onStop;
    std::string m_strName;
    std::mutex m_controlMutex;
    std::thread m_thread;
    std::atomic<bool> m_bStopRequested{false};
    WaitInterrupt m_interrupt;
};

#endif
