// How module descriptors read as ONVIF imaging settings, on descriptors
// shaped like the real modules': menus named in each module's own words, a
// shutter counted in 1/s, a level where 0 is off.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "onvif/ImagingMap.h"

namespace {

using K = ParameterKind;
using R = ParameterRole;

ParameterDescriptor range(int p_nId, R p_eRole, int p_nMin, int p_nMax,
                          ParameterUnit p_eUnit = ParameterUnit::NONE) {
    ParameterDescriptor descriptor;
    descriptor.nId = p_nId;
    descriptor.szName = "x";
    descriptor.eKind = K::RANGE;
    descriptor.eRole = p_eRole;
    descriptor.eUnit = p_eUnit;
    descriptor.nMin = p_nMin;
    descriptor.nMax = p_nMax;
    return descriptor;
}

template <size_t N>
ParameterDescriptor menu(int p_nId, R p_eRole, const ParameterMenuEntry (&p_entries)[N]) {
    ParameterDescriptor descriptor;
    descriptor.nId = p_nId;
    descriptor.szName = "x";
    descriptor.eKind = K::MENU;
    descriptor.eRole = p_eRole;
    descriptor.pEntries = p_entries;
    descriptor.nEntries = static_cast<int>(N);
    return descriptor;
}

ParameterDescriptor onOff(int p_nId, R p_eRole) {
    ParameterDescriptor descriptor = range(p_nId, p_eRole, 0, 1);
    descriptor.eKind = K::ON_OFF;
    return descriptor;
}

// The descriptors and their map together: the map points into them.
struct Mapped {
    explicit Mapped(std::vector<ParameterDescriptor> p_descriptors)
        : descriptors(std::move(p_descriptors)), map(descriptors) {}
    Mapped(const Mapped&) = delete;
    std::vector<ParameterDescriptor> descriptors;
    ImagingMap map;
};

std::string readAs(const ModeMap& p_map, int p_nCode) {
    std::string value;
    return p_map.read(p_nCode, value) ? value : "-";
}

int writes(const ModeMap& p_map, const char* p_szValue) {
    int code = 0;
    return p_map.write(p_szValue, code) ? code : -100;
}

TEST(OnvifMap, ShutterInOnePerSecondBecomesMicrosecondsWithMinAndMaxSwapped) {
    // it1/itn: min-shutter 1/25 s is the slowest speed, the longest time.
    std::vector<ParameterDescriptor> descriptors = {
        range(8, R::MIN_SHUTTER, 1, 10000, ParameterUnit::SHUTTER_DIVISOR),
        range(11, R::MAX_SHUTTER, 1, 10000, ParameterUnit::SHUTTER_DIVISOR),
        range(18, R::SHUTTER, 1, 10000, ParameterUnit::SHUTTER_DIVISOR),
    };
    ImagingMap map(descriptors);
    ASSERT_TRUE(map.maxExposureTime.exists());
    EXPECT_EQ(8, map.maxExposureTime.descriptor()->nId);
    EXPECT_EQ(11, map.minExposureTime.descriptor()->nId);
    EXPECT_DOUBLE_EQ(40000, map.maxExposureTime.toOnvif(25));
    EXPECT_DOUBLE_EQ(100, map.exposureTime.min());
    EXPECT_DOUBLE_EQ(1000000, map.exposureTime.max());
    int value = 0;
    std::string why;
    ASSERT_TRUE(map.exposureTime.fromOnvif(20000, value, why)) << why;
    EXPECT_EQ(50, value);
    // 1/3 s read back as text and returned lands on 3 again.
    ASSERT_TRUE(map.exposureTime.fromOnvif(333333.333333, value, why));
    EXPECT_EQ(3, value);
    EXPECT_FALSE(map.exposureTime.fromOnvif(50, value, why));
    EXPECT_EQ("ExposureTime must be between 100 and 1000000; 50 refused", why);
    EXPECT_FALSE(map.exposureTime.fromOnvif(0, value, why));

    // In steps of the module's own, the roles stay where they are.
    std::vector<ParameterDescriptor> steps = {range(6, R::MAX_SHUTTER, 0, 16, ParameterUnit::STEP),
                                              range(7, R::SHUTTER, 0, 18, ParameterUnit::STEP)};
    ImagingMap stepMap(steps);  // steps outlives it
    EXPECT_FALSE(stepMap.minExposureTime.exists());
    EXPECT_EQ(6, stepMap.maxExposureTime.descriptor()->nId);
    EXPECT_DOUBLE_EQ(18, stepMap.exposureTime.max());
}

TEST(OnvifMap, NumbersKeepTheModulesRangeAndSteps) {
    ParameterDescriptor brightness = range(1, R::BRIGHTNESS, 0, 100);
    ParameterDescriptor stepped = range(2, R::SHARPNESS, 0, 100);
    stepped.nStep = 10;
    Mapped mapped({brightness, stepped});
    const ImagingMap& map = mapped.map;
    int value = 0;
    std::string why;
    EXPECT_FALSE(map.brightness.fromOnvif(300, value, why));
    EXPECT_EQ("Brightness must be between 0 and 100; 300 refused", why);
    EXPECT_TRUE(map.brightness.fromOnvif(49.6, value, why));
    EXPECT_EQ(50, value);
    EXPECT_FALSE(map.sharpness.fromOnvif(55, value, why));
    EXPECT_NE(std::string::npos, why.find("steps of 10")) << why;
    EXPECT_FALSE(map.contrast.exists());
}

TEST(OnvifMap, WideDynamicRangeMenusReadAsOnOrOff) {
    static const ParameterMenuEntry orvane[] = {
        {0, "none"}, {1, "on"}, {2, "off"}, {3, "day-only"}};
    static const ParameterMenuEntry sony[] = {{1, "off"}, {2, "on"}, {3, "mode-0"}};
    static const ParameterMenuEntry itn[] = {{0, "off"}, {1, "low"}, {2, "middle"}, {3, "high"}};
    static const ParameterMenuEntry unnamed[] = {{0, "normal"}, {5, "strong"}};
    Mapped a({menu(32, R::WDR_MODE, orvane)});
    const ModeMap* map = &a.map.wdr;
    EXPECT_EQ("OFF", readAs(*map, 0));
    EXPECT_EQ("ON", readAs(*map, 1));
    EXPECT_EQ("OFF", readAs(*map, 2));
    EXPECT_EQ("ON", readAs(*map, 3));
    EXPECT_EQ(2, writes(*map, "OFF"));
    EXPECT_EQ(1, writes(*map, "ON"));
    Mapped b({menu(28, R::WDR_MODE, sony)});
    map = &b.map.wdr;
    EXPECT_EQ("ON", readAs(*map, 3));
    EXPECT_EQ(1, writes(*map, "OFF"));
    EXPECT_EQ(2, writes(*map, "ON"));
    Mapped c({menu(1, R::WDR_MODE, itn)});
    map = &c.map.wdr;
    EXPECT_EQ(1, writes(*map, "ON"));  // the first that is not off
    EXPECT_EQ("ON", readAs(*map, 3));
    Mapped d({menu(1, R::WDR_MODE, unnamed)});  // code 0 is off
    map = &d.map.wdr;
    EXPECT_EQ("OFF", readAs(*map, 0));
    EXPECT_EQ(0, writes(*map, "OFF"));
    EXPECT_EQ(5, writes(*map, "ON"));
    Mapped e({onOff(17, R::WDR_MODE)});
    EXPECT_EQ((std::vector<std::string>{"OFF", "ON"}), e.map.wdr.values());
}

TEST(OnvifMap, ModesReadByWhatTheEntriesMean) {
    static const ParameterMenuEntry exposure[] = {
        {0, "auto"}, {1, "manual"}, {2, "shutter-priority"}, {4, "bright"}};
    static const ParameterMenuEntry fixed[] = {{0, "auto"}, {1, "fixed"}};
    static const ParameterMenuEntry wb[] = {{0, "auto"}, {4, "atw"}, {9, "sodium-outdoor-auto"}};
    static const ParameterMenuEntry focus[] = {{1, "auto"}, {2, "one-push"}};
    Mapped mapped({menu(10, R::EXPOSURE_MODE, exposure), menu(23, R::WB_MODE, wb),
                   menu(21, R::FOCUS_MODE, focus)});
    const ImagingMap& map = mapped.map;
    EXPECT_EQ("AUTO", readAs(map.exposure, 2));
    EXPECT_EQ("MANUAL", readAs(map.exposure, 4));
    EXPECT_EQ(1, writes(map.exposure, "MANUAL"));
    Mapped fixedMode({menu(19, R::EXPOSURE_MODE, fixed)});
    EXPECT_EQ(1, writes(fixedMode.map.exposure, "MANUAL"));
    // A module whose white balance is always automatic offers AUTO only.
    EXPECT_EQ(std::vector<std::string>{"AUTO"}, map.whiteBalance.values());
    EXPECT_EQ("AUTO", readAs(map.whiteBalance, 9));
    EXPECT_EQ(2, writes(map.focus, "MANUAL"));
    // effio's bare 0..1 exposure range counts 0 as automatic.
    Mapped effio({range(12, R::EXPOSURE_MODE, 0, 1), range(5, R::WB_MODE, 0, 15)});
    EXPECT_EQ(1, writes(effio.map.exposure, "MANUAL"));
    EXPECT_FALSE(effio.map.whiteBalance.exists());
}

TEST(OnvifMap, IrCutFilterFollowsDayNightAndAutoFallsBackToTheModule) {
    static const ParameterMenuEntry withAuto[] = {
        {0, "auto"}, {1, "day"}, {2, "night"}, {3, "schedule"}, {4, "module"}};
    static const ParameterMenuEntry sony[] = {
        {1, "module"}, {3, "day"}, {4, "night"}, {5, "schedule"}};
    static const ParameterMenuEntry hitachi[] = {
        {0, "day"}, {1, "day-alt"}, {2, "module"}, {3, "module-fine"}, {4, "fixed-shutter"}};
    Mapped a({menu(8, R::DAY_NIGHT_MODE, withAuto)});
    const ModeMap* map = &a.map.irCut;
    EXPECT_EQ((std::vector<std::string>{"ON", "OFF", "AUTO"}), map->values());
    EXPECT_EQ(0, writes(*map, "AUTO"));
    EXPECT_EQ("AUTO", readAs(*map, 4));
    EXPECT_EQ("AUTO", readAs(*map, 3));
    Mapped b({menu(26, R::DAY_NIGHT_MODE, sony)});
    map = &b.map.irCut;
    EXPECT_EQ(1, writes(*map, "AUTO"));
    EXPECT_EQ(4, writes(*map, "OFF"));
    Mapped c({menu(6, R::DAY_NIGHT_MODE, hitachi)});
    map = &c.map.irCut;
    EXPECT_EQ((std::vector<std::string>{"ON", "AUTO"}), map->values());
    EXPECT_EQ("ON", readAs(*map, 1));
    EXPECT_EQ("-", readAs(*map, 4));  // a mode that says nothing of the filter
}

TEST(OnvifMap, BoundaryOffsetSpansTheDayToNightRangeDarkestAtMinusOne) {
    std::vector<ParameterDescriptor> descriptors = {
        range(12, R::DTN_THRESHOLD, 0, 100), range(13, R::NTD_THRESHOLD, 0, 100),
        range(34, R::DAY_NIGHT_DELAY, INT_MIN, INT_MAX, ParameterUnit::SECOND)};
    static const ParameterMenuEntry modes[] = {{0, "auto"}, {1, "day"}, {2, "night"}};
    descriptors.push_back(menu(11, R::DAY_NIGHT_MODE, modes));
    ImagingMap map(descriptors);
    ASSERT_TRUE(map.hasAutoAdjustment());
    EXPECT_DOUBLE_EQ(-1, map.boundaryOffset(100));
    EXPECT_DOUBLE_EQ(1, map.boundaryOffset(0));
    EXPECT_DOUBLE_EQ(-0.2, map.boundaryOffset(60));
    EXPECT_EQ(60, map.dtnForOffset(-0.2));
    EXPECT_EQ(100, map.dtnForOffset(-1));
    for (int level = 0; level <= 100; ++level) {
        EXPECT_EQ(level, map.dtnForOffset(map.boundaryOffset(level)));
    }
    // A level that takes any value has no range to span.
    descriptors[0] = range(12, R::DTN_THRESHOLD, INT_MIN, INT_MAX);
    ImagingMap unbounded(descriptors);  // descriptors outlives it
    EXPECT_EQ(nullptr, unbounded.pDtn);
    EXPECT_TRUE(unbounded.hasAutoAdjustment());  // the delay still is one
}

TEST(OnvifMap, BacklightAsSwitchMenuOrLevel) {
    static const ParameterMenuEntry cmd[] = {{2, "on"}, {3, "off"}};
    Mapped asMenu({menu(17, R::BACKLIGHT_COMPENSATION, cmd)});
    EXPECT_EQ(3, writes(asMenu.map.backlight, "OFF"));
    EXPECT_FALSE(asMenu.map.backlightLevel.exists());
    Mapped asLevel({range(15, R::BACKLIGHT_COMPENSATION, 0, 3)});
    EXPECT_FALSE(asLevel.map.backlight.exists());
    ASSERT_TRUE(asLevel.map.backlightLevel.exists());
    EXPECT_DOUBLE_EQ(3, asLevel.map.backlightLevel.max());
    Mapped asSwitch({onOff(22, R::BACKLIGHT_COMPENSATION)});
    EXPECT_TRUE(asSwitch.map.backlight.exists());
}

TEST(OnvifMap, ActionsSharingARoleArePassedOver) {
    // cmd modules: iris-up/focus-up actions beside the iris range.
    ParameterDescriptor iris = range(5, R::IRIS_LEVEL, 5, 17, ParameterUnit::STEP);
    ParameterDescriptor irisUp;
    irisUp.nId = 52;
    irisUp.eKind = K::ACTION;
    irisUp.eRole = R::IRIS_LEVEL;
    ParameterDescriptor focusUp = irisUp;
    focusUp.nId = 54;
    focusUp.eRole = R::FOCUS_POSITION;
    Mapped mapped({irisUp, iris, focusUp});
    const ImagingMap& map = mapped.map;
    ASSERT_TRUE(map.iris.exists());
    EXPECT_EQ(5, map.iris.descriptor()->nId);
    EXPECT_EQ(nullptr, map.pFocusPosition);
}

}  // namespace
