#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/PlatformRoot.h"
#include "platform/Shell.h"
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
