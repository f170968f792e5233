#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/ParameterTable.h"
#include "support/TestController.h"

namespace {

// What the rows set and read.
struct Settings {
    int nGain = 7;
    bool bReadable = true;
    int setGain(int p_nValue) {
        nGain = p_nValue;
        return p_nValue <= 10;
    }
    int getGain(int& p_nValue) {
        p_nValue = nGain;
        return bReadable;
    }
    int setLimit(int p_nValue) { return p_nValue >= 0; }
};

typedef ParameterRow<Settings> Row;

int doubled(ISensorController&, Settings& p_settings, int p_nValue) {
    return p_settings.setGain(2 * p_nValue);
}

const Row kFamily[] = {
    Row::readWrite(1, "setGain", &Settings::setGain, &Settings::getGain),
    Row::setting(2, "setLimit", &Settings::setLimit, 33),
    Row::action(3, "setDoubled", doubled, 4, "doubling %d failed"),
    Row::base(4, ISensorController::BASE_DN_SWITCH_DELAY, "setDNSwitchDelay"),
    Row::actionWithGetter(5, "setTwice", doubled, &Settings::getGain),
};
// A member that drops id 2 and numbers the limit 6.
const Row kMember[] = {
    Row::absent(2),
    Row::setting(6, "setLimit", &Settings::setLimit, 44),
};

std::string printed(const std::function<void()>& p_call) {
    testing::internal::CaptureStdout();
    p_call();
    return testing::internal::GetCapturedStdout();
}

class ParameterTableTest : public testing::Test {
protected:
    ScratchRoot m_root;
    TestController m_owner;
    Settings m_settings;
    ParameterTable<Settings> m_family{{ParameterList<Settings>(kFamily)}};
    ParameterTable<Settings> m_member{
        {ParameterList<Settings>(kMember), ParameterList<Settings>(kFamily)},
        "%s failed ",
        "%s failed "};
};

}  // namespace

TEST_F(ParameterTableTest, RowsWithAGetterAskTheTargetOthersAnswerTheirFactoryValue) {
    int value = 0;
    EXPECT_EQ(1, m_family.read(m_owner, m_settings, 1, value));
    EXPECT_EQ(7, value);
    EXPECT_EQ(1, m_family.read(m_owner, m_settings, 2, value));
    EXPECT_EQ(33, value);
    EXPECT_EQ(1, m_family.read(m_owner, m_settings, 5, value));
    EXPECT_EQ(7, value);
    EXPECT_EQ(1, m_family.read(m_owner, 1, value));  // without the target: no getter
    EXPECT_EQ(0, value);
    EXPECT_EQ(1, m_family.read(m_owner, m_settings, 4, value));
    EXPECT_EQ(5, value);
    EXPECT_EQ(-1, m_family.read(m_owner, m_settings, 9, value));

    m_settings.bReadable = false;
    std::string out = printed([&] {
        EXPECT_EQ(0, m_family.read(m_owner, m_settings, 1, value));
        EXPECT_EQ(0, m_member.read(m_owner, m_settings, 1, value));
    });
    EXPECT_NE(std::string::npos, out.find("getGain error,value is 7")) << out;
    EXPECT_NE(std::string::npos, out.find("getGain failed ")) << out;
}

TEST_F(ParameterTableTest, AMembersRowsComeFirstAndFailuresUseTheTablesOrTheRowsText) {
    EXPECT_EQ(1, m_member.write(m_owner, m_settings, 6, 1));
    EXPECT_EQ(-1, m_member.write(m_owner, m_settings, 2, 1));
    EXPECT_TRUE(m_family.has(2));
    EXPECT_FALSE(m_member.has(2));
    int value = 0;
    EXPECT_EQ(1, m_member.read(m_owner, m_settings, 6, value));
    EXPECT_EQ(44, value);

    std::string out = printed([&] {
        EXPECT_EQ(0, m_member.write(m_owner, m_settings, 1, 11));
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 1, 12));
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 3, 6));
    });
    EXPECT_NE(std::string::npos, out.find("setGain failed ")) << out;
    EXPECT_NE(std::string::npos, out.find("setGain error,value is 12")) << out;
    EXPECT_NE(std::string::npos, out.find("doubling 6 failed")) << out;
    EXPECT_EQ(12, m_settings.nGain);
}
