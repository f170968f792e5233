#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "platform/PlatformRoot.h"
#include "platform/Shell.h"
#include "platform/internal/ChildWait.h"
#include "support/ScratchRoot.h"

TEST(Shell, MapsAbsolutePathsOfTheCommandIntoTheRoot) {
    ScratchRoot root;
    const std::string r = root.dir();
    EXPECT_EQ("rm " + r + "/mnt/mtd/code/config_file/sensor_Factory.cfg",
              ShellRecord::mapCommand("rm /mnt/mtd/code/config_file/sensor_Factory.cfg"));
    EXPECT_EQ("echo 1 >" + r + "/proc/wtd/user_interval",
              ShellRecord::mapCommand("echo 1 >/proc/wtd/user_interval"));
    EXPECT_EQ("cp " + r + "/a " + r + "/b 2>/dev/null",
              ShellRecord::mapCommand("cp /a /b 2>/dev/null"));
    EXPECT_EQ("X=" + r + "/x cat relative/path a/b",
              ShellRecord::mapCommand("X=/x cat relative/path a/b"));
    EXPECT_EQ(r + "/bin/tool", ShellRecord::mapCommand("/bin/tool"));
    PlatformRoot::setOverride("");
    EXPECT_EQ("rm /a", ShellRecord::mapCommand("rm /a"));
}

TEST(Shell, RunsCommandsInsideTheRootAndRecordsThemAsWritten) {
    ScratchRoot root;
    ShellRecord::clear();
    root.writeFile("/mnt/mtd/code/config_file/sensor_Factory.cfg", "(1,2)");
    root.makeDir("/proc/wtd");
    EXPECT_EQ(0, sy_system("cp /mnt/mtd/code/config_file/sensor_Factory.cfg "
                           "/mnt/mtd/code/config_file/sensor0.cfg",
                           30));
    EXPECT_EQ(0, sy_system("echo 1 >/proc/wtd/user_interval", 30));
    EXPECT_NE(0, sy_system("exit 3", 30));
    EXPECT_EQ("(1,2)", root.readFile("/mnt/mtd/code/config_file/sensor0.cfg"));
    EXPECT_EQ("1\n", root.readFile("/proc/wtd/user_interval"));
    EXPECT_EQ((std::vector<std::string>{"cp /mnt/mtd/code/config_file/sensor_Factory.cfg "
                                        "/mnt/mtd/code/config_file/sensor0.cfg",
                                        "echo 1 >/proc/wtd/user_interval", "exit 3"}),
              ShellRecord::commands());
}

TEST(Shell, KeepsOnlyTheMostRecentCommands) {
    ScratchRoot root;
    ShellRecord::clear();
    for (int n = 0; n < 300; ++n) {
        sy_system((": " + std::to_string(n)).c_str(), 30);
    }
    std::vector<std::string> kept = ShellRecord::commands();
    ASSERT_EQ(256u, kept.size());
    EXPECT_EQ(": 44", kept.front());
    EXPECT_EQ(": 299", kept.back());
}

namespace {

// Page faults of the children this process has reaped: a witness, kept by
// the kernel, of every process that ran on the library's behalf.
long childPageFaults() {
    struct rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_minflt;
}

// Every wait below runs both ways: through a pidfd, and as on a kernel
// without one.
class ShellWait : public testing::TestWithParam<bool> {
protected:
    ShellWait() { setPidFdWaits(GetParam()); }
    ~ShellWait() override { setPidFdWaits(true); }

    ScratchRoot m_root;
};

}  // namespace

TEST_P(ShellWait, GivesTheCommandsExitStatusWithOrWithoutALimit) {
    uint64_t spawned = ShellRecord::spawned();
    long faults = childPageFaults();
    EXPECT_EQ(3, sy_system("exit 3", 30));
    EXPECT_EQ(4, sy_system("exit 4", 0));
    EXPECT_EQ(0, sy_system("true", -1));
    EXPECT_EQ(-1, sy_system("kill -9 $$", 30));  // ended by a signal
    // The counter the start-up checks rely on counts every shell, as the
    // kernel does.
    EXPECT_EQ(spawned + 4, ShellRecord::spawned());
    EXPECT_LT(faults, childPageFaults());
}

TEST_P(ShellWait, KillsACommandStillRunningAtTheLimit) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(-1, sy_system("echo $$ >/pid; exec sleep 60", 1));
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 1.0);
    EXPECT_LT(waited, 30.0);  // not until the command's own end
    int pid = 0;
    ASSERT_TRUE(std::istringstream(m_root.readFile("/pid")) >> pid);
    // Killed and reaped: no such process any more, not even a zombie.
    int signalled = kill(pid, 0);
    int error = errno;
    EXPECT_EQ(-1, signalled);
    EXPECT_EQ(ESRCH, error);
}

TEST_P(ShellWait, ReturnsWhenTheHostReapsEveryChildItself) {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before;
    sigaction(SIGCHLD, &ignore, &before);
    // The child is gone before it can be reaped: nothing to report, but no
    // hang either.
    EXPECT_EQ(-1, sy_system("exit 0", 30));
    sigaction(SIGCHLD, &before, nullptr);
    EXPECT_EQ(0, sy_system("exit 0", 30));
}

INSTANTIATE_TEST_SUITE_P(Shell, ShellWait, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& p_info) {
                             return p_info.param ? "PidFd" : "HelperThread";
                         });
