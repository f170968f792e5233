#include <gtest/gtest.h>

#include <string>

#include "config/SensorFile.h"
#include "support/ScratchRoot.h"

namespace {

const char* const kTree = "/hd1/moduleConfig/sensorConfig";

std::string tabs(const std::string& p_strTabs) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Style>\n" + p_strTabs + "</Style>\n";
}

// A UI tree with two languages and the module list given.
class SensorFileTest : public testing::Test {
protected:
    SensorFileTest() {
        m_root.writeFile(std::string(kTree) + "/SensorLanguageConfig.xml",
                         "<l><language id=\"1\" folder=\"en\"/><language id=\"2\" folder=\"de\"/>"
                         "</l>");
        m_root.writeFile(std::string(kTree) + "/style/XStyle.xml", m_strStyle);
        for (const char* folder : {"en", "de"}) {
            m_root.writeFile(std::string(kTree) + "/common/" + folder + "/SensorCommon.xml",
                             std::string("common ") + folder);
            m_root.writeFile(std::string(kTree) + "/language/" + folder + "/XLang.xml",
                             std::string("lang ") + folder);
        }
    }

    void modules(const std::string& p_strRecords) {
        m_root.writeFile("/hd1/moduleConfig/moduleConfig.xml", "<m>" + p_strRecords + "</m>");
    }

    int init(SensorFile& p_file, std::string* p_pOut = nullptr) {
        testing::internal::CaptureStdout();
        int result = p_file.init("", "");
        std::string out = testing::internal::GetCapturedStdout();
        if (p_pOut != nullptr) {
            *p_pOut = out;
        }
        return result;
    }

    ScratchRoot m_root;
    const std::string m_strStyle =
        "<Style>\n<Tab id=\"1\"/>\n  <Tab id=\"2\"/></Style>\n";  // not TinyXML's layout
};

}  // namespace

TEST_F(SensorFileTest, TheLastRecordWithAModuleIdOf1To99Wins) {
    modules(
        "<module id=\"5\" parameters=\"Prefix=X\"/>"
        "<module id=\"60\" detail=\"a=1\" parameters=\"Prefix=X;GUIConfig=v1.bin\"/>"
        "<module id=\"100\" parameters=\"Prefix=Y\"/><module id=\"0\"/>");
    m_root.writeFile(std::string(kTree) + "/v1.bin", std::string("V1\0with\0zeros", 13));
    SensorFile file;
    std::string out;
    EXPECT_EQ(1, init(file, &out));
    EXPECT_EQ(60, file.getModuleConfigure().getModuleId());
    EXPECT_EQ("a=1", file.getModuleConfigure().getDetail());
    EXPECT_EQ(std::string("V1\0with\0zeros", 13), file.getUISensorConfig_V1());
    EXPECT_EQ(m_strStyle, file.getUIStyleConfig());  // no variant file: the bytes as they are
    EXPECT_NE(std::string::npos, out.find("SensorFile::init  successs !!!!"));
}

TEST_F(SensorFileTest, RecordsOutsideTheRangeLeaveTheRecordAsItWas) {
    modules("<module id=\"0\" parameters=\"Prefix=X\"/><module id=\"100\"/>");
    SensorFile file;
    file.getModuleConfigure() = ModuleConfigure(7, "old", "Prefix=X");
    EXPECT_EQ(1, init(file));
    EXPECT_EQ(7, file.getModuleConfigure().getModuleId());
    EXPECT_EQ("old", file.getModuleConfigure().getDetail());
}

