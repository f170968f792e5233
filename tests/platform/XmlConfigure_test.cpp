#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/XmlConfigure.h"
#include "support/ScratchRoot.h"

namespace {

const char* const kSchemeFile = "/mnt/mtd/code/config_file/sensor.xml";

const char* const kSchemeText =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
    "<sensor>\n"
    "    <paramScheme>\n"
    "        <item name=\"SchemeIndex\" value=\"-2\" />\n"
    "        <item name=\"SchemeMode\" value=\"1\" />\n"
    "    </paramScheme>\n"
    "</sensor>\n";

SafePointer<XmlConfigureItem> namedItem(const char* p_szName, int p_nValue) {
    SafePointer<XmlConfigureItem> item(new XmlConfigureItem(1));
    item->setProperty("name", p_szName);
    item->setProperty("value", p_nValue);
    return item;
}

void createSchemeFile() {
    XmlConfigureTool tool;
    tool.setRootNodeName("sensor");
    ASSERT_TRUE(tool.open(kSchemeFile, 1, XmlConfigureTool::OPEN_CREATE));
    SafePointer<XmlConfigureNode> node(new XmlConfigureNode("paramScheme", 1));
    node->addConfigItem(namedItem("SchemeIndex", -2));
    node->addConfigItem(namedItem("SchemeMode", 1));
    ASSERT_TRUE(tool.addConfigNode(node));
    ASSERT_TRUE(tool.close());
}

}  // namespace

TEST(XmlConfigure, CreatesTheDocumentedLayout) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd/code/config_file");
    createSchemeFile();
    EXPECT_EQ(kSchemeText, root.readFile(kSchemeFile));
}

