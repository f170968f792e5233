// The library's own file commands run in-process: each must do what the shell
// command it is recorded as did, write as power-cut safely as every other
// save, and leave a start free of processes.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/PlatformRoot.h"
#include "platform/Shell.h"
#include "platform/internal/FileCommand.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/ScratchRoot.h"
#include "support/TestController.h"

namespace {

const std::string kDir = "/mnt/mtd/code/config_file";
const std::string kFactory = kDir + "/sensor_Factory.cfg";
const std::string kWatchdog = "/proc/wtd/user_interval";

std::string scheme(int p_nIndex) {
    return kDir + "/sensor" + std::to_string(p_nIndex) + ".cfg";
}

// What a root holds where the commands work: each file's name, permissions
// and content.
std::string snapshot(const ScratchRoot& p_root) {
    std::ostringstream out;
    for (const std::string& dir : {kDir, std::string("/proc/wtd")}) {
        std::istringstream names(p_root.listDir(dir));
        for (std::string name; names >> name;) {
            std::string path = dir + "/" + name;
            struct stat info;
            stat(p_root.path(path).c_str(), &info);
            out << path << " " << std::oct << (info.st_mode & 07777) << std::dec << " \""
                << p_root.readFile(path) << "\"\n";
        }
    }
    return out.str();
}

long childPageFaults() {
    struct rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_minflt;
}

struct Step {
    const char* szCommand;  // as recorded, and as the shell runs it
    std::function<int()> run;
};

}  // namespace

// Each command runs in-process in one root and, as the text it is recorded
// as, through the shell in another: the two must end alike.
TEST(FileCommand, DoesWhatTheShellCommandItIsRecordedAsDoes) {
    ScratchRoot shell;
    ScratchRoot here;
    for (const ScratchRoot* root : {&shell, &here}) {
        root->writeFile(kFactory, "(1,2)(500,1)");
        root->writeFile(scheme(1), "(1,9)");
        chmod(root->path(scheme(1)).c_str(), 0600);
        root->writeFile(kDir + "/sensor.cfg", "(1,7)");
        root->makeDir("/proc/wtd");
    }
    const std::vector<Step> steps = {
        {"cp /mnt/mtd/code/config_file/sensor_Factory.cfg /mnt/mtd/code/config_file/sensor0.cfg",
         [] { return FileCommand::copy(kFactory, scheme(0)); }},
        {"cp /mnt/mtd/code/config_file/sensor_Factory.cfg /mnt/mtd/code/config_file/sensor1.cfg",
         [] { return FileCommand::copy(kFactory, scheme(1)); }},
        {"cp /mnt/mtd/code/config_file/sensor9.cfg /mnt/mtd/code/config_file/sensor2.cfg",
         [] { return FileCommand::copy(scheme(9), scheme(2)); }},
        {"mv /mnt/mtd/code/config_file/sensor.cfg /mnt/mtd/code/config_file/sensor0.cfg",
         [] { return FileCommand::move(kDir + "/sensor.cfg", scheme(0)); }},
        {"mv /mnt/mtd/code/config_file/sensor.cfg /mnt/mtd/code/config_file/sensor0.cfg",
         [] { return FileCommand::move(kDir + "/sensor.cfg", scheme(0)); }},
        {"rm /mnt/mtd/code/config_file/sensor1.cfg", [] { return FileCommand::remove(scheme(1)); }},
        {"rm /mnt/mtd/code/config_file/sensor1.cfg", [] { return FileCommand::remove(scheme(1)); }},
        {"echo 1 >/proc/wtd/user_interval", [] { return FileCommand::echo("1", kWatchdog); }},
        {"echo 1 >/proc/none/user_interval",
         [] { return FileCommand::echo("1", "/proc/none/user_interval"); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.szCommand);
        PlatformRoot::setOverride(here.dir());
        ShellRecord::clear();
        uint64_t spawned = ShellRecord::spawned();
        testing::internal::CaptureStdout();
        int status = step.run();
        std::string complaint = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::vector<std::string>{step.szCommand}, ShellRecord::commands());
        EXPECT_EQ(spawned, ShellRecord::spawned());

        PlatformRoot::setOverride(shell.dir());
        testing::internal::CaptureStdout();
        int shellStatus = sy_system(step.szCommand, 30);
        std::string shellComplaint = testing::internal::GetCapturedStdout();
        EXPECT_EQ(shellStatus, status);
        EXPECT_EQ(snapshot(shell), snapshot(here));
        // A failure says why on the console, as the command did.
        EXPECT_EQ(shellComplaint.empty(), complaint.empty()) << complaint;
    }
    PlatformRoot::setOverride(here.dir());
}

// Where the shell's cp writes over the old file in place, the copy replaces
// it: a cut leaves the old content or the new, never a part.
TEST(FileCommand, ACopyReplacesTheDestinationWholeAndSparesAnUnchangedOne) {
    ScratchRoot root;
    root.writeFile(kFactory, "(1,2)(500,1)");
    root.writeFile(scheme(0), "(1,9)");
    ino_t old = root.inode(scheme(0));
    EXPECT_EQ(0, FileCommand::copy(kFactory, scheme(0)));
    EXPECT_EQ("(1,2)(500,1)", root.readFile(scheme(0)));
    EXPECT_NE(old, root.inode(scheme(0)));
    EXPECT_EQ("sensor0.cfg sensor_Factory.cfg", root.listDir(kDir));  // no temporary left

    ino_t copied = root.inode(scheme(0));
    EXPECT_EQ(0, FileCommand::copy(kFactory, scheme(0)));
    EXPECT_EQ(copied, root.inode(scheme(0)));  // the same content is not written again
}

// A first start lays every parameter file and a warm start reads them back:
// neither starts a process, by the shell layer's count and the kernel's.
TEST(FileCommand, NeitherAFirstNorAWarmStartSpawnsAProcess) {
    ScratchRoot root;
    layBoard(root, 3);
    SafePointer<IUARTController> uart(new SimSerialPort());
    SafePointer<IGPIO> gpio(new SimGPIO());
    for (const char* start : {"first", "warm"}) {
        SCOPED_TRACE(start);
        ShellRecord::clear();
        uint64_t spawned = ShellRecord::spawned();
        long faults = childPageFaults();
        {
            TestController controller;
            controller.setOperator(uart, gpio);
            testing::internal::CaptureStdout();
            int booted =
                controller.init(1, ModuleConfigure(99, "", ""), VideoResolution(1920, 1080));
            bool settled = root.clock().settle(1);
            testing::internal::GetCapturedStdout();
            ASSERT_EQ(1, booted);
            EXPECT_TRUE(settled);
        }
        EXPECT_EQ(spawned, ShellRecord::spawned());
        EXPECT_EQ(faults, childPageFaults());
        // The first start still removed and copied the files it always did.
        EXPECT_EQ(std::string(start) == "first" ? 7u : 0u, ShellRecord::commands().size());
    }
    EXPECT_EQ("sensor.xml sensor0.cfg sensor1.cfg sensor2.cfg sensor_Factory.cfg",
              root.listDir(kDir));
}
