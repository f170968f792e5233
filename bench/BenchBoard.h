#ifndef SENSORCONTROL_BENCH_BENCHBOARD_H
#define SENSORCONTROL_BENCH_BENCHBOARD_H

#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "platform/Clock.h"
#include "platform/PlatformRoot.h"

// A camera's flash for a benchmark: a scratch root with the directories and
// a sensorAbility.xml of four schemes, optionally on the virtual clock.
// Removed again when it goes.
class BenchBoard {
public:
    explicit BenchBoard(bool p_bVirtualClock = true) {
        char pattern[] = "/tmp/sensorcontrol-bench-XXXXXX";
        m_strDir = mkdtemp(pattern);
        PlatformRoot::setOverride(m_strDir);
        if (p_bVirtualClock) {
            Clock::install(&m_clock);
        }
        run("mkdir -p " + m_strDir + "/mnt/mtd/code/config_file " + m_strDir + "/mnt/mtd/log " +
            m_strDir + "/hd1/moduleConfig");
        run("printf '<sensorAbility><paramScheme><item name=\"SchemeNum\" value=\"4\"/>"
            "</paramScheme></sensorAbility>' > " +
            m_strDir + "/hd1/moduleConfig/sensorAbility.xml");
    }
    ~BenchBoard() {
        Clock::install(nullptr);
        PlatformRoot::setOverride("");
        run("rm -rf " + m_strDir);
    }
    BenchBoard(const BenchBoard&) = delete;
    BenchBoard& operator=(const BenchBoard&) = delete;

    void clearFlash() { run("rm -f " + m_strDir + "/mnt/mtd/code/config_file/*"); }
    VirtualClock& clock() { return m_clock; }
    const std::string& dir() const { return m_strDir; }

private:
    static void run(const std::string& p_strCommand) {
        if (std::system(p_strCommand.c_str()) != 0) {
            std::abort();
        }
    }
    std::string m_strDir;
    VirtualClock m_clock;
};

// CPU seconds (user and system) of the process or of the calling thread.
inline double cpuSeconds(int p_nWho) {
    struct rusage usage;
    getrusage(p_nWho, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
inline double processCpuSeconds() {
    return cpuSeconds(RUSAGE_SELF);
}
inline double threadCpuSeconds() {
    return cpuSeconds(RUSAGE_THREAD);
}

#endif
