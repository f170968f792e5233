// Every controller destroyed while its threads are mid-cycle: the day/night
// thread and whatever its family runs (a module poll, a day/night switch
// thread, the camera-mode keeper). No thread may still run when the first
// destructor starts, or it would call into a part already torn down. Under
// ThreadSanitizer such a call shows as a race on the object's vtable; in
// every build the base counts controllers destroyed with a thread running.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Host.h"
#include "Modules.h"
#include "platform/GThread.h"
#include "support/QuietConsole.h"

namespace {

// Cycles per controller: fewer where every instruction costs more (the
// sanitizers, the emulator); SC_TEARDOWN_CYCLES sets them for a long run.
int cycles(int p_nDefault) {
    const char* text = std::getenv("SC_TEARDOWN_CYCLES");
    return text != nullptr ? std::atoi(text) : p_nDefault;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(__arm__)
const int kVirtualCycles = 25;
const int kRealCycles = 2;
#else
const int kVirtualCycles = 100;
const int kRealCycles = 3;
#endif

std::vector<std::string> moduleNames() {
    std::vector<std::string> names;
    for (const ModuleInfo& module : knownModules()) {
        names.push_back(module.szName);
    }
    return names;
}

class ControllerTeardown : public testing::TestWithParam<std::string> {
protected:
    ControllerTeardown() {
        char pattern[] = "/tmp/sc-teardown-XXXXXX";
        m_strRoot = mkdtemp(pattern);
        m_options.strRoot = m_strRoot;
        m_options.strModule = GetParam();
    }
    ~ControllerTeardown() override {
        std::string command = "rm -rf '" + m_strRoot + "'";
        EXPECT_EQ(0, std::system(command.c_str()));
    }

    // Boots, lets p_run bring the threads mid-cycle, releases the controller
    // there, and checks that nothing of it runs on.
    template <class Run>
    void cycle(Run p_run) {
        int threadsBefore = GThread::runningCount();
        int unsafeBefore = ISensorController::destroyedWithThreadsRunning();
        int threadsBooted = 0;
        int threadsAfter = 0;
        {
            QuietConsole quiet;
            Host host(m_options);
            host.boot();
            threadsBooted = GThread::runningCount();
            p_run(host);
            threadsAfter = GThread::runningCount();
        }
        EXPECT_GT(threadsBooted, threadsBefore);
        EXPECT_EQ(threadsBefore, threadsAfter) << "a thread outlived its controller";
        EXPECT_EQ(unsafeBefore, ISensorController::destroyedWithThreadsRunning());
    }

    std::string m_strRoot;
    HostOptions m_options;
    // Repeatable draws per module.
    std::mt19937 m_random{static_cast<unsigned int>(std::hash<std::string>()(GetParam()))};
};

TEST_P(ControllerTeardown, OnTheVirtualClock) {
    m_options.bVirtualTime = true;
    int count = cycles(kVirtualCycles);
    for (int n = 0; n < count && !HasFailure(); ++n) {
        int steps = std::uniform_int_distribution<int>(0, 60)(m_random);
        cycle([&](Host& p_host) {
            // Time keeps moving while the controller goes, so its threads
            // are somewhere in a cycle (an exchange, a scheme, a switch)
            // rather than parked in a wait.
            VirtualClock& clock = *p_host.virtualClock();
            std::atomic<int> stepsTaken{0};
            std::atomic<bool> pumping{true};
            std::thread pump([&] {
                while (pumping) {
                    clock.advance(0.05);
                    stepsTaken++;
                    std::this_thread::yield();
                }
            });
            while (stepsTaken < steps) {
                std::this_thread::yield();
            }
            p_host.releaseController();
            pumping = false;
            pump.join();
        });
    }
}

TEST_P(ControllerTeardown, OnRealTime) {
    int count = cycles(kRealCycles);
    for (int n = 0; n < count && !HasFailure(); ++n) {
        // Anywhere in the threads' one-second rhythm.
        int delayMs = std::uniform_int_distribution<int>(0, 1200)(m_random);
        cycle([&](Host& p_host) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            p_host.releaseController();
        });
    }
}

INSTANTIATE_TEST_SUITE_P(EveryModule, ControllerTeardown, testing::ValuesIn(moduleNames()),
                         [](const testing::TestParamInfo<std::string>& p_info) {
                             return p_info.param;
                         });

}  // namespace
