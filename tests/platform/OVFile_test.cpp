#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/DiskManager.h"
#include "platform/OVFile.h"
#include "support/ScratchRoot.h"

namespace {

int saveWithMode98(const char* p_szPath, const std::string& p_strContent) {
    OVFile file;
    if (!file.open(p_szPath, OVFile::MODE_REPLACE)) {
        return 0;
    }
    if (file.write(p_strContent.data(), static_cast<unsigned int>(p_strContent.size())) == -1) {
        return 0;
    }
    return file.close();
}

}  // namespace

TEST(OVFile, ReadsAnExistingFileUnderTheRoot) {
    ScratchRoot root;
    root.writeFile("/mnt/mtd/a.cfg", std::string("(1,2)\0tail", 10));
    EXPECT_TRUE(OVFile::isExist("/mnt/mtd/a.cfg"));
    EXPECT_TRUE(DiskManager::isFileExist("/mnt/mtd/a.cfg"));
    OVFile file;
    ASSERT_TRUE(file.open("/mnt/mtd/a.cfg", OVFile::MODE_READ));
    ASSERT_EQ(10u, file.getLength());
    char buffer[16] = {};
    EXPECT_EQ(10u, file.read(buffer, 16));
    EXPECT_EQ(std::string("(1,2)\0tail", 10), std::string(buffer, 10));
}

TEST(OVFile, RefusesMissingFilesDirectoriesAndUnknownModes) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd");
    OVFile file;
    EXPECT_FALSE(file.open("/mnt/mtd/missing.cfg", OVFile::MODE_READ));
    EXPECT_FALSE(file.open("/mnt/mtd", OVFile::MODE_READ));
    EXPECT_FALSE(file.open("/mnt/mtd", OVFile::MODE_REPLACE));
    EXPECT_FALSE(file.open("/no/such/dir/a.cfg", OVFile::MODE_REPLACE));
    EXPECT_FALSE(file.open("/mnt/mtd/a.cfg", 2));
    EXPECT_FALSE(file.open("", OVFile::MODE_READ));
    EXPECT_FALSE(OVFile::isExist("/mnt/mtd/missing.cfg"));
    EXPECT_FALSE(root.exists("/no"));
    EXPECT_EQ("", root.listDir("/mnt/mtd"));
}

TEST(OVFile, Mode98ReplacesTheWholeContentAndLeavesNoTemporaryFile) {
    ScratchRoot root;
    root.writeFile("/mnt/mtd/a.cfg", "a much longer old content");
    chmod(root.path("/mnt/mtd/a.cfg").c_str(), 0640);
    {
        OVFile file;
        ASSERT_TRUE(file.open("/mnt/mtd/a.cfg", OVFile::MODE_REPLACE));
        EXPECT_EQ(3, file.write("new", 3));
        EXPECT_EQ(2, file.write("er", 2));
        // Not committed yet: a power cut now leaves the old file.
        EXPECT_EQ("a much longer old content", root.readFile("/mnt/mtd/a.cfg"));
    }
    EXPECT_EQ("newer", root.readFile("/mnt/mtd/a.cfg"));
    EXPECT_EQ("a.cfg", root.listDir("/mnt/mtd"));
    struct stat info;
    ASSERT_EQ(0, stat(root.path("/mnt/mtd/a.cfg").c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);

    EXPECT_TRUE(saveWithMode98("/mnt/mtd/b.cfg", ""));
    EXPECT_TRUE(root.exists("/mnt/mtd/b.cfg"));
    EXPECT_EQ("", root.readFile("/mnt/mtd/b.cfg"));
}

TEST(OVFile, Mode98DoesNotWriteUnchangedContent) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd");
    ASSERT_TRUE(saveWithMode98("/mnt/mtd/a.cfg", "(1,2)(3,4)"));
    ino_t first = root.inode("/mnt/mtd/a.cfg");
    ASSERT_TRUE(saveWithMode98("/mnt/mtd/a.cfg", "(1,2)(3,4)"));
    EXPECT_EQ(first, root.inode("/mnt/mtd/a.cfg"));
    ASSERT_TRUE(saveWithMode98("/mnt/mtd/a.cfg", "(1,2)(3,5)"));
    EXPECT_NE(first, root.inode("/mnt/mtd/a.cfg"));
    EXPECT_EQ("(1,2)(3,5)", root.readFile("/mnt/mtd/a.cfg"));
}

TEST(OVFile, Mode98FailsCleanlyWhenTheDirectoryVanishes) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd");
    OVFile file;
    ASSERT_TRUE(file.open("/mnt/mtd/a.cfg", OVFile::MODE_REPLACE));
    file.write("x", 1);
    ASSERT_EQ(0, rmdir(root.path("/mnt/mtd").c_str()));
    EXPECT_FALSE(file.close());
}

// A process killed at any moment of a save leaves the old content or the new
// one, never a mix: kill a child that keeps replacing one file with two
// alternating contents after ever later delays, then look at what is left.
TEST(OVFile, AKilledWriterLeavesEitherTheOldOrTheNewContent) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd");
    const std::string contentA(256 * 1024, 'a');
    const std::string contentB(200 * 1024, 'b');
    ASSERT_TRUE(saveWithMode98("/mnt/mtd/p.cfg", contentA));
    for (int round = 0; round < 40; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n) {
                saveWithMode98("/mnt/mtd/p.cfg", n % 2 == 0 ? contentB : contentA);
            }
        }
        usleep(static_cast<useconds_t>(100 + round * 250));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::string left = root.readFile("/mnt/mtd/p.cfg");
        ASSERT_TRUE(left == contentA || left == contentB)
            << "round " << round << ": " << left.size() << " bytes";
    }
}

// What a replacement cut short leaves is removed; other files stay.
TEST(OVFile, UnfinishedReplacementsAreRemovedAndNothingElse) {
    ScratchRoot root;
    for (const char* name : {"p.cfg", ".p.cfg.Ab12Cd", ".q.xml.000000", ".p.cfg.tmp", ".hidden"}) {
        root.writeFile(std::string("/mnt/mtd/") + name, "x");
    }
    EXPECT_EQ(2, removeUnfinishedReplacements("/mnt/mtd"));
    EXPECT_EQ(".hidden .p.cfg.tmp p.cfg", root.listDir("/mnt/mtd"));
    EXPECT_EQ(0, removeUnfinishedReplacements("/mnt/missing"));
}
