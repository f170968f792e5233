#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "config/MergedXml.h"
#include "support/ScratchRoot.h"

namespace {

const char* const kStylePath = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
const char* const kVariantPath = "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml";
const char* const kTabs12 = "<Style><Tab id=\"1\"/><Tab id=\"2\"/></Style>";

// The style document holding these tabs, as TinyXML prints it.
std::string printed(std::initializer_list<const char*> p_tabs) {
    std::string text = "<Style>\n";
    for (const char* tab : p_tabs) {
        text += std::string("    ") + tab + "\n";
    }
    return text + "</Style>\n";
}

// A block applying to modules whose model is A.
std::string block(const std::string& p_strEdits) {
    return "<Sensor model=\"A\">" + p_strEdits + "</Sensor>";
}

class MergedXmlTest : public testing::Test {
protected:
    MergedXmlTest() {
        m_merged.setStyleOriginalPath(kStylePath);
        m_merged.setStyleModifyPath(kVariantPath);
    }

    // The merged style text, or "untouched" when the merge failed.
    std::string merge(const std::string& p_strStyle, const std::string& p_strVariant,
                      const std::string& p_strDetail = "model=A") {
        m_root.writeFile(kStylePath, p_strStyle);
        m_root.writeFile(kVariantPath, p_strVariant);
        std::string text = "untouched";
        m_merged.getStyleMergedString(p_strDetail, text);
        return text;
    }

    ScratchRoot m_root;
    MergedXml m_merged;
};

}  // namespace

TEST_F(MergedXmlTest, DeleteRemovesEveryTabWithTheKeyAndIgnoresUnknownKeys) {
    const char* style =
        "<Style><Tab id=\"1\" n=\"a\"/><Tab id=\"2\"/><Tab id=\"1\" n=\"b\"/><Tab id=\"3\"/>"
        "<Tab id=\"1\" n=\"c\"/></Style>";
    EXPECT_EQ(printed({"<Tab id=\"2\" />", "<Tab id=\"3\" />"}),
              merge(style, block("<Delete><Tab id=\"1\"/></Delete>")));
    EXPECT_EQ(printed({"<Tab id=\"1\" n=\"a\" />", "<Tab id=\"2\" />", "<Tab id=\"1\" n=\"b\" />",
                       "<Tab id=\"1\" n=\"c\" />"}),
              merge(style, block("<Delete><Tab id=\"9\"/><Tab id=\"3\"/></Delete>")));
}

TEST_F(MergedXmlTest, AddBeforeAndAddAfterInsertDeepCopiesInOrder) {
    const std::string tabs78 =
        "<Tab id=\"1\"><Tab id=\"7\"><Item v=\"x\"/></Tab><Tab id=\"8\"/></Tab>";
    EXPECT_EQ(
        "<Style>\n    <Tab id=\"7\">\n        <Item v=\"x\" />\n    </Tab>\n    <Tab id=\"8\" />\n"
        "    <Tab id=\"1\" />\n    <Tab id=\"2\" />\n</Style>\n",
        merge(kTabs12, block("<AddBefore>" + tabs78 + "</AddBefore>")));
    EXPECT_EQ(
        "<Style>\n    <Tab id=\"1\" />\n    <Tab id=\"7\">\n        <Item v=\"x\" />\n    </Tab>\n"
        "    <Tab id=\"8\" />\n    <Tab id=\"2\" />\n</Style>\n",
        merge(kTabs12, block("<AddAfter>" + tabs78 + "</AddAfter>")));
}

TEST_F(MergedXmlTest, AddAfterPlacesEachCopyAfterTheFirstTabWithThePreviousKey) {
    // The old tab 7 comes first, so the copy 9 follows it, not the new 7.
    EXPECT_EQ(printed({"<Tab id=\"7\" n=\"old\" />", "<Tab id=\"9\" />", "<Tab id=\"1\" />",
                       "<Tab id=\"7\" n=\"new\" />", "<Tab id=\"2\" />"}),
              merge("<Style><Tab id=\"7\" n=\"old\"/><Tab id=\"1\"/><Tab id=\"2\"/></Style>",
                    block("<AddAfter><Tab id=\"1\"><Tab id=\"7\" n=\"new\"/><Tab id=\"9\"/></Tab>"
                          "</AddAfter>")));
}