TEST_F(SensorFileTest, TheTwoSelectorsPickTheRecordsOfABoardAndProduct) {
    modules(
        "<module id=\"2\" board=\"b1\" product=\"p1\" parameters=\"Prefix=X\"/>"
        "<module id=\"3\" board=\"b2\" parameters=\"Prefix=X\"/>"
        "<module id=\"4\" product=\"p2\" parameters=\"Prefix=X\"/>");
    SensorFile first;
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, first.init("b1", "p1"));
    SensorFile second;
    EXPECT_EQ(1, second.init("b2", "p1"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(2, first.getModuleConfigure().getModuleId());
    EXPECT_EQ(3, second.getModuleConfigure().getModuleId());
}

TEST_F(SensorFileTest, LanguagesFallBackToLanguageOneThenToNothing) {
    modules("<module id=\"9\" parameters=\"Prefix=X\"/>");
    SensorFile file;
    ASSERT_EQ(1, init(file));
    EXPECT_EQ("common de", file.getUICommonConfig(2));
    EXPECT_EQ("lang de", file.getUILanguageConfig(2));
    EXPECT_EQ("common en", file.getUICommonConfig(7));
    EXPECT_EQ("lang en", file.getUILanguageConfig(7));

    // Without language 1 an unknown language has no text; the first of two
    // entries with one id keeps its texts.
    m_root.writeFile(std::string(kTree) + "/SensorLanguageConfig.xml",
                     "<l><language id=\"2\" folder=\"de\"/><language id=\"2\" folder=\"en\"/></l>");
    SensorFile other;
    ASSERT_EQ(1, init(other));
    EXPECT_EQ("", other.getUICommonConfig(7));
    EXPECT_EQ("common de", other.getUICommonConfig(2));
}

TEST_F(SensorFileTest, AVariantFileMergesAndReprintsTheStyle) {
    modules("<module id=\"9\" detail=\"ir=0\" parameters=\"Prefix=X\"/>");
    m_root.writeFile(std::string(kTree) + "/styleDiversity/XStyleDiversity.xml",
                     "<B ir=\"0\"><Delete><Tab id=\"2\"/></Delete></B><B ir=\"1\"/>");
    SensorFile file;
    ASSERT_EQ(1, init(file));
    EXPECT_EQ("<Style>\n    <Tab id=\"1\" />\n</Style>\n", file.getUIStyleConfig());
    ASSERT_EQ(1u, file.getUIStyleAppliedBlocks().size());
    EXPECT_EQ("B ir=\"0\"", file.getUIStyleAppliedBlocks()[0]);
}

TEST_F(SensorFileTest, AnEmptyPrefixUsesThePlainFileNames) {
    modules("<module id=\"9\" parameters=\"Prefix=\"/>");
    m_root.writeFile(std::string(kTree) + "/style/Style.xml", tabs(""));
    m_root.writeFile(std::string(kTree) + "/language/en/Lang.xml", "plain");
    SensorFile file;
    ASSERT_EQ(1, init(file));
    EXPECT_EQ(tabs(""), file.getUIStyleConfig());
    EXPECT_EQ("plain", file.getUILanguageConfig(1));
}

TEST_F(SensorFileTest, FailuresSayWhyAndMissingTextsOnlyCostTheirLanguage) {
    struct Case {
        const char* szRecords;
        int nResult;
        const char* szMessage;
    } cases[] = {
        {"<module id=\"9\" parameters=\"Prefix\"/>", 0, "parse senseParameter failed"},
        {"<module id=\"9\" parameters=\"GUIConfig=v1\"/>", 0, "getPrefix failed "},
        {"<module id=\"9\" parameters=\"Prefix=Q\"/>", 0, "getStyleFileText failed , path="},
        {"<module id=\"9\" parameters=\"Prefix=X;GUIConfig=none\"/>", 1,
         "initUIConfigString from /hd1/moduleConfig/sensorConfig/none failed"},
        {"<module id=\"9\" parameters=\"Prefix=X\"/>", 1,
         "get GUIConfigName from senseParameter failed"},
    };
    for (const Case& c : cases) {
        modules(c.szRecords);
        SensorFile file;
        std::string out;
        EXPECT_EQ(c.nResult, init(file, &out)) << c.szRecords;
        EXPECT_NE(std::string::npos, out.find(c.szMessage)) << out;
    }

    modules("<module id=\"9\" parameters=\"Prefix=X\"/>");
    m_root.writeFile(std::string(kTree) + "/SensorLanguageConfig.xml",
                     "<l><language id=\"1\"/></l>");
    SensorFile noLanguages;
    std::string out;
    EXPECT_EQ(0, init(noLanguages, &out));
    EXPECT_NE(std::string::npos, out.find("parse SensorLanguageConfig.xml failed "));

    m_root.writeFile(std::string(kTree) + "/SensorLanguageConfig.xml",
                     "<l><language id=\"1\" folder=\"en\"/><language id=\"3\" folder=\"fr\"/></l>");
    SensorFile oneMissing;
    EXPECT_EQ(1, init(oneMissing, &out));
    EXPECT_NE(std::string::npos,
              out.find("getCommonFile failed , path=/hd1/moduleConfig/sensorConfig/common/fr/"
                       "SensorCommon.xml"));
    EXPECT_EQ("common en", oneMissing.getUICommonConfig(3));
}
