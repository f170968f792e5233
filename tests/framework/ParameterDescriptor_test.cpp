#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/ParameterTable.h"
#include "support/TestController.h"

namespace {

struct Settings {
    std::vector<int> written;
    int set(int p_nValue) {
        written.push_back(p_nValue);
        return 1;
    }
};

typedef ParameterRow<Settings> Row;

const ParameterMenuEntry kWhiteBalance[] = {{0, "auto"}, {1, "indoor"}, {4, "manual"}};
const ParameterMenuEntry kClosed[] = {{0, "close"}};

const Row kFamily[] = {
    Row::setting(1, "setBrightness", &Settings::set, 50)
        .range("brightness", ParameterRole::BRIGHTNESS, 0, 100, ParameterUnit::PERCENT),
    Row::setting(2, "setWB", &Settings::set, 0)
        .menu("wb-mode", ParameterRole::WB_MODE, kWhiteBalance),
    Row::setting(3, "setIris", &Settings::set, 17)
        .range("iris", ParameterRole::IRIS_LEVEL, 5, 17)
        .also(kClosed)
        .refusal("iris(%d) is out of range"),
    Row::setting(4, "setMirror", &Settings::set, 0).onOff("mirror", ParameterRole::MIRROR_FLIP),
    Row::setting(5, "setRaw", &Settings::set, 0).anyValue("raw", ParameterRole::NONE),
    Row::setting(6, "setStepped", &Settings::set, 0)
        .range("stepped", ParameterRole::NONE, 0, 100, ParameterUnit::NONE, 25),
    Row::setting(7, "setUndescribed", &Settings::set, 0),
    Row::setting(8, "setPush", &Settings::set, 0).button("push"),
    Row::setting(9, "setLoose", &Settings::set, 0)
        .range("loose", ParameterRole::NONE, 0, 10)
        .unchecked(),
};
// A member that drops the mirror and takes a wider brightness under id 11.
const Row kMember[] = {
    Row::absent(4),
    Row::setting(11, "setBrightness", &Settings::set, 128)
        .range("brightness", ParameterRole::BRIGHTNESS, 0, 255),
};
std::string printed(const std::function<void()>& p_call) {
    testing::internal::CaptureStdout();
    p_call();
    return testing::internal::GetCapturedStdout();
}

// The table's descriptor of the id; an empty one (no name) when it has none.
ParameterDescriptor described(const ParameterTable<Settings>& p_table, int p_nId) {
    ParameterDescriptor descriptor;
    p_table.describe(p_nId, descriptor);
    return descriptor;
}

std::string valuesText(const ParameterDescriptor& p_descriptor) {
    char text[128];
    p_descriptor.describeValues(text, sizeof(text));
    return text;
}

// A controller described by a table, as the module controllers are.
class DescribedController : public TestController {
public:
    DescribedController() {
        m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 3);
        m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 8, 8);
        describeParametersBy(&m_table);
    }

private:
    ParameterTable<Settings> m_table{{ParameterList<Settings>(kFamily)}};
};

class ParameterDescriptorTest : public testing::Test {
protected:
    ScratchRoot m_root;
    TestController m_owner;
    Settings m_settings;
    ParameterTable<Settings> m_family{{ParameterList<Settings>(kFamily)}};
    ParameterTable<Settings> m_member{
        {ParameterList<Settings>(kMember), ParameterList<Settings>(kFamily)}};
};

}  // namespace

TEST_F(ParameterDescriptorTest, TheTableRefusesWhatTheDescriptorDoesNotTakeBeforeTheSetterRuns) {
    std::string out = printed([&] {
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 1, 101));
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 1, -1));
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 2, 2));
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 3, 4));
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 4, 2));
        EXPECT_EQ(0, m_family.write(m_owner, m_settings, 6, 30));
    });
    EXPECT_TRUE(m_settings.written.empty());
    // The row's own refusal text comes before the failure text.
    EXPECT_NE(std::string::npos, out.find("iris(4) is out of range\nsetIris error,value is 4"))
        << out;
    EXPECT_NE(std::string::npos, out.find("setBrightness error,value is 101")) << out;

    for (int value : {0, 100}) {
        EXPECT_EQ(1, m_family.write(m_owner, m_settings, 1, value));
    }
    EXPECT_EQ(1, m_family.write(m_owner, m_settings, 2, 4));
    EXPECT_EQ(1, m_family.write(m_owner, m_settings, 3, 0));  // the named value beside the range
    EXPECT_EQ(1, m_family.write(m_owner, m_settings, 6, 75));
    EXPECT_EQ(1, m_family.write(m_owner, m_settings, 5, INT_MIN));
    EXPECT_EQ(1, m_family.write(m_owner, m_settings, 7, -5));  // nothing said, nothing checked
    EXPECT_EQ(1, m_family.write(m_owner, m_settings, 8, 12345));
    EXPECT_EQ(1, m_family.write(m_owner, m_settings, 9, 11));
    EXPECT_EQ((std::vector<int>{0, 100, 4, 0, 75, INT_MIN, -5, 12345, 11}), m_settings.written);

    // A member's wider range is its own.
    EXPECT_EQ(1, m_member.write(m_owner, m_settings, 11, 255));
    EXPECT_EQ(-1, m_member.write(m_owner, m_settings, 4, 1));
}

