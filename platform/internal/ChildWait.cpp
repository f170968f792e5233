#include "ChildWait.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

typedef std::chrono::steady_clock SteadyClock;

std::atomic<bool> g_bPidFdWaits{true};

// A descriptor that turns readable when the process ends; -1 where the
// kernel has none (before Linux 5.3, or a sandbox that refuses it).
int openPidFd(pid_t p_pid) {
#ifdef SYS_pidfd_open
    if (g_bPidFdWaits.load()) {
        return static_cast<int>(syscall(SYS_pidfd_open, p_pid, 0));
    }
#endif
    (void)p_pid;
    return -1;
}

int millisecondsUntil(SteadyClock::time_point p_deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(p_deadline - SteadyClock::now());
    if (left.count() <= 0) {
        return 0;
    }
    return left.count() > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                          : static_cast<int>(left.count());
}

// Whether the child has ended, without reaping it: until the caller reaps it
// its pid stays reserved, so a kill cannot reach another process.
bool hasEnded(pid_t p_pid) {
    siginfo_t info;
    info.si_pid = 0;
    int result;
    do {
        result = waitid(P_PID, static_cast<id_t>(p_pid), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (result < 0 && errno == EINTR);
    // Not ours to wait for (reaped elsewhere) counts as ended.
    return result < 0 || info.si_pid != 0;
}

// Each wait below returns once the child ended (true) or the deadline passed;
// then the child is killed (false). None of them reaps it.

// No thread to spare (the host ran out): looking every 10 ms is the one way
// left to keep the limit.
bool awaitByLooking(pid_t p_pid, SteadyClock::time_point p_deadline) {
    while (!hasEnded(p_pid)) {
        if (SteadyClock::now() >= p_deadline) {
            kill(p_pid, SIGKILL);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A helper thread sleeps in waitid until the child ends and wakes the caller,
// who sleeps on a condition until then or the deadline.
bool awaitByThread(pid_t p_pid, SteadyClock::time_point p_deadline) {
    std::mutex mutex;
    std::condition_variable endedSignal;
    bool ended = false;
    std::thread watcher;
    try {
        watcher = std::thread([&] {
            siginfo_t info;
            while (waitid(P_PID, static_cast<id_t>(p_pid), &info, WEXITED | WNOWAIT) < 0 &&
                   errno == EINTR) {
            }
            std::lock_guard<std::mutex> guard(mutex);
            ended = true;
            endedSignal.notify_one();
        });
    } catch (const std::system_error&) {
        return awaitByLooking(p_pid, p_deadline);
    }
    bool endedInTime = false;
    {
        std::unique_lock<std::mutex> lock(mutex);
        endedInTime = endedSignal.wait_until(lock, p_deadline, [&] { return ended; });
    }
    if (!endedInTime) {
        kill(p_pid, SIGKILL);  // which also ends the watcher's waitid
    }
    watcher.join();
    return endedInTime;
}

bool awaitByPidFd(int p_nPidFd, pid_t p_pid, SteadyClock::time_point p_deadline) {
    for (;;) {
        struct pollfd entry = {p_nPidFd, POLLIN, 0};
        int ready = poll(&entry, 1, millisecondsUntil(p_deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 && SteadyClock::now() >= p_deadline) {
            kill(p_pid, SIGKILL);
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            return awaitByThread(p_pid, p_deadline);
        }
    }
}

}  // namespace

void setPidFdWaits(bool p_bEnabled) {
    g_bPidFdWaits = p_bEnabled;
}

int waitForChild(pid_t p_pid, int p_nTimeoutSeconds) {
    bool killed = false;
    if (p_nTimeoutSeconds > 0) {
        SteadyClock::time_point deadline =
            SteadyClock::now() + std::chrono::seconds(p_nTimeoutSeconds);
        int pidFd = openPidFd(p_pid);
        if (pidFd >= 0) {
            killed = !awaitByPidFd(pidFd, p_pid, deadline);
            close(pidFd);
        } else {
            killed = !awaitByThread(p_pid, deadline);
        }
    }
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(p_pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (killed || reaped != p_pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}
