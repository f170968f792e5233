#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HexTextRig.h"
#include "controllers/serial/hextext/CMD7200SenseController.h"
#include "controllers/serial/hextext/HitachCompatSenseController.h"

using namespace hextext;

namespace {

typedef std::vector<std::string> Frames;

class CMD7200Test : public testing::Test, public HexTextRig<CMD7200SenseController> {
protected:
    CMD7200Test() : HexTextRig(SimHexTextModule::CMD7200) {}
};

class HitachCompatTest : public testing::Test, public HexTextRig<HitachCompatSenseController> {
protected:
    HitachCompatTest() : HexTextRig(SimHexTextModule::HITACH_COMPAT) {}
};

}  // namespace

TEST_F(CMD7200Test, SettingsWriteTheirRegistersEachFollowedBy30ms) {
    double before = root.clock().sleptSeconds();
    EXPECT_EQ(1, set(1, 100));
    EXPECT_NEAR(0.03, root.clock().sleptSeconds() - before, 1e-9);
    EXPECT_EQ(1, set(2, 100));
    EXPECT_EQ(1, set(3, 1));
    EXPECT_EQ(1, set(7, 2));
    EXPECT_EQ(1, set(8, 5));
    EXPECT_EQ(1, set(9, 1));
    EXPECT_EQ((Frames{":WFD9EFF", ":WFBF63F", ":WFF3101", ":WFF3001", ":WFF0E09", ":WE139F4",
                      ":WFBFF08"}),
              frames());
    EXPECT_EQ(0xFF, module->registerValue(0xFD9E));
    EXPECT_EQ(1, set(10, 2));  // TNF mode: the base's, nothing on the line
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(1, set(500, 1));  // the scheme window is the base's
    EXPECT_EQ(-1, set(11, 1));  // no such id
}

TEST_F(CMD7200Test, DayNightAndShutterModesShareRegisterFCC8) {
    cache(6, 3);
    EXPECT_EQ(1, set(4, 0));  // held night, automatic shutter
    EXPECT_EQ(1, set(5, 1));  // fixed shutter: the cached index 3 is code 9
    EXPECT_EQ(1, set(4, 2));  // the module's own day/night, fixed shutter
    EXPECT_EQ(1, set(5, 0));
    EXPECT_EQ(1, set(4, 1));
    EXPECT_EQ((Frames{":WFCC808", ":WFFE680", ":WFCC809", ":WFCC909", ":WFCC80A", ":WFCC820",
                      ":WFCC808", ":WFFE6C0"}),
              frames());
    // The fixed shutter waits for the fixed shutter mode.
    cache(5, 0);
    EXPECT_EQ(1, set(6, 10));
    EXPECT_TRUE(frames().empty());
    cache(5, 1);
    EXPECT_EQ(1, set(6, 10));
    EXPECT_EQ(Frames{":WFCC910"}, frames());
}

TEST_F(CMD7200Test, RefusedValuesNameTheirRangeAndSendNothing) {
    struct Case {
        int nId;
        int nValue;
        const char* szLine;
        const char* szOwn;
    } cases[] = {
        {1, 101, "setBrightness(101) is out of range 0..100", nullptr},
        {3, 4, "setMirror(4) is out of range 0..3", "mirror value out of range"},
        {4, 3, "setDNMode(3) is out of range 0..2", "setDNMode is out of range"},
        {5, -1, "setShutterMode(-1) is out of range 0..1", "setShutterMode out of range"},
        {6, 11, "setFixShutter(11) is out of range 0..10", "setFixShutter out of range"},
        {7, 3, "setFocusMode(3) is out of range 0..2", nullptr},
        {8, 0, "setFocusLimit(0) is out of range 1..5", "setFocusLimit is out of range"},
        {9, 2, "setWBMode(2) is out of range 0..1", nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, set(c.nId, c.nValue)) << c.nId;
        EXPECT_TRUE(contains(out, c.szLine)) << out;
        if (c.szOwn != nullptr) {
            EXPECT_TRUE(contains(out, c.szOwn)) << out;
        }
    }
    EXPECT_FALSE(contains(out, "setWBMode is out of range"));
    GlobalEnv::getInstance()->setPrintFlag(true);  // printed only with the flag
    set(9, 2);
    EXPECT_TRUE(contains(out, "setWBMode is out of range\n")) << out;
    EXPECT_TRUE(frames().empty());

    camera.m_SensorStatus = 1;  // not initialised: nothing at all
    EXPECT_EQ(0, set(1, 50));
    EXPECT_EQ(0, set(500, 1));
    int value = 0;
    EXPECT_EQ(0, camera.getParameterFromSensor(1, value));
}

