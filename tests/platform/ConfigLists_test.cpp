#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ModuleConfigureParser.h"
#include "platform/SensorLanguageConfig.h"
#include "support/ScratchRoot.h"

TEST(ModuleConfigureParser, ReadsRecordsInOrderAndRefusesBrokenOnes) {
    ScratchRoot root;
    root.writeFile("/m.xml",
                   "<moduleConfig><module id=\"60\" detail=\"a=1;b=/dev/x\" parameters=\"P=1\"/>"
                   "<other id=\"3\"/><module id=\"-2\"/></moduleConfig>");
    std::vector<ModuleConfigure> modules(1);
    ASSERT_TRUE(ModuleConfigureParser::parse("/m.xml", "", "", modules));
    ASSERT_EQ(3u, modules.size());  // appended after what was there
    EXPECT_EQ(60, modules[1].getModuleId());
    EXPECT_EQ("a=1;b=/dev/x", modules[1].getDetail());
    EXPECT_EQ("P=1", modules[1].getParameters());
    EXPECT_EQ(-2, modules[2].getModuleId());
    EXPECT_EQ("", modules[2].getDetail());

    for (const char* broken : {"<m><module/></m>", "<m><module id=\"x\"/></m>", "<m><module",
                               "<m><module id=\"99999999999\"/></m>"}) {
        root.writeFile("/m.xml", broken);
        std::vector<ModuleConfigure> none;
        EXPECT_FALSE(ModuleConfigureParser::parse("/m.xml", "", "", none)) << broken;
        EXPECT_TRUE(none.empty());
    }
    std::vector<ModuleConfigure> none;
    EXPECT_FALSE(ModuleConfigureParser::parse("/missing.xml", "", "", none));
}

TEST(SensorLanguageConfigParser, ReadsLanguagesAndRefusesUnsafeFolders) {
    ScratchRoot root;
    root.writeFile("/l.xml",
                   "<l><language id=\"2\" folder=\"de\"/><note/><language id=\"1\" folder=\"en\"/>"
                   "</l>");
    std::vector<SensorLanguageConfig> languages;
    ASSERT_TRUE(SensorLanguageConfigParser::parse("/l.xml", languages));
    ASSERT_EQ(2u, languages.size());
    EXPECT_EQ(2, languages[0].getLanguageId());
    EXPECT_EQ("en", languages[1].getFolderName());

    for (const char* folder : {"", "..", ".", "a/b", "/abs"}) {
        root.writeFile("/l.xml",
                       std::string("<l><language id=\"1\" folder=\"") + folder + "\"/></l>");
        std::vector<SensorLanguageConfig> none;
        EXPECT_FALSE(SensorLanguageConfigParser::parse("/l.xml", none)) << folder;
    }
    root.writeFile("/l.xml", "<l><language folder=\"en\"/></l>");
    std::vector<SensorLanguageConfig> none;
    EXPECT_FALSE(SensorLanguageConfigParser::parse("/l.xml", none));
}