TEST_F(MergedXmlTest, EntriesWithoutAnchorInsertNothingAndTheMergeGoesOn) {
    EXPECT_EQ(
        printed({"<Tab id=\"1\" />", "<Tab id=\"5\" />", "<Tab id=\"6\" />", "<Tab id=\"2\" />"}),
        merge(kTabs12, block("<AddBefore><Tab id=\"9\"><Tab id=\"7\"/></Tab>"
                             "<Tab id=\"2\"><Tab id=\"5\"/></Tab></AddBefore>"
                             "<AddAfter><Tab id=\"9\"><Tab id=\"8\"/></Tab></AddAfter>") +
                           block("<AddAfter><Tab id=\"5\"><Tab id=\"6\"/></Tab></AddAfter>")));
}

TEST_F(MergedXmlTest, LaterBlocksSeeTheEditsOfEarlierOnes) {
    const std::string variant =
        block("<AddAfter><Tab id=\"1\"><Tab id=\"5\"/></Tab></AddAfter>") +
        "<Other model=\"A,B\" mount=\",x\"/>" +
        "<Sensor mount=\"x\"><Delete><Tab id=\"2\"/></Delete></Sensor>" +
        block(
            "<AddBefore><Tab id=\"5\"><Tab id=\"6\"/></Tab></AddBefore>"
            "<Rename><Tab id=\"1\"/></Rename><Delete><Tab id=\"1\"/></Delete>") +
        block("<Delete><Tab id=\"6\"/></Delete>");
    const std::string expected = printed({"<Tab id=\"5\" />", "<Tab id=\"2\" />"});
    EXPECT_EQ(expected, merge(kTabs12, variant, "model=A;mount="));
    EXPECT_EQ((std::vector<std::string>{"Sensor model=\"A\"", "Other model=\"A,B\" mount=\",x\"",
                                        "Sensor model=\"A\"", "Sensor model=\"A\""}),
              m_merged.getAppliedBlocks());
    // A second merge reads the files afresh instead of editing the last result.
    EXPECT_EQ(expected, merge(kTabs12, variant, "model=A;mount="));
    EXPECT_EQ(4u, m_merged.getAppliedBlocks().size());
    EXPECT_EQ(printed({"<Tab id=\"1\" />", "<Tab id=\"2\" />"}),
              merge(kTabs12, variant, "model=C"));
    EXPECT_TRUE(m_merged.getAppliedBlocks().empty());
}

TEST_F(MergedXmlTest, BlockAppliesOnlyWhenEveryConditionHolds) {
    struct Case {
        const char* conditions;
        const char* detail;
        bool applies;
    };
    const Case cases[] = {
        {"model=\"A,B\"", "model=B", true},
        {"model=\"A,B\"", "model=b", false},
        {"model=\"A,B\"", "mount=B", false},
        {"model=\"\"", "model=", false},
        {"model=\",A\"", "model=", true},
        {"model=\"A,\"", "model=", false},
        {"model=\"A,,B\"", "model=", true},
        {"model=\"A\" mount=\"x,y\"", "mount=y;model=A", true},
        {"model=\"A\" mount=\"x,y\"", "model=A;mount=z", false},
        {"", "model=A", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.conditions) + " / " + c.detail);
        std::string variant =
            std::string("<Sensor ") + c.conditions + "><Delete><Tab id=\"1\"/></Delete></Sensor>";
        EXPECT_EQ(c.applies ? printed({"<Tab id=\"2\" />"})
                            : printed({"<Tab id=\"1\" />", "<Tab id=\"2\" />"}),
                  merge(kTabs12, variant, c.detail));
        EXPECT_EQ(c.applies ? 1u : 0u, m_merged.getAppliedBlocks().size());
    }
}

TEST_F(MergedXmlTest, KeysAreTheFirstAttributeReadAsANumber) {
    const char* style =
        "<Style><Tab id=\"007\"/><Tab name=\"abc\" id=\"3\"/><Tab id=\" -4x\"/></Style>";
    EXPECT_EQ(printed({"<Tab id=\" -4x\" />"}),
              merge(style, block("<Delete><Tab key=\"7\"/><Tab id=\"0\"/></Delete>")));
    EXPECT_EQ(printed({"<Tab id=\"007\" />", "<Tab name=\"abc\" id=\"3\" />"}),
              merge(style, block("<Delete><Tab id=\"-4\"/><Tab id=\"3\"/></Delete>")));
}

