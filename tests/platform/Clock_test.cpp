#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "platform/Clock.h"
#include "platform/GThread.h"
#include "platform/OVDeviceTime.h"
#include "platform/OVMutex.h"
#include "platform/OrvaneTime.h"
#include "support/ScratchRoot.h"

TEST(VirtualClock, WaitsReturnAtOnceAndMoveTimeOn) {
    ScratchRoot root;
    OrvaneTime before = OrvaneTime::currentTime();
    double seconds = OVDeviceTime::getSeconds();
    OrvaneTime(3, 0).wait();
    OrvaneTime(0, 30000).wait();
    EXPECT_NEAR(3.03, (OrvaneTime::currentTime() - before).toSeconds(), 1e-6);
    EXPECT_NEAR(3.03, OVDeviceTime::getSeconds() - seconds, 1e-6);
    EXPECT_DOUBLE_EQ(3.03, root.clock().sleptSeconds());
    // An unset time stamp lies far in the past, as on a running camera.
    EXPECT_GT((OrvaneTime::currentTime() - OrvaneTime()).toSeconds(), 60.0);
}

TEST(VirtualClock, SettingTheTimeOfDayDoesNotMoveElapsedTime) {
    ScratchRoot root;
    double seconds = OVDeviceTime::getSeconds();
    root.clock().setTimeOfDay(23, 59, 58);
    OVDeviceTime now = OVDeviceTime::getCurrentTime();
    EXPECT_EQ(23, now.hour);
    EXPECT_EQ(59, now.minute);
    EXPECT_EQ(2026, now.year);
    root.clock().advance(3);
    now = OVDeviceTime::getCurrentTime();
    EXPECT_EQ(0, now.hour);
    EXPECT_EQ(0, now.minute);
    EXPECT_EQ(1, now.second);
    EXPECT_EQ(2, now.day);
    root.clock().setTimeOfDay(6, 0);
    EXPECT_EQ(6, OVDeviceTime::getCurrentTime().hour);
    EXPECT_NEAR(3.0, OVDeviceTime::getSeconds() - seconds, 1e-6);
}

TEST(OVDeviceTime, HourAndMinuteSitAtBytes8And10) {
    ScratchRoot root;
    root.clock().setTimeOfDay(18, 45);
    OVDeviceTime record = OVDeviceTime::getCurrentTime();
    unsigned char bytes[16];
    std::memcpy(bytes, &record, sizeof(bytes));
    uint16_t hour;
    uint16_t minute;
    std::memcpy(&hour, bytes + 8, 2);
    std::memcpy(&minute, bytes + 10, 2);
    EXPECT_EQ(18, hour);
    EXPECT_EQ(45, minute);
}

TEST(OrvaneTime, NormalisesMicrosecondsAndSubtracts) {
    OrvaneTime t(1, 2500000);
    EXPECT_EQ(3, t.getSeconds());
    EXPECT_EQ(500000, t.getMicroseconds());
    OrvaneTime d = OrvaneTime(2, 100) - OrvaneTime(1, 200);
    EXPECT_EQ(0, d.getSeconds());
    EXPECT_EQ(999900, d.getMicroseconds());
    EXPECT_DOUBLE_EQ(-0.5, (OrvaneTime(1, 0) - OrvaneTime(1, 500000)).toSeconds());
    EXPECT_TRUE(OrvaneTime(1, 5) < OrvaneTime(1, 6));
    EXPECT_FALSE(OrvaneTime(2, 0) < OrvaneTime(1, 999999));
}

TEST(RealClock, IsTheDefaultAndReallySleeps) {
    IClock& clock = Clock::get();
    EXPECT_NE(nullptr, dynamic_cast<RealClock*>(&clock));
    double start = clock.monotonicSeconds();
    OrvaneTime(0, 20000).wait();
    EXPECT_GE(clock.monotonicSeconds() - start, 0.019);
}

namespace {

class Sleeper {
public:
    int body() {
        ++m_nCycles;
        OrvaneTime(1, 0).wait();
        return 0;
    }
    std::atomic<int> m_nCycles{0};
};

}  // namespace

// Background threads follow virtual time instead of racing through it: each
// of their waits ends only when another thread has moved time that far.
TEST(VirtualClock, BackgroundThreadsAdvanceOnlyAsVirtualTimeMoves) {
    ScratchRoot root;
    Sleeper sleeper;
    GThread thread(bind_funcobj(&sleeper, &Sleeper::body), "sleeper", GThread::emptyFun,
                   GThread::emptyFun);
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(1, sleeper.m_nCycles.load());
    root.clock().advance(0.5);
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(1, sleeper.m_nCycles.load());
    root.clock().advance(0.5);
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(2, sleeper.m_nCycles.load());
    OrvaneTime(3, 0).wait();  // a wait in this thread moves time for everyone
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(3, sleeper.m_nCycles.load());
    thread.stop();  // wakes the parked thread at once
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(root.clock().settle(0));
}

namespace {

// A body like a controller's switch sequence: it polls for up to a second
// of elapsed time before its pause.
class Poller {
public:
    int body() {
        OrvaneTime start = OrvaneTime::currentTime();
        while ((OrvaneTime::currentTime() - start).toSeconds() < 1.0) {
            ++m_nPolls;
            OrvaneTime(0, 20000).wait();
        }
        OrvaneTime(1, 0).wait();
        return 0;
    }
    std::atomic<int> m_nPolls{0};
};

}  // namespace

// Stopping a thread in the middle of a polling loop must end the loop: the
// interrupted waits still let their time pass.
TEST(VirtualClock, StoppingAThreadMidPollEndsItsLoop) {
    ScratchRoot root;
    Poller poller;
    GThread thread(bind_funcobj(&poller, &Poller::body), "poller", GThread::emptyFun,
                   GThread::emptyFun);
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(root.clock().settle(1));
    root.clock().advance(0.1);
    ASSERT_TRUE(root.clock().settle(1));
    int polls = poller.m_nPolls.load();
    thread.stop();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_LE(poller.m_nPolls.load(), polls + 50);
}

namespace {

// A body that holds a lock across a wait, as the day/night thread holds its
// lock while the camera switches its filter.
class Holder {
public:
    int body() {
        {
            OVMutexManager guard(m_mutex);
            ++m_nCycles;
            OrvaneTime(5, 0).wait();
        }
        OrvaneTime(1, 0).wait();
        return 0;
    }
    OVMutex m_mutex;
    std::atomic<int> m_nCycles{0};
};

}  // namespace

// The host needs a lock a parked thread holds: nothing else moves time, so
// time moves on to the end of the holder's wait, as it would on a real clock.
TEST(VirtualClock, TheHostWaitingForAParkedHoldersLockLetsTimePass) {
    ScratchRoot root;
    Holder holder;
    GThread thread(bind_funcobj(&holder, &Holder::body), "holder", GThread::emptyFun,
                   GThread::emptyFun);
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(root.clock().settle(1));
    double before = root.clock().monotonicSeconds();
    holder.m_mutex.lock();
    EXPECT_DOUBLE_EQ(before + 5.0, root.clock().monotonicSeconds());
    EXPECT_EQ(1, holder.m_nCycles.load());
    holder.m_mutex.unlock();
    thread.stop();
}