// A value can reach a setter past the table: the cache feeds one setting
// into another, and the focus mode is also the controller's interface.
// Either way it is refused as a write of its own id would be.
TEST_F(CMD7200Test, ValuesFromTheCacheOrTheInterfaceAreCheckedAsWritesAre) {
    cache(6, 11);
    EXPECT_EQ(0, set(5, 1));
    EXPECT_EQ(Frames{":WFCC80A"}, frames());  // the mode, but no shutter code past the table
    EXPECT_TRUE(contains(out, "setFixShutter(11) is out of range 0..10")) << out;
    EXPECT_TRUE(contains(out, "setFixShutter out of range")) << out;
    EXPECT_TRUE(contains(out, "setShutterMode(1) failed")) << out;

    out = console([&] { EXPECT_EQ(0, camera.setFocusMode(3)); });
    EXPECT_TRUE(contains(out, "setFocusMode(3) is out of range 0..2")) << out;
    out = console([&] { EXPECT_EQ(0, camera.setFocusMode(-1)); });
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(1, camera.setFocusMode(2));
    EXPECT_EQ(Frames{":WFF0E09"}, frames());
}

TEST_F(CMD7200Test, ReadsAnswerTheFactorySetWithoutAskingTheModule) {
    const int factory[] = {15, 76, 0, 0, 0, 1, 0, 1, 0, 0};
    double before = root.clock().sleptSeconds();
    for (int id = 1; id <= 10; ++id) {
        int value = -1;
        EXPECT_EQ(1, camera.getParameterFromSensor(id, value)) << id;
        EXPECT_EQ(factory[id - 1], value) << id;
    }
    EXPECT_NEAR(0.3, root.clock().sleptSeconds() - before, 1e-9);
    int value = 0;
    EXPECT_EQ(0, camera.getParameterFromSensor(11, value));
    EXPECT_EQ(1, camera.getParameterFromSensor(503, value));
    EXPECT_EQ(24, value);
    EXPECT_TRUE(frames().empty());
    cache(3, 2);
    EXPECT_EQ(1, camera.getMirrorValue(value));
    EXPECT_EQ(2, value);
}

TEST_F(CMD7200Test, TheVideoStandardIsWrittenOnlyWhenItDiffers) {
    double before = root.clock().sleptSeconds();
    out = console([&] { EXPECT_EQ(1, camera.setSensorVideoSystem(1, VideoResolution())); });
    EXPECT_EQ(Frames{":RFFFE00"}, frames());
    EXPECT_EQ(before, root.clock().sleptSeconds());
    out = console([&] { EXPECT_EQ(1, camera.setSensorVideoSystem(0, VideoResolution())); });
    EXPECT_EQ((Frames{":RFFFE00", ":WFFFE03"}), frames());
    EXPECT_TRUE(contains(out, "video system change")) << out;
    EXPECT_NEAR(5.0, root.clock().sleptSeconds() - before, 1e-9);

    out = console([&] { EXPECT_EQ(0, camera.setSensorVideoSystem(2, VideoResolution())); });
    EXPECT_TRUE(contains(out, "setSensorVideoSystem is out of range")) << out;
    module->setSilent(true);
    out = console([&] { EXPECT_EQ(0, camera.setSensorVideoSystem(1, VideoResolution())); });
    EXPECT_TRUE(contains(out, "get video system failed")) << out;
}

TEST_F(HitachCompatTest, SettingsFollowItsOwnScalesAndLens) {
    cache(6, 0);
    EXPECT_EQ(1, set(1, 100));  // 100 / 5 + 80
    EXPECT_EQ(1, set(7, 160));
    EXPECT_EQ(1, set(13, 3));
    EXPECT_EQ(1, set(14, 0));
    EXPECT_EQ(1, set(18, 145));
    EXPECT_EQ(1, set(20, 77));
    EXPECT_EQ(1, set(55, 0));
    EXPECT_EQ((Frames{":WFD9E64", ":WFA20A0", ":WE139F7", ":WFF0E09", ":WFFFD91", ":WE139F4",
                      ":WFCBBAA9", ":WFCBBFE"}),
              frames());
    cache(6, 2);
    EXPECT_EQ(1, set(7, 100));  // the module chooses the gain in mode 2
    EXPECT_EQ(1, set(10, 20));  // and the shutter outside mode 4
    EXPECT_TRUE(frames().empty());

    EXPECT_EQ(0, set(7, 161));
    EXPECT_TRUE(contains(out, "p_nMaxGain out of range")) << out;
    EXPECT_EQ(0, set(18, 111));
    EXPECT_TRUE(contains(out, "p_nIrisVoltage is out of range")) << out;
    EXPECT_EQ(-1, set(5, 1));
    EXPECT_TRUE(frames().empty());

    int value = -1;
    camera.m_nIsInfrared = 0;
    EXPECT_EQ(1, camera.getParameterFromSensor(6, value));
    EXPECT_EQ(2, value);
    camera.m_nIsInfrared = 1;
    EXPECT_EQ(1, camera.getParameterFromSensor(6, value));
    EXPECT_EQ(0, value);
}

