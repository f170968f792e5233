#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config/SensorConfigFile.h"
#include "support/ScratchRoot.h"

namespace {

const char* const kPath = "/mnt/mtd/code/config_file/sensor0.cfg";

class SensorConfigFileTest : public testing::Test {
protected:
    SensorConfigFileTest() : m_file(kPath) { m_root.makeDir("/mnt/mtd/code/config_file"); }

    std::string content() { return m_root.readFile(kPath); }
    void store(const std::string& p_strContent) { m_root.writeFile(kPath, p_strContent); }

    ScratchRoot m_root;
    SensorConfigFile m_file;
};

}  // namespace

TEST_F(SensorConfigFileTest, AppendsTheSetVersionsToATextWithoutThem) {
    EXPECT_EQ(kPath, m_file.getFilePath());
    EXPECT_FALSE(m_file.isExist());
    ASSERT_TRUE(m_file.saveParametersToFile("(1,5)"));
    EXPECT_EQ("(1,5)", content());

    m_file.setVersion(3);
    ASSERT_TRUE(m_file.saveParametersToFile("(1,50)(2,128)"));
    EXPECT_EQ("(1,50)(2,128)(10000,3)", content());
    m_file.setVersion2(1);
    ASSERT_TRUE(m_file.saveParametersToFile("(1,50)(2,128)"));
    EXPECT_EQ("(1,50)(2,128)(10000,3)(10001,1)", content());
    EXPECT_TRUE(m_file.isExist());
}

TEST_F(SensorConfigFileTest, ReplacesVersionGroupsTheTextAlreadyHolds) {
    m_file.setVersion(3);
    ASSERT_TRUE(m_file.saveParametersToFile("(10000,7)(1,5)"));
    EXPECT_EQ("(1,5)(10000,3)", content());
    ASSERT_TRUE(m_file.saveParametersToFile("(10001,7)(1,5)"));
    EXPECT_EQ("(1,5)(10001,-10000)", content());
    ASSERT_TRUE(m_file.saveParametersToFile(std::map<int, int>{{2, 1}, {10000, 0}}));
    EXPECT_EQ("(2,1)(10000,3)", content());
}

TEST_F(SensorConfigFileTest, VersionChecks) {
    EXPECT_FALSE(m_file.isVersionEqual(3));  // no file
    store("(1,5)(10000,999)(10001,2)");
    EXPECT_TRUE(m_file.isVersionEqual(3));
    EXPECT_TRUE(m_file.isVersionEqual(-10000));
    EXPECT_TRUE(m_file.isVersion2Equal(2));
    EXPECT_FALSE(m_file.isVersion2Equal(3));
    store("(1,5)(10001,999)");
    EXPECT_FALSE(m_file.isVersionEqual(5));
    EXPECT_TRUE(m_file.isVersion2Equal(5));
    store("(1,5)(10000,4)");
    EXPECT_TRUE(m_file.isVersionEqual(4));
    EXPECT_FALSE(m_file.isVersionEqual(5));
}

TEST_F(SensorConfigFileTest, ReadsUpToTheFirstZeroByte) {
    std::string text = "untouched";
    EXPECT_FALSE(m_file.readParametersFromFile(text));
    EXPECT_EQ("untouched", text);
    store("");
    EXPECT_TRUE(m_file.readParametersFromFile(text));
    EXPECT_EQ("", text);
    store(std::string("(1,5)\0garbage", 13));
    EXPECT_TRUE(m_file.readParametersFromFile(text));
    EXPECT_EQ("(1,5)", text);
    int value = 0;
    EXPECT_TRUE(m_file.readParameterById(1, value));
    EXPECT_EQ(5, value);
    value = -1;
    EXPECT_FALSE(m_file.readParameterById(2, value));
    EXPECT_EQ(-1, value);
}

TEST_F(SensorConfigFileTest, GarbageFailsEveryReadAndIsNeverRewritten) {
    const std::string garbage[] = {"(1,5)(2,", "hello", "(1,99999999999)",
                                   std::string("\xff\xfe(1,2)")};
    for (const auto& bytes : garbage) {
        store(bytes);
        std::map<int, int> values;
        int value = 0;
        EXPECT_FALSE(m_file.readParametersFromFile(values)) << bytes;
        EXPECT_FALSE(m_file.isVersionEqual(999));
        EXPECT_FALSE(m_file.readParameterById(1, value));
        EXPECT_FALSE(m_file.modifyParameter(1, 2));
        EXPECT_FALSE(m_file.modifyParameters("(1,2)"));
        EXPECT_FALSE(m_file.modifyIdUnEqualParameters("(1,2)"));
        EXPECT_EQ(bytes, content());
    }
}

TEST_F(SensorConfigFileTest, RefusesToSaveMalformedTextAndKeepsTheFile) {
    store("(1,5)");
    EXPECT_FALSE(m_file.saveParametersToFile("(1,6"));
    EXPECT_FALSE(m_file.modifyParameters("(1,6"));
    EXPECT_EQ("(1,5)", content());
}

TEST_F(SensorConfigFileTest, ModifiesOnlyIdsTheFileHolds) {
    m_file.setVersion(5);
    store("(1,9)(3,4)(10000,5)");
    EXPECT_TRUE(m_file.modifyParameter(9, 1));
    EXPECT_EQ("(1,9)(3,4)(10000,5)", content());
    EXPECT_TRUE(m_file.modifyParameter(3, 8));
    EXPECT_EQ("(1,9)(3,8)(10000,5)", content());
    EXPECT_TRUE(m_file.modifyParameters("(1,1)(2,2)(10000,77)(10001,78)"));
    EXPECT_EQ("(1,1)(3,8)(10000,5)", content());
}

TEST_F(SensorConfigFileTest, ModifyIdUnEqualKeepsStoredValuesOfTheGivenIdsOnly) {
    m_file.setVersion(5);
    store("(1,9)(3,4)(10000,5)");
    EXPECT_TRUE(m_file.modifyIdUnEqualParameters(std::map<int, int>{{1, 0}, {2, 0}}));
    EXPECT_EQ("(1,9)(2,0)(10000,5)", content());
    EXPECT_TRUE(m_file.modifyIdUnEqualParameters("(2,7)(10001,3)"));
    EXPECT_EQ("(2,0)(10000,5)", content());
}

TEST_F(SensorConfigFileTest, AnUnchangedSaveLeavesTheFlashAlone) {
    m_file.setVersion(3);
    ASSERT_TRUE(m_file.saveParametersToFile("(1,5)"));
    ino_t written = m_root.inode(kPath);
    ASSERT_TRUE(m_file.saveParametersToFile("(1,5)"));
    ASSERT_TRUE(m_file.modifyParameter(1, 5));
    EXPECT_EQ(written, m_root.inode(kPath));
}

TEST_F(SensorConfigFileTest, ReportsAFileThatCannotBeOpenedForWriting) {
    SensorConfigFile elsewhere("/mnt/missing/sensor0.cfg");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(elsewhere.saveParametersToFile("(1,5)"));
    EXPECT_EQ("________open file(/mnt/missing/sensor0.cfg) failed\n",
              testing::internal::GetCapturedStdout());
}
