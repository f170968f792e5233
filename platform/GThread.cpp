#include "GThread.h"

#include <pthread.h>

#include <cstdio>
#include <exception>

namespace {
thread_local const GThread* t_pCurrentThread = nullptr;
std::atomic<int> g_nRunning{0};
}  // namespace

OVThread::~OVThread() = default;

GThread::GThread(const function<int>& p_body, const char* p_szName, const function<int>& p_onStart,
                 const function<int>& p_onStop)
    : m_body(p_body),
      m_onStart(p_onStart),
      m_onStop(p_onStop),
      m_strName(p_szName == nullptr ? "" : p_szName) {}

GThread::~GThread() {
    stop();
}

int GThread::emptyFun() {
    return 0;
}

int GThread::runningCount() {
    return g_nRunning.load();
}

int GThread::start() {
    std::lock_guard<std::mutex> guard(m_controlMutex);
    if (m_bRunning.load()) {
        return 1;
    }
    if (m_thread.joinable()) {
        m_thread.join();  // an earlier run that ended by itself
    }
    m_bStopRequested.store(false);
    m_interrupt.reset();
    m_bRunning.store(true);
    g_nRunning.fetch_add(1);
    try {
        m_thread = std::thread(&GThread::run, this);
    } catch (const std::exception& error) {
        m_bRunning.store(false);
        g_nRunning.fetch_sub(1);
        std::printf("GThread(%s) start failed: %s\n", m_strName.c_str(), error.what());
        return 0;
    }
    return 1;
}

int GThread::stop() {
    if (t_pCurrentThread == this) {
        m_bStopRequested.store(true);
        m_interrupt.request();
        return 1;
    }
    std::lock_guard<std::mutex> guard(m_controlMutex);
    m_bStopRequested.store(true);
    m_interrupt.request();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return 1;
}

void GThread::run() {
    // Linux limits thread names to 15 characters.
    pthread_setname_np(pthread_self(), m_strName.substr(0, 15).c_str());
    WaitInterrupt::setCurrent(&m_interrupt);
    t_pCurrentThread = this;
    try {
        m_onStart();
        while (!m_bStopRequested.load()) {
            m_body();
        }
        m_onStop();
    } catch (const std::exception& error) {
        std::printf("GThread(%s) ended by an exception: %s\n", m_strName.c_str(), error.what());
    }
    WaitInterrupt::setCurrent(nullptr);
    t_pCurrentThread = nullptr;
    m_bRunning.store(false);
    g_nRunning.fetch_sub(1);
}
