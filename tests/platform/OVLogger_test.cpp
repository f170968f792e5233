#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/OVLogger.h"
#include "support/ScratchRoot.h"

namespace {

std::vector<std::string> lines(const std::string& p_strText) {
    std::vector<std::string> result;
    std::istringstream in(p_strText);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

}  // namespace

TEST(OVLogger, WritesOneStampedLinePerRecord) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd/log");
    root.clock().setTimeOfDay(8, 30, 5);
    OVLogger logger;
    ASSERT_TRUE(logger.init("/mnt/mtd/log/SensorError.log", 10240, 3));
    EXPECT_TRUE(logger.writeLog("SensorError", "initController failed"));
    EXPECT_TRUE(logger.writeLog("SensorError", "two\nlines\n"));
    EXPECT_EQ(
        "2026-01-01 08:30:05 [SensorError] initController failed\n"
        "2026-01-01 08:30:05 [SensorError] two lines\n",
        root.readFile("/mnt/mtd/log/SensorError.log"));
}

TEST(OVLogger, RotatesAtTheByteLimitKeepingTheNewestRecordsInOrder) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd/log");
    OVLogger logger;
    ASSERT_TRUE(logger.init("/mnt/mtd/log/SensorInit.log", 200, 3));
    for (int n = 0; n < 40; ++n) {
        ASSERT_TRUE(logger.writeLog("SensorInit", ("record " + std::to_string(n)).c_str()));
    }
    EXPECT_EQ("SensorInit.log SensorInit.log.1 SensorInit.log.2", root.listDir("/mnt/mtd/log"));
    std::vector<std::string> all;
    for (const char* name : {"/mnt/mtd/log/SensorInit.log.2", "/mnt/mtd/log/SensorInit.log.1",
                             "/mnt/mtd/log/SensorInit.log"}) {
        std::string content = root.readFile(name);
        EXPECT_LE(content.size(), 200u) << name;
        for (const auto& line : lines(content)) {
            all.push_back(line.substr(line.find("] ") + 2));
        }
    }
    ASSERT_FALSE(all.empty());
    EXPECT_EQ("record 39", all.back());
    int first = std::stoi(all.front().substr(7));
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ("record " + std::to_string(first + static_cast<int>(i)), all[i]);
    }
}

TEST(OVLogger, OneFileLimitStartsAfreshAndOverlongRecordsAreCut) {
    ScratchRoot root;
    root.makeDir("/log");
    OVLogger logger;
    ASSERT_TRUE(logger.init("/log/one.log", 80, 1));
    logger.writeLog("t", std::string(200, 'x').c_str());
    EXPECT_EQ(80u, root.readFile("/log/one.log").size());
    logger.writeLog("t", "short");
    EXPECT_EQ("one.log", root.listDir("/log"));
    EXPECT_EQ(1u, lines(root.readFile("/log/one.log")).size());
}

TEST(OVLogger, CutsARecordTornByAPowerCutBeforeWritingOn) {
    ScratchRoot root;
    root.writeFile("/log/a.log", std::string("whole line\nhalf a li\0\0", 23));
    OVLogger logger;
    ASSERT_TRUE(logger.init("/log/a.log", 10240, 2));
    ASSERT_TRUE(logger.writeLog("t", "next"));
    std::vector<std::string> got = lines(root.readFile("/log/a.log"));
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ("whole line", got[0]);
    EXPECT_NE(std::string::npos, got[1].find("[t] next"));
}

TEST(OVLogger, StaticFormAndMissingDirectory) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd/log");
    EXPECT_TRUE(OVLogger::writeLog("/mnt/mtd/log/Reboot.log", "Reboot", "module error", 10240, 2));
    EXPECT_NE(std::string::npos,
              root.readFile("/mnt/mtd/log/Reboot.log").find("[Reboot] module error\n"));
    EXPECT_FALSE(OVLogger::writeLog("/missing/Reboot.log", "Reboot", "x", 10240, 2));
    OVLogger unset;
    EXPECT_FALSE(unset.writeLog("t", "never initialised"));
    EXPECT_FALSE(root.exists("/missing"));
}