// Its fixed shutter is a register value, but camera mode 4 sends an index
// of the family's shutter table: a cached value past it stops the mode
// before anything is sent.
TEST_F(HitachCompatTest, CameraMode4TakesOnlyAShutterIndexFromTheCache) {
    cache(6, 0);
    EXPECT_EQ(1, set(10, 200));  // taken, and kept for mode 4 to find
    cache(10, 200);
    EXPECT_EQ(0, set(6, 4));
    EXPECT_TRUE(contains(out, "getFixShutterValue(200) is out of range 0..14")) << out;
    EXPECT_TRUE(frames().empty());
    cache(10, 14);
    EXPECT_EQ(1, set(6, 4));
    EXPECT_EQ((Frames{":WFCC807", ":WFCC910"}), frames());

    out = console([&] { EXPECT_EQ(0, camera.setFocusMode(3)); });
    EXPECT_TRUE(contains(out, "setFocusMode(3) is out of range 0..2")) << out;
    EXPECT_TRUE(frames().empty());
}

TEST_F(HitachCompatTest, TheVideoRegisterFollowsSystemAndHeight) {
    out =
        console([&] { EXPECT_EQ(1, camera.setSensorVideoSystem(0, VideoResolution(1280, 960))); });
    EXPECT_EQ((Frames{":RFFFE00", ":WFFFE02"}), frames());
    EXPECT_NEAR(3.0, root.clock().sleptSeconds(), 1e-9);
    out =
        console([&] { EXPECT_EQ(0, camera.setSensorVideoSystem(1, VideoResolution(1280, 960))); });
    EXPECT_TRUE(contains(out, "setSensorVideoSystem is out of range")) << out;
    EXPECT_TRUE(frames().empty());
}

TEST_F(HitachCompatTest, ItsVersionDecidesHowDayAndNightAreRead) {
    module->setRegister(SimHexTextModule::REG_VERSION, 106);
    module->setDayNight(false);
    ASSERT_EQ(1, initWith("RS485=/dev/ttyAMA1;isInfrared=1"));
    EXPECT_TRUE(contains(out, "m_nSensorVersion=106")) << out;
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(0, camera.m_nDNState);
    EXPECT_EQ((Frames{":RE1EE00", ":RFFE600"}), frames());  // the old register, 80 night

    module->setRegister(SimHexTextModule::REG_DAYNIGHT_OLD, 0x40);
    console([&] {
        root.clock().advance(1);
        ASSERT_TRUE(root.clock().settle(1));
    });
    EXPECT_EQ(0, camera.m_nDNState);  // a value it does not know changes nothing

    // Without a lamp an old module cannot tell, and is not asked.
    camera.m_nIsInfrared = 0;
    root.clock().advance(3);
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(-1, camera.m_nDNState);
    frames();
    root.clock().advance(1);
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_TRUE(frames().empty());
}

TEST_F(HitachCompatTest, NewerVersionsReadTheDayNightRegisterOfTheOthers) {
    module->setDayNight(false);
    module->setRegister(SimHexTextModule::REG_DAYNIGHT_OLD, 0xC0);
    ASSERT_EQ(1, initWith("RS485=/dev/ttyAMA1;isInfrared=1"));
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(107, camera.getSensorVersion());
    EXPECT_EQ(0, camera.m_nDNState);
    EXPECT_EQ((Frames{":RE1EE00", ":RFFE700"}), frames());
}

TEST_F(HitachCompatTest, AnUnreadableVersionCountsAsAnOldOne) {
    module->setSilent(true);
    EXPECT_EQ(1, initWith("RS485=/dev/ttyAMA1;isInfrared=0"));
    EXPECT_TRUE(contains(out, "get SensorConfigVersion failed")) << out;
    EXPECT_EQ(0, camera.getSensorVersion());
    ASSERT_TRUE(root.clock().settle(1));
    EXPECT_EQ(-1, camera.m_nDNState);
}
