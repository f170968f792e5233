#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/GThread.h"
#include "platform/OrvaneTime.h"
#include "support/ScratchRoot.h"

namespace {

// A thread that starts a second one on its first cycle, as a controller's
// day/night thread starts a module's own when a scheme brings its mode.
class Starter {
public:
    Starter()
        : m_first(bind_funcobj(this, &Starter::first), "first", GThread::emptyFun,
                  GThread::emptyFun),
          m_second(bind_funcobj(this, &Starter::second), "second", GThread::emptyFun,
                   GThread::emptyFun) {}
    ~Starter() {
        m_first.stop();
        m_second.stop();
    }

    int first() {
        m_second.start();
        OrvaneTime(1, 0).wait();
        return 0;
    }
    int second() {
        ++cycles;
        OrvaneTime(1, 0).wait();
        return 0;
    }

    std::atomic<int> cycles{0};
    GThread m_first;
    GThread m_second;
};

}  // namespace

TEST(VirtualClockThreads, RunForFollowsThreadsThatStartOthersOnTheWay) {
    ScratchRoot root;
    Starter threads;
    threads.m_first.start();
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(root.clock().runFor(5.0, &GThread::runningCount));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_GE(threads.cycles.load(), 5);
}