TEST(XmlConfigure, ReadsNodesItemsAndPropertiesBack) {
    ScratchRoot root;
    root.writeFile("/hd1/program/config/ISPParam.xml",
                   "<ISPParam><!-- tuning -->\n"
                   "<config realTimeUpdate=\"true\" time=\" 2 \">\n"
                   "  <DN enable=\"1\"><day min=\"1\" max=\"2\"><item name=\"EE\" value=\"10\"/>"
                   "<item name=\"DC\" value=\"-3\"/></day></DN>\n"
                   "  <GAIN enable=\"false\"><low min=\"0\" max=\"16\"/></GAIN>\n"
                   "</config></ISPParam>");
    XmlConfigureTool tool;
    ASSERT_TRUE(tool.open("/hd1/program/config/ISPParam.xml", 1, XmlConfigureTool::OPEN_READ));
    EXPECT_EQ("ISPParam", tool.getRootNodeName());
    SafePointer<XmlConfigureNode> config;
    ASSERT_TRUE(tool.getConfigNode("config", config));
    bool flag = false;
    int time = 0;
    EXPECT_TRUE(config->getProperty("realTimeUpdate", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(config->getProperty("time", time));
    EXPECT_EQ(2, time);

    std::vector<SafePointer<XmlConfigureNode> > units;
    config->getAllConfigNodeList(units);
    ASSERT_EQ(2u, units.size());
    std::string name;
    units[0]->getNodeName(name);
    EXPECT_EQ("DN", name);
    EXPECT_TRUE(units[1]->getProperty("enable", flag));
    EXPECT_FALSE(flag);

    std::vector<SafePointer<XmlConfigureNode> > ranges;
    units[0]->getAllConfigNodeList(ranges);
    ASSERT_EQ(1u, ranges.size());
    std::vector<SafePointer<XmlConfigureItem> > items;
    ASSERT_TRUE(ranges[0]->getItemList(items));
    ASSERT_EQ(2u, items.size());
    std::string itemName;
    int value = 0;
    EXPECT_TRUE(items[1]->getProperty("name", itemName));
    EXPECT_TRUE(items[1]->getProperty("value", value));
    EXPECT_EQ("DC", itemName);
    EXPECT_EQ(-3, value);
    tool.close();
}

TEST(XmlConfigure, PropertiesReadOnlyAsTheirType) {
    XmlConfigureItem item(1);
    EXPECT_TRUE(item.setProperty("n", "12abc"));
    EXPECT_TRUE(item.setProperty("big", "2147483648"));
    EXPECT_TRUE(item.setProperty("flag", "yes"));
    EXPECT_FALSE(item.setProperty("bad name", 1));
    EXPECT_FALSE(item.setProperty("", 1));
    EXPECT_FALSE(item.setProperty("latin1", "caf\xe9"));  // not UTF-8: would not read back
    int number = 7;
    bool flag = true;
    EXPECT_FALSE(item.getProperty("n", number));
    EXPECT_FALSE(item.getProperty("big", number));
    EXPECT_FALSE(item.getProperty("flag", flag));
    EXPECT_FALSE(item.getProperty("missing", number));
    EXPECT_EQ(7, number);
    EXPECT_TRUE(flag);
    EXPECT_TRUE(item.setProperty("n", 5));
    EXPECT_TRUE(item.getProperty("n", number));
    EXPECT_EQ(5, number);
    EXPECT_EQ(3u, item.getProperties().size());  // overwritten in place
}

TEST(XmlConfigure, UpdateModeWritesChangesOnCloseOnly) {
    ScratchRoot root;
    root.makeDir("/mnt/mtd/code/config_file");
    createSchemeFile();
    ino_t created = root.inode(kSchemeFile);

    {
        XmlConfigureTool tool;
        ASSERT_TRUE(tool.open(kSchemeFile, 1, XmlConfigureTool::OPEN_UPDATE));
        ASSERT_TRUE(tool.close());  // nothing changed: nothing written
    }
    EXPECT_EQ(created, root.inode(kSchemeFile));

    {
        XmlConfigureTool tool;
        ASSERT_TRUE(tool.open(kSchemeFile, 1, XmlConfigureTool::OPEN_UPDATE));
        SafePointer<XmlConfigureNode> node;
        ASSERT_TRUE(tool.getConfigNode("paramScheme", node));
        std::vector<SafePointer<XmlConfigureItem> > items;
        node->getItemList(items);
        items[0]->setProperty("value", 3);
        // Dropped: the tool is destroyed without close().
    }
    EXPECT_EQ(kSchemeText, root.readFile(kSchemeFile));

    XmlConfigureTool tool;
    ASSERT_TRUE(tool.open(kSchemeFile, 1, XmlConfigureTool::OPEN_UPDATE));
    SafePointer<XmlConfigureNode> node;
    ASSERT_TRUE(tool.getConfigNode("paramScheme", node));
    std::vector<SafePointer<XmlConfigureItem> > items;
    node->getItemList(items);
    items[0]->setProperty("value", 3);
    ASSERT_TRUE(tool.close());
    std::string expected = kSchemeText;
    expected.replace(expected.find("\"-2\""), 4, "\"3\"");
    EXPECT_EQ(expected, root.readFile(kSchemeFile));
    EXPECT_EQ("sensor.xml", root.listDir("/mnt/mtd/code/config_file"));
}

TEST(XmlConfigure, AddsAndRemovesNodes) {
    ScratchRoot root;
    root.makeDir("/ir");
    XmlConfigureTool tool;
    tool.setRootNodeName("IRConfig");
    ASSERT_TRUE(tool.open("/ir/power.xml", 7, XmlConfigureTool::OPEN_CREATE));
    SafePointer<XmlConfigureNode> version(new XmlConfigureNode("version", 7));
    SafePointer<XmlConfigureNode> power(new XmlConfigureNode("IRPower", 7));
    SafePointer<XmlConfigureNode> item(new XmlConfigureNode("item", 7));
    EXPECT_TRUE(tool.addConfigNode(version));
    EXPECT_TRUE(tool.addConfigNode(power));
    EXPECT_FALSE(power->addConfigNode(item));  // "item" names items below the top
    EXPECT_TRUE(tool.removeConfigNode("version"));
    EXPECT_FALSE(tool.removeConfigNode("version"));
    SafePointer<XmlConfigureNode> found;
    EXPECT_FALSE(tool.getConfigNode("version", found));
    EXPECT_TRUE(found.isNull());
    ASSERT_TRUE(tool.close());
    EXPECT_EQ(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<IRConfig>\n    <IRPower />\n</IRConfig>\n",
        root.readFile("/ir/power.xml"));
    EXPECT_FALSE(tool.close());  // no longer open
}

TEST(XmlConfigure, RefusesFilesThatDoNotParseOrDoNotExist) {
    ScratchRoot root;
    const std::string broken[] = {"",
                                  "<sensor>",
                                  "not xml",
                                  "<a></b>",
                                  std::string("<sensor/>\0<x/>", 14),
                                  "<a><b x=\"\xde\xba\xba\xdd\"/></a>"};
    for (const auto& text : broken) {
        root.writeFile("/cfg/bad.xml", text);
        XmlConfigureTool tool;
        EXPECT_FALSE(tool.open("/cfg/bad.xml", 1, XmlConfigureTool::OPEN_READ)) << text;
        EXPECT_FALSE(tool.open("/cfg/bad.xml", 1, XmlConfigureTool::OPEN_UPDATE)) << text;
        EXPECT_FALSE(tool.close());
        EXPECT_EQ(text, root.readFile("/cfg/bad.xml"));
    }
    XmlConfigureTool tool;
    EXPECT_FALSE(tool.open("/cfg/missing.xml", 1, XmlConfigureTool::OPEN_READ));
    EXPECT_FALSE(tool.open("/cfg/missing.xml", 1, XmlConfigureTool::OPEN_UPDATE));
    EXPECT_FALSE(tool.open("/no/dir/new.xml", 1, XmlConfigureTool::OPEN_CREATE));
    EXPECT_FALSE(tool.open("/cfg/bad.xml", 1, 4));
    EXPECT_FALSE(root.exists("/cfg/missing.xml"));
}

TEST(XmlConfigure, EscapesValuesSoTheyReadBackUnchanged) {
    ScratchRoot root;
    root.makeDir("/cfg");
    const std::string awkward = "a<b>&\"quoted\" 'x' caf\xc3\xa9";
    {
        XmlConfigureTool tool;
        ASSERT_TRUE(tool.open("/cfg/x.xml", 1, XmlConfigureTool::OPEN_CREATE));
        SafePointer<XmlConfigureNode> node(new XmlConfigureNode("n", 1));
        SafePointer<XmlConfigureItem> item(new XmlConfigureItem(1));
        item->setProperty("text", awkward);
        node->addConfigItem(item);
        tool.addConfigNode(node);
        ASSERT_TRUE(tool.close());
    }
    XmlConfigureTool tool;
    ASSERT_TRUE(tool.open("/cfg/x.xml", 1, XmlConfigureTool::OPEN_READ));
    SafePointer<XmlConfigureNode> node;
    ASSERT_TRUE(tool.getConfigNode("n", node));
    std::vector<SafePointer<XmlConfigureItem> > items;
    node->getItemList(items);
    std::string text;
    ASSERT_TRUE(items.at(0)->getProperty("text", text));
    EXPECT_EQ(awkward, text);
}
