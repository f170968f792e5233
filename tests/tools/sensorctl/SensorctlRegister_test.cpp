#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SensorctlRun.h"
#include "framework/SafePointer.h"
#include "sim/PtyBridge.h"
#include "sim/register/SimEffioModule.h"

namespace {

const char* const kSchemeFile = "/mnt/mtd/code/config_file/sensor0.cfg";

}  // namespace

TEST_F(SensorctlTest, EffioShowsItsFramesRegistersAndRefusals) {
    m_strCamera = "effio";
    Outcome set = sensorctl({"--module", "effio", "--trace", "set", "mirror", "1"});
    ASSERT_EQ(0, set.nExit) << set.strErr;
    EXPECT_TRUE(contains(set.strOut, "tx: 06 52 06 49 49 F0\nrx: 04 00 20 24\n")) << set.strOut;
    EXPECT_TRUE(contains(set.strOut, "tx: 06 57 06 49 21 CD\nrx: 03 00 03\n")) << set.strOut;
    EXPECT_TRUE(contains(set.strOut, "mirror (3) = 1")) << set.strOut;
    // The module keeps its registers between runs, as a powered board does.
    EXPECT_EQ("1\n", sensorctl({"--module", "10", "get", "3"}).strOut);

    Outcome status = sensorctl({"--module", "effio", "status"});
    EXPECT_TRUE(contains(status.strOut, "10 (EffioSenseController)")) << status.strOut;
    EXPECT_TRUE(contains(status.strOut, "AE level         74 of 255 (night from 200, day at 100"))
        << status.strOut;
    Outcome dayNight = sensorctl({"--module", "effio", "daynight"});
    EXPECT_TRUE(contains(dayNight.strOut, "AE level 74: day")) << dayNight.strOut;

    Outcome bad = sensorctl({"--module", "effio", "set", "mirror", "2"});
    EXPECT_EQ(1, bad.nExit);
    EXPECT_TRUE(contains(bad.strErr, "cannot set mirror (3) = 2: setMirror(2) is out of range"))
        << bad.strErr;
    Outcome thresholds = sensorctl({"--module", "effio", "set", "ntd-level", "250"});
    EXPECT_EQ(1, thresholds.nExit);
    EXPECT_TRUE(contains(thresholds.strErr, "setNightToDayTransition failed")) << thresholds.strErr;
}

// The simulator in this process behind a pseudo-terminal, sensorctl on the
// real serial port code: a module that falls silent fails the command and
// leaves the files alone; once it answers again, so does the camera.
TEST_F(SensorctlTest, ASilentEffioFailsTheSettingAndLeavesTheFilesAlone) {
    m_strCamera = "effio";
    SimEffioModule* board = new SimEffioModule();
    SafePointer<IUARTController> holder(board);
    PtyBridge bridge(*board);
    ASSERT_TRUE(bridge.start());
    const std::string terminal = bridge.slavePath();

    Outcome first = sensorctl({"--module", "effio", "--uart", terminal, "set", "wb", "3"});
    ASSERT_EQ(0, first.nExit) << first.strErr;
    EXPECT_EQ(0x33, board->registerValue(SimEffioModule::key(0x05, 0x01)));
    std::string before = slurp(m_root.dir() + "/effio" + kSchemeFile);
    EXPECT_TRUE(contains(before, "(5,3)")) << before;

    board->injectFault(SimRegisterModule::FAULT_SILENT, 1000);
    Outcome silent = sensorctl({"--module", "effio", "--uart", terminal, "set", "wb", "5"});
    EXPECT_EQ(1, silent.nExit);
    EXPECT_TRUE(contains(silent.strErr, "cannot set wb (5) = 5: ")) << silent.strErr;
    EXPECT_EQ(before, slurp(m_root.dir() + "/effio" + kSchemeFile));

    board->clearFaults();
    Outcome again = sensorctl({"--module", "effio", "--uart", terminal, "set", "wb", "5"});
    EXPECT_EQ(0, again.nExit) << again.strErr;
    EXPECT_EQ(0x35, board->registerValue(SimEffioModule::key(0x05, 0x01)));
}

