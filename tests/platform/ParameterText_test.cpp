#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>

#include "platform/ModuleParameterParser.h"
#include "platform/SensorParameterParser.h"

namespace {

std::map<int, int> parsed(const std::string& p_strText, bool* p_pOk = nullptr) {
    std::map<int, int> values;
    int ok = SensorParameterParser::parseSensorParameter(p_strText, values);
    if (p_pOk != nullptr) {
        *p_pOk = ok != 0;
    }
    return values;
}

}  // namespace

TEST(ParameterText, WritesGroupsBackToBackInIdOrder) {
    std::map<int, int> values{{3, 30}, {1, -10}, {10000, 7}, {INT_MIN, INT_MAX}};
    EXPECT_EQ("(-2147483648,2147483647)(1,-10)(3,30)(10000,7)",
              SensorParameterParser::createSensorParameterString(values));
    EXPECT_EQ("", SensorParameterParser::createSensorParameterString({}));
}

TEST(ParameterText, ReadsWhatItWritesAndTolerantLayouts) {
    std::map<int, int> values{{1, 50}, {2, -128}, {500, 1}, {INT_MIN, 0}, {INT_MAX, INT_MIN}};
    bool ok = false;
    EXPECT_EQ(values, parsed(SensorParameterParser::createSensorParameterString(values), &ok));
    EXPECT_TRUE(ok);

    EXPECT_EQ((std::map<int, int>{{1, 5}, {2, 6}}), parsed(" ( 1 , +5 )\n(2,6)\r\n\t", &ok));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(parsed("", &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(parsed(" \n ", &ok).empty());
    EXPECT_TRUE(ok);
}

TEST(ParameterText, AppendedGroupsReadAsTheUnionWithTheLastValueWinning) {
    std::string text = SensorParameterParser::createSensorParameterString({{1, 5}, {2, 6}});
    SensorParameterParser::appendGroup(text, 10000, 3);
    SensorParameterParser::appendGroup(text, 2, 9);
    bool ok = false;
    EXPECT_EQ((std::map<int, int>{{1, 5}, {2, 9}, {10000, 3}}), parsed(text, &ok));
    EXPECT_TRUE(ok);
}

TEST(ParameterText, RefusesMalformedTextsKeepingThePairsBeforeTheFault) {
    const char* malformed[] = {
        "(1,2",
        "(1 2)",
        "1,2)",
        "(1,2)x",
        "(,2)",
        "(1,)",
        "((1,2)",
        "(1,2))",
        "(1,2);(3,4)",
        "(0x10,1)",
        "(1.5,2)",
        "(2147483648,1)",
        "(1,-2147483649)",
        "(99999999999999999999,1)",
        "(1,2)(3",
        "(- 1,2)",
        "(1,2)\x01",
    };
    for (const char* text : malformed) {
        bool ok = true;
        parsed(text, &ok);
        EXPECT_FALSE(ok) << text;
    }
    std::string withZero("(1,2)\0(3,4)", 11);
    bool ok = true;
    EXPECT_EQ((std::map<int, int>{{1, 2}}), parsed(withZero, &ok));
    EXPECT_FALSE(ok);
    EXPECT_EQ((std::map<int, int>{{1, 2}}), parsed("(1,2)(3,", &ok));
    EXPECT_FALSE(ok);
}

TEST(IdListText, ReadsCommaSeparatedIds) {
    std::set<int> ids;
    EXPECT_TRUE(SensorParameterParser::parseParameterIdList(" 3, 1,500 ,-2,3", ids));
    EXPECT_EQ((std::set<int>{-2, 1, 3, 500}), ids);
    ids.clear();
    EXPECT_TRUE(SensorParameterParser::parseParameterIdList("", ids));
    EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(SensorParameterParser::parseParameterIdList("2147483647", ids));
    EXPECT_EQ(std::set<int>{INT_MAX}, ids);
}

TEST(IdListText, RefusesMalformedLists) {
    const char* malformed[] = {",",   "1,",  ",1",   "1,,2",       "1 2",         "a",
                               "1;2", "(1)", "1,2x", "2147483648", "-2147483649", "1-3"};
    for (const char* text : malformed) {
        std::set<int> ids;
        EXPECT_FALSE(SensorParameterParser::parseParameterIdList(text, ids)) << text;
    }
}

TEST(ModuleParameterText, ReadsKeysWithDeviceNamesAndNumberLists) {
    ModuleParameterParser parser;
    ASSERT_TRUE(parser.parse(
        "RS485=/dev/ttyAMA1; isInfrared = 1 ;GPIO=1,2,0\n# a comment\n\nDNDefault=\nX=a=b;"));
    std::string value;
    EXPECT_TRUE(parser.getValue("RS485", value));
    EXPECT_EQ("/dev/ttyAMA1", value);
    EXPECT_TRUE(parser.getValue("isInfrared", value));
    EXPECT_EQ("1", value);
    EXPECT_TRUE(parser.getValue("GPIO", value));
    EXPECT_EQ("1,2,0", value);
    EXPECT_TRUE(parser.getValue("DNDefault", value));
    EXPECT_EQ("", value);
    EXPECT_TRUE(parser.getValue("X", value));
    EXPECT_EQ("a=b", value);

    value = "untouched";
    EXPECT_FALSE(parser.getValue("isinfrared", value));
    EXPECT_FALSE(parser.getValue("# a comment", value));
    EXPECT_EQ("untouched", value);
}

TEST(ModuleParameterText, EmptyTextHasNoKeysAndLaterKeysWin) {
    ModuleParameterParser parser;
    EXPECT_TRUE(parser.parse(""));
    EXPECT_TRUE(parser.getAll().empty());
    EXPECT_TRUE(parser.parse("a=1;a=2"));
    std::string value;
    EXPECT_TRUE(parser.getValue("a", value));
    EXPECT_EQ("2", value);
}

TEST(ModuleParameterText, MalformedTextFailsAndForgetsEarlierKeys) {
    ModuleParameterParser parser;
    ASSERT_TRUE(parser.parse("kept=1"));
    const std::string malformed[] = {"novalue", "a=1;=2", " = 3", "a=1;b",
                                     std::string("a=1\0b=2", 7)};
    for (const auto& text : malformed) {
        EXPECT_FALSE(parser.parse(text)) << text;
        std::string value;
        EXPECT_FALSE(parser.getValue("kept", value));
        EXPECT_FALSE(parser.getValue("a", value));
    }
}