TEST_F(ParameterDescriptorTest, TablesDescribeTheirIdsInOrderWithoutAbsentOrUndescribedRows) {
    std::vector<int> ids;
    ParameterDescriptor d;
    for (int after = INT_MIN; m_member.describeNext(after, d); after = d.nId) {
        ids.push_back(d.nId);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 5, 6, 8, 9, 11}), ids);
    EXPECT_EQ(0, m_member.describe(4, d));
    EXPECT_EQ(0, m_member.describe(7, d));
    ASSERT_EQ(1, m_member.describe(3, d));
    EXPECT_EQ(17, d.nFactory);
    EXPECT_STREQ("iris", d.szName);
}

TEST_F(ParameterDescriptorTest, ValuesAreSpelledOutForPeople) {
    EXPECT_EQ("0..100", valuesText(described(m_family, 1)));
    EXPECT_EQ("0 auto, 1 indoor, 4 manual", valuesText(described(m_family, 2)));
    EXPECT_EQ("5..17, 0 close", valuesText(described(m_family, 3)));
    EXPECT_EQ("0 off, 1 on", valuesText(described(m_family, 4)));
    EXPECT_EQ("any value", valuesText(described(m_family, 5)));
    EXPECT_EQ("0..100 step 25", valuesText(described(m_family, 6)));
    EXPECT_EQ("an action", valuesText(described(m_family, 8)));

    // A short buffer is cut and terminated; the length needed comes back.
    char small[6];
    int needed = described(m_family, 2).describeValues(small, sizeof(small));
    EXPECT_EQ(static_cast<int>(std::strlen("0 auto, 1 indoor, 4 manual")), needed);
    EXPECT_STREQ("0 aut", small);

    int code = -1;
    EXPECT_EQ(1, described(m_family, 2).entryCode("manual", code));
    EXPECT_EQ(4, code);
    EXPECT_EQ(0, described(m_family, 2).entryCode("outdoor", code));
    EXPECT_EQ(1, described(m_family, 4).entryCode("on", code));
    EXPECT_EQ(1, code);
    EXPECT_STREQ("wb-mode", parameterRoleName(ParameterRole::WB_MODE));
    EXPECT_STREQ("scheme-window", parameterRoleName(ParameterRole::SCHEME_WINDOW));
    EXPECT_STREQ("on-off", parameterKindName(ParameterKind::ON_OFF));
    EXPECT_STREQ("1/s", parameterUnitName(ParameterUnit::SHUTTER_DIVISOR));
}

TEST(ControllerDescriptors, TheBaseWindowAndTheTableAreOneAscendingListWithIdTypes) {
    ScratchRoot root;
    DescribedController controller;
    std::vector<int> ids;
    ParameterDescriptor d;
    for (int after = INT_MIN; controller.getNextParameterDescriptor(after, d); after = d.nId) {
        ids.push_back(d.nId);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 500, 501, 502, 503, 504}), ids);

    ASSERT_EQ(1, controller.getParameterDescriptor(8, d));
    EXPECT_EQ(ID_TYPE_SET_ONLY, d.nIdType);
    ASSERT_EQ(1, controller.getParameterDescriptor(503, d));
    EXPECT_EQ(ID_TYPE_COMMON, d.nIdType);
    EXPECT_EQ(24, d.nFactory);
    EXPECT_FALSE(d.bChecked);  // the window is checked when it is saved
    ASSERT_EQ(1, controller.getParameterDescriptor(9, d));
    EXPECT_EQ(ID_TYPE_NONE, d.nIdType);  // described but not registered
    EXPECT_EQ(0, controller.getParameterDescriptor(7, d));

    ASSERT_EQ(1, controller.findParameterDescriptor("wb-mode", d));
    EXPECT_EQ(2, d.nId);
    EXPECT_EQ(0, controller.findParameterDescriptor("wb", d));
    ASSERT_EQ(1, controller.findParameterByRole(ParameterRole::IRIS_LEVEL, d));
    EXPECT_EQ(3, d.nId);
    EXPECT_EQ(0, controller.findParameterByRole(ParameterRole::ZOOM, d));

    // A controller without a table still has the window.
    TestController bare;
    ASSERT_EQ(1, bare.getNextParameterDescriptor(INT_MIN, d));
    EXPECT_EQ(500, d.nId);
}