TEST_F(MergedXmlTest, ElementsWithoutAttributesHaveNoKey) {
    const char* style = "<Style><Tab/><Tab id=\"0\"/><Tab id=\"1\"/></Style>";
    // Neither the bare tab nor the bare entry stands for key 0.
    EXPECT_EQ(printed({"<Tab />", "<Tab id=\"1\" />"}),
              merge(style, block("<Delete><Tab/><Tab id=\"0\"/></Delete>")));
    EXPECT_EQ(printed({"<Tab />", "<Tab id=\"0\" />", "<Tab id=\"1\" />"}),
              merge(style, block("<Delete><Tab/></Delete><AddBefore><Tab><Tab id=\"5\"/></Tab>"
                                 "</AddBefore><AddAfter><Tab><Tab id=\"6\"/></Tab></AddAfter>")));
    // n="" is key 0, so the bare copy follows tab 0 (not the bare tab before
    // it); the chain ends with that copy and tab 8 is never placed.
    EXPECT_EQ(printed({"<Tab />", "<Tab id=\"0\" />", "<Tab />", "<Tab id=\"1\" />",
                       "<Tab id=\"7\" />", "<Tab n=\"\" />"}),
              merge(style, block("<AddAfter><Tab id=\"1\"><Tab id=\"7\"/><Tab n=\"\"/><Tab/>"
                                 "<Tab id=\"8\"/></Tab></AddAfter>")));
}

TEST_F(MergedXmlTest, StyleWithoutRootElementStaysEmpty) {
    EXPECT_EQ("<!-- no tabs -->\n",
              merge("<!-- no tabs -->",
                    block("<Delete><Tab id=\"1\"/></Delete><AddBefore><Tab id=\"1\"><Tab id=\"5\"/>"
                          "</Tab></AddBefore><AddAfter><Tab id=\"1\"><Tab id=\"6\"/></Tab>"
                          "</AddAfter>")));
    EXPECT_EQ(1u, m_merged.getAppliedBlocks().size());
}

TEST_F(MergedXmlTest, VariantWithoutBlocksReprintsTheStyle) {
    const char* style =
        "<?xml version=\"1.0\"?>\n<Style>\n\t<Tab id=\"1\"></Tab><Tab id='2'/>\n</Style>";
    const std::string expected =
        "<?xml version=\"1.0\" ?>\n" + printed({"<Tab id=\"1\" />", "<Tab id=\"2\" />"});
    EXPECT_EQ(expected, merge(style, "<!-- nothing to change -->"));
    EXPECT_EQ(expected, merge(style, ""));
    // A bare block applies to nobody, so even a malformed detail is never parsed.
    EXPECT_EQ(expected, merge(style, "<Sensor><Delete><Tab id=\"1\"/></Delete></Sensor>", "junk"));
}

TEST_F(MergedXmlTest, FailuresPrintTheirCauseAndLeaveTheTextUntouched) {
    struct Case {
        const char* styleFile;
        const char* variantFile;
        const char* detail;
        const char* output;
    };
    const Case cases[] = {
        {kStylePath, "", "model=A",
         "m_strStyleModifyPath or m_strStyleOriginalPath is NULL,Please set path first\n"},
        {"", kVariantPath, "model=A",
         "m_strStyleModifyPath or m_strStyleOriginalPath is NULL,Please set path first\n"},
        {"/hd1/missing.xml", kVariantPath, "model=A", "mergeStyleXml file open failed \n"},
        {kStylePath, "/hd1/missing.xml", "model=A", "mergeStyleXml file open failed \n"},
        {kStylePath, kVariantPath, "model", "parse detail failed\n"},
    };
    m_root.writeFile(kStylePath, kTabs12);
    m_root.writeFile(kVariantPath, block("<Delete><Tab id=\"1\"/></Delete>"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.styleFile) + " / " + c.variantFile + " / " + c.detail);
        MergedXml merged;
        merged.setStyleOriginalPath(c.styleFile);
        merged.setStyleModifyPath(c.variantFile);
        std::string text = "untouched";
        testing::internal::CaptureStdout();
        EXPECT_EQ(0, merged.getStyleMergedString(c.detail, text));
        EXPECT_EQ(std::string(c.output) + "mergeStyleXml failed\n",
                  testing::internal::GetCapturedStdout());
        EXPECT_EQ("untouched", text);
    }
}

TEST_F(MergedXmlTest, LanguagePairReportsSuccessWithAnEmptyDocument) {
    m_merged.setLangOriginalPath("/hd1/lang.xml");
    m_merged.setLangModifyPath("/hd1/langDiversity.xml");
    EXPECT_EQ(1, m_merged.mergeLangXml("model=A"));
    std::string text = "untouched";
    EXPECT_EQ(1, m_merged.getLangMergedString("model=A", text));
    EXPECT_EQ("", text);
}
