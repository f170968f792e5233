#include <gtest/gtest.h>

#include <string>

#include "config/IRPowerDefaultConfig.h"
#include "support/ScratchRoot.h"

namespace {

const char* const kFile = "/hd1/program/config/IRPower.xml";

std::string table(const std::string& p_strVersionItems, const std::string& p_strRows) {
    return "<IRConfig><version>" + p_strVersionItems + "</version><IRPower>" + p_strRows +
           "</IRPower></IRConfig>";
}

const char* const kRows =
    "<item zoomup=\"0\" far=\"1\" mid=\"2\" near=\"3\"/>"
    "<item zoomup=\"9\" far=\"4\" mid=\"5\" near=\"6\"/>"
    "<item zoomup=\"4\" far=\"7\" mid=\"8\" near=\"9\"/>";

}  // namespace

TEST(IRPowerDefaultConfig, LoadHandsOverEveryRowInFileOrder) {
    ScratchRoot root;
    root.writeFile(kFile, table("<item version=\"2\"/>", kRows));
    IRPowerDefaultConfig config;
    IRPowerParamV2 power;
    ASSERT_EQ(0, config.load(1, kFile, power));
    ASSERT_EQ(3u, power.getIrPower().size());
    EXPECT_EQ(9, power.getIrPower()[1].getZoomUp());  // not sorted
    EXPECT_EQ(8, power.getIrPower()[2].getMidPower());
    EXPECT_EQ(3, power.getIrPower()[0].getNearPower());

    root.writeFile(kFile, table("", ""));
    ASSERT_EQ(0, config.load(1, kFile, power));
    EXPECT_TRUE(power.getIrPower().empty());
}

TEST(IRPowerDefaultConfig, EveryFailureHasItsCodeAndLeavesThePowerTable) {
    ScratchRoot root;
    IRPowerDefaultConfig config;
    IRPowerParamV2 power;
    IRPowerItem kept;
    kept.setZoomUp(42);
    power.setIrPower({kept});
    int version = -7;
    EXPECT_EQ(-4, config.load(1, kFile, power));
    EXPECT_EQ(-4, config.getVersion(1, kFile, version));
    root.writeFile(kFile, "<IRConfig><other/></IRConfig>");
    EXPECT_EQ(-1, config.load(1, kFile, power));
    EXPECT_EQ(-1, config.getVersion(1, kFile, version));
    root.writeFile(kFile, table("", "<item zoomup=\"1\" far=\"2\" near=\"3\"/>"));
    EXPECT_EQ(-2, config.getVersion(1, kFile, version));  // an empty version node
    EXPECT_EQ(-3, config.load(1, kFile, power));          // "mid" is missing
    root.writeFile(kFile, table("<item other=\"1\"/>", ""));
    EXPECT_EQ(-3, config.getVersion(1, kFile, version));
    root.writeFile(kFile, "not xml");
    EXPECT_EQ(-4, config.load(1, kFile, power));
    EXPECT_EQ(-7, version);
    ASSERT_EQ(1u, power.getIrPower().size());
    EXPECT_EQ(42, power.getIrPower()[0].getZoomUp());
}

TEST(IRPowerDefaultConfig, TheVersionIsReadOnceAndRemembered) {
    ScratchRoot root;
    root.writeFile(kFile, table("<item version=\"5\"/><item version=\"6\"/>", kRows));
    IRPowerDefaultConfig config;
    int version = 0;
    ASSERT_EQ(0, config.getVersion(1, kFile, version));
    EXPECT_EQ(5, version);
    root.writeFile(kFile, "gone");
    EXPECT_EQ(0, config.getVersion(1, kFile, version));  // the file is not read again
    EXPECT_EQ(5, version);
    ino_t before = root.inode(kFile);
    EXPECT_EQ(0, config.setVersion(1, kFile, 5));  // known and equal: nothing written
    EXPECT_EQ(before, root.inode(kFile));
}

TEST(IRPowerDefaultConfig, SetVersionRewritesOnlyTheVersionNode) {
    ScratchRoot root;
    root.writeFile(kFile, table("<item version=\"1\"/>", kRows));
    IRPowerDefaultConfig config;
    ASSERT_EQ(0, config.setVersion(1, kFile, 8));
    IRPowerDefaultConfig reader;
    int version = 0;
    IRPowerParamV2 power;
    EXPECT_EQ(0, reader.getVersion(1, kFile, version));
    EXPECT_EQ(8, version);
    EXPECT_EQ(0, reader.load(1, kFile, power));
    EXPECT_EQ(3u, power.getIrPower().size());
}

TEST(IRPowerDefaultConfig, AMissingFileIsCreatedWithTheRequestedVersion) {
    ScratchRoot root;
    root.makeDir("/hd1/program/config");
    IRPowerDefaultConfig config;
    ASSERT_EQ(0, config.setVersion(3, kFile, 4));
    EXPECT_EQ(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<IRConfig>\n    <version>\n"
        "        <item version=\"4\" />\n    </version>\n</IRConfig>\n",
        root.readFile(kFile));
    EXPECT_EQ(-4, config.setVersion(3, "/no/such/dir/IRPower.xml", 5));
}

TEST(IRPowerDefaultConfig, OpenCreatesOnlyWhenClosedAndNeverOnDestruction) {
    ScratchRoot root;
    root.makeDir("/hd1/program/config");
    {
        IRPowerDefaultConfig config;
        EXPECT_EQ(0, config.open(1, kFile, 1));  // reading a missing file
        EXPECT_EQ(1, config.open(1, kFile, 2));  // created in memory, left open
        int version = 0;
        EXPECT_EQ(0, config.getVersion(1, kFile, version));
        EXPECT_EQ(1, version);  // the new file's version, without a read
        EXPECT_FALSE(root.exists(kFile));
    }
    EXPECT_FALSE(root.exists(kFile));  // destroyed without close(): nothing written
    IRPowerDefaultConfig config;
    ASSERT_EQ(1, config.open(1, kFile, 2));
    EXPECT_EQ(1, config.close());
    EXPECT_NE(std::string::npos, root.readFile(kFile).find("<item version=\"1\" />"));
}