TEST_F(SensorctlTest, IT1FollowsTheBoardsLevelLineFromItsOwnThread) {
    m_strCamera = "it1";
    Outcome night = sensorctl({"--module", "it1", "--light", "10", "daynight"});
    ASSERT_EQ(0, night.nExit) << night.strErr;
    EXPECT_TRUE(contains(night.strOut,
                         "state night\nswitch thread running, input the day/night "
                         "level line (level 0); picture black and white"))
        << night.strOut;
    Outcome day = sensorctl({"--module", "2", "--light", "90", "daynight"});
    EXPECT_TRUE(contains(day.strOut, "state day\n")) << day.strOut;
    Outcome forced = sensorctl({"--module", "it1", "--light", "10", "daynight", "1"});
    EXPECT_TRUE(contains(forced.strOut, "day/night mode 1 (day), state day\nswitch thread stopped"))
        << forced.strOut;
    EXPECT_EQ(2, sensorctl({"--module", "it1", "daynight", "3"}).nExit);

    Outcome mirror = sensorctl({"--module", "it1", "--trace", "set", "mirror", "2"});
    ASSERT_EQ(0, mirror.nExit) << mirror.strErr;
    EXPECT_TRUE(contains(mirror.strOut, "tx: 08 01 05 02 15 00 42 67\nrx: 05 01 02 01 09\n"))
        << mirror.strOut;
    Outcome status = sensorctl({"--module", "it1", "status"});
    EXPECT_TRUE(contains(status.strOut, "mirror           2 (register 1500 = 0x42)"))
        << status.strOut;
    Outcome bad = sensorctl({"--module", "it1", "set", "iris-speed", "9"});
    EXPECT_EQ(1, bad.nExit);
    EXPECT_TRUE(contains(bad.strErr, "invalid iris speed value (9)")) << bad.strErr;
}

TEST_F(SensorctlTest, IT1ZoomFollowsTheModuleAndDrivesItsLensOnASecondLine) {
    m_strCamera = "it1zoom";
    Outcome focus = sensorctl({"--module", "it1zoom", "--trace", "set", "focus-mode", "2"});
    ASSERT_EQ(0, focus.nExit) << focus.strErr;
    EXPECT_TRUE(contains(focus.strOut, "tx: 81 01 04 18 01 FF\n")) << focus.strOut;
    EXPECT_EQ("4\n", sensorctl({"--module", "9", "get", "auto-focus"}).strOut);
    Outcome lens = sensorctl({"--module", "it1zoom", "set", "adjust-lens", "1"});
    EXPECT_EQ(0, lens.nExit) << lens.strErr;
    Outcome dayNight = sensorctl({"--module", "it1zoom", "daynight"});
    EXPECT_TRUE(contains(dayNight.strOut, "input the module's judgement; picture colour"))
        << dayNight.strOut;
}

TEST_F(SensorctlTest, ITNTracesItsThreeByteRegistersAndFollowsItsModule) {
    m_strCamera = "itn";
    Outcome gamma = sensorctl({"--module", "itn", "--trace", "set", "gamma", "1"});
    ASSERT_EQ(0, gamma.nExit) << gamma.strErr;
    EXPECT_TRUE(contains(gamma.strOut, "tx: 09 01 06 02 1C 00 00 01 2F\nrx: 05 01 02 01 09\n"))
        << gamma.strOut;
    EXPECT_TRUE(contains(gamma.strOut, "rx: 0B 01 08 01 00 00 00 C8 00 01 DE\n")) << gamma.strOut;
    Outcome status = sensorctl({"--module", "15", "status"});
    EXPECT_TRUE(contains(status.strOut, "module judges    day (exposure level 200)"))
        << status.strOut;
    Outcome night = sensorctl({"--module", "itn", "daynight", "2"});
    EXPECT_TRUE(contains(night.strOut, "state night\nswitch thread stopped")) << night.strOut;
    Outcome bad = sensorctl({"--module", "itn", "set", "spot-x", "16"});
    EXPECT_EQ(1, bad.nExit);
    EXPECT_TRUE(contains(bad.strErr, "setSpotAE_X(16) is out of range")) << bad.strErr;
}

TEST_F(SensorctlTest, SeawolfMovesItsLensWhateverTheValueAndShowsItsVersion) {
    m_strCamera = "seawolf";
    Outcome move = sensorctl({"--module", "seawolf", "--trace", "set", "move-left", "7"});
    ASSERT_EQ(0, move.nExit) << move.strErr;
    EXPECT_TRUE(contains(move.strOut, "tx: 04 01 04 02 03 F1\nrx: 01\n")) << move.strOut;
    EXPECT_TRUE(contains(move.strOut, "tx: 03 02 03 05 F2\nrx: 02 01 01 FB\n")) << move.strOut;
    Outcome status = sensorctl({"--module", "12", "status"});
    EXPECT_TRUE(contains(status.strOut, "soft version     2.1.0.7")) << status.strOut;
    Outcome module = sensorctl({"--module", "seawolf", "daynight", "4"});
    EXPECT_TRUE(contains(module.strOut, "day/night mode 4 (automatic in the module)"))
        << module.strOut;
    Outcome get = sensorctl({"--module", "seawolf", "get", "move-left"});
    EXPECT_EQ(1, get.nExit);
}
