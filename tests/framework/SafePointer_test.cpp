#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/OVRuntimeError.h"
#include "framework/SafePointer.h"
#include "framework/function.h"
#include "platform/RefCount.h"

namespace {

std::atomic<int> g_nDestroyed{0};

class Tracked {
public:
    virtual ~Tracked() { ++g_nDestroyed; }
    virtual int value() { return 1; }
};

class DerivedTracked : public Tracked {
public:
    int value() override { return 2; }
};

std::string reportOf(const std::function<void()>& p_action) {
    try {
        p_action();
    } catch (const OVRuntimeError& error) {
        return error.what();
    }
    return "no exception";
}

}  // namespace

TEST(SafePointer, DeletesTheObjectOnceWhenTheLastHandleGoes) {
    g_nDestroyed = 0;
    std::size_t recordsBefore = RefCountManager::getInstance()->inUseCount();
    {
        SafePointer<Tracked> first(new DerivedTracked());
        EXPECT_EQ(recordsBefore + 1, RefCountManager::getInstance()->inUseCount());
        SafePointer<Tracked> second(first);
        SafePointer<Tracked> third(new Tracked());
        third = second;  // the object third held goes
        EXPECT_EQ(1, g_nDestroyed.load());
        SafePointer<Tracked>& alias = third;
        third = alias;  // self-assignment changes nothing
        first.reset();
        EXPECT_TRUE(first.isNull());
        EXPECT_EQ(2, second->value());  // through the virtual interface
        SafePointer<Tracked> empty;
    }
    EXPECT_EQ(2, g_nDestroyed.load());
    EXPECT_EQ(recordsBefore, RefCountManager::getInstance()->inUseCount());
}

TEST(SafePointer, MisuseIsReportedWithTheTypeNameAndThrown) {
    SafePointer<Tracked> empty;
    testing::internal::CaptureStdout();
    EXPECT_EQ("SafePointer Report:(anonymous namespace)::Tracked Use NULL pointer ->",
              reportOf([&] { empty->value(); }));
    EXPECT_EQ("SafePointer Report:(anonymous namespace)::Tracked Use NULL pointer ->\n",
              testing::internal::GetCapturedStdout());
    EXPECT_EQ("SafePointer Report:(anonymous namespace)::Tracked Construct from NULL <T>pointer",
              reportOf([&] { SafePointer<Tracked> copy(empty); }));
    SafePointer<Tracked> held(new Tracked());
    EXPECT_EQ("SafePointer Report:(anonymous namespace)::Tracked Assigned NULL <T>pointer",
              reportOf([&] { held = empty; }));
    EXPECT_FALSE(held.isNull());  // a refused assignment keeps the old target
    EXPECT_EQ(
        "SafePointer Report:(anonymous namespace)::Tracked Construct from NULL original pointer",
        reportOf([] { SafePointer<Tracked> none(static_cast<Tracked*>(nullptr)); }));
}

TEST(SafePointer, CopiesAndReleasesFromManyThreadsDeleteExactlyOnce) {
    g_nDestroyed = 0;
    for (int round = 0; round < 20; ++round) {
        SafePointer<Tracked> shared(new Tracked());
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([shared] {
                for (int n = 0; n < 500; ++n) {
                    SafePointer<Tracked> copy(shared);
                    SafePointer<Tracked> other(copy);
                    other = copy;
                }
            });
        }
        shared.reset();
        for (auto& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(round + 1, g_nDestroyed.load());
    }
}

TEST(SafePointer, MovingKeepsTheReferenceAndAllowsEmptyHandles) {
    g_nDestroyed = 0;
    std::vector<SafePointer<Tracked> > handles(3);  // empty handles move freely
    handles.push_back(SafePointer<Tracked>(new Tracked()));
    handles.reserve(100);
    EXPECT_EQ(0, g_nDestroyed.load());
    handles.clear();
    EXPECT_EQ(1, g_nDestroyed.load());
}

namespace {

int plainBody() {
    return 7;
}

class Base {
public:
    virtual ~Base() = default;
    virtual int step() { return 1; }
};

class Override : public Base {
public:
    int step() override { return 2; }
};

}  // namespace

TEST(Function, CallsPlainAndBoundMemberFunctionsThroughTheVirtualTable) {
    function<int> plain(plainBody);
    EXPECT_EQ(7, plain());
    Override object;
    function<int> bound(bind_funcobj<int, Base>(&object, &Base::step));
    EXPECT_EQ(2, bound());
    function<int> copy(bound);
    EXPECT_EQ(2, copy());
}
