#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>

#include "platform/GThread.h"
#include "platform/OrvaneTime.h"

namespace {

class Counter {
public:
    int body() {
        ++m_nCalls;
        OrvaneTime(0, 1000).wait();
        return 0;
    }
    int started() {
        ++m_nStarts;
        return 0;
    }
    int stopped() {
        ++m_nStops;
        return 0;
    }
    int longPause() {
        ++m_nCalls;
        OrvaneTime(30, 0).wait();
        return 0;
    }
    int throwing() {
        ++m_nCalls;
        throw std::runtime_error("body failed");
    }

    std::atomic<int> m_nCalls{0};
    std::atomic<int> m_nStarts{0};
    std::atomic<int> m_nStops{0};
};

void waitUntil(const std::function<bool()>& p_done) {
    for (int n = 0; n < 2000 && !p_done(); ++n) {
        OrvaneTime(0, 1000).wait();
    }
}

}  // namespace

TEST(GThread, RepeatsTheBodyUntilStoppedWithHooksAroundIt) {
    Counter counter;
    GThread thread(bind_funcobj(&counter, &Counter::body), "DayNightChangeThread",
                   bind_funcobj(&counter, &Counter::started),
                   bind_funcobj(&counter, &Counter::stopped));
    EXPECT_FALSE(thread.IsRunning());
    ASSERT_TRUE(thread.start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_TRUE(thread.start());  // already running: still one thread
    waitUntil([&] { return counter.m_nCalls.load() >= 3; });
    EXPECT_TRUE(thread.stop());
    EXPECT_FALSE(thread.IsRunning());
    int calls = counter.m_nCalls.load();
    EXPECT_GE(calls, 3);
    EXPECT_EQ(1, counter.m_nStarts.load());
    EXPECT_EQ(1, counter.m_nStops.load());
    OrvaneTime(0, 5000).wait();
    EXPECT_EQ(calls, counter.m_nCalls.load());

    ASSERT_TRUE(thread.start());  // a stopped thread starts again
    waitUntil([&] { return counter.m_nCalls.load() > calls; });
    thread.stop();
    EXPECT_EQ(2, counter.m_nStarts.load());
}

TEST(GThread, StopCutsTheBodysPauseShort) {
    Counter counter;
    GThread thread(bind_funcobj(&counter, &Counter::longPause), "pause", GThread::emptyFun,
                   GThread::emptyFun);
    ASSERT_TRUE(thread.start());
    waitUntil([&] { return counter.m_nCalls.load() >= 1; });
    auto before = std::chrono::steady_clock::now();
    thread.stop();
    // Far below the body's 30-second pause.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
    EXPECT_EQ(1, counter.m_nCalls.load());
}

TEST(GThread, DestructionStopsARunningThread) {
    Counter counter;
    {
        GThread thread(bind_funcobj(&counter, &Counter::body), "scoped", GThread::emptyFun,
                       GThread::emptyFun);
        thread.start();
        waitUntil([&] { return counter.m_nCalls.load() >= 1; });
    }
    int calls = counter.m_nCalls.load();
    OrvaneTime(0, 5000).wait();
    EXPECT_EQ(calls, counter.m_nCalls.load());
}

TEST(GThread, AnExceptionFromTheBodyEndsTheThread) {
    Counter counter;
    GThread thread(bind_funcobj(&counter, &Counter::throwing), "throwing", GThread::emptyFun,
                   GThread::emptyFun);
    ASSERT_TRUE(thread.start());
    waitUntil([&] { return !thread.IsRunning(); });
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(1, counter.m_nCalls.load());
}
