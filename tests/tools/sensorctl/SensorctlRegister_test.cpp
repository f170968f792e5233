#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "SensorctlRun.h"
#include "framework/SafePointer.h"
#include "sim/PtyBridge.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "support/HexBytes.h"

namespace {

const char* const kSchemeFile = "/mnt/mtd/code/config_file/sensor0.cfg";

// The lens frames a --trace shows ("81 01 04 18 01 FF"), in order.
std::vector<std::string> tracedLensFrames(const std::string& p_strOut) {
    std::vector<std::string> frames;
    std::regex frame("tx: (81 01 04 [0-9A-F ]+ FF)\n");
    for (std::sregex_iterator it(p_strOut.begin(), p_strOut.end(), frame), end; it != end; ++it) {
        frames.push_back((*it)[1]);
    }
    return frames;
}

// The frames the module's lens line got, once it has p_nCount of them (the
// bridge passes them on in its own time); fewer after a generous wait.
std::vector<std::string> lensFramesOnceThere(SimIT1Module& p_module, size_t p_nCount) {
    std::vector<std::string> frames;
    for (int tries = 0; tries < 2000; ++tries) {
        frames.clear();
        for (const std::string& bytes : p_module.lensFrames()) {
            frames.push_back(text(bytes));
        }
        if (frames.size() >= p_nCount) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return frames;
}

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
    EXPECT_TRUE(contains(bad.strErr, "sensorctl: mirror takes 0 off, 1 on; 2 refused\n"))
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

    Outcome first = sensorctl({"--module", "effio", "--uart", terminal, "set", "wb-mode", "3"});
    ASSERT_EQ(0, first.nExit) << first.strErr;
    EXPECT_EQ(0x33, board->registerValue(SimEffioModule::key(0x05, 0x01)));
    std::string before = slurp(m_root.dir() + "/effio" + kSchemeFile);
    EXPECT_TRUE(contains(before, "(5,3)")) << before;

    board->injectFault(SimRegisterModule::FAULT_SILENT, 1000);
    Outcome silent = sensorctl({"--module", "effio", "--uart", terminal, "set", "wb-mode", "5"});
    EXPECT_EQ(1, silent.nExit);
    EXPECT_TRUE(contains(silent.strErr, "cannot set wb-mode (5) = 5: ")) << silent.strErr;
    EXPECT_EQ(before, slurp(m_root.dir() + "/effio" + kSchemeFile));

    board->clearFaults();
    Outcome again = sensorctl({"--module", "effio", "--uart", terminal, "set", "wb-mode", "5"});
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
    EXPECT_TRUE(contains(bad.strErr, "sensorctl: iris-speed takes 1..6; 9 refused\n"))
        << bad.strErr;
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

// The IT1 zoom module's two lines, each on a pseudo-terminal of one
// simulator in this process: each line's option takes its frames to that
// line's device, and a line without one is the in-process simulator's.
TEST_F(SensorctlTest, IT1ZoomSendsItsLensFramesToTheLensLinesOwnDevice) {
    m_strCamera = "it1zoom";
    SimIT1Module* module = new SimIT1Module();
    SafePointer<IUARTController> holder(module);
    PtyBridge registers(*module);
    PtyBridge lens(*module);
    // The simulator takes the second device opened for its lens line.
    ASSERT_TRUE(registers.start() && lens.start());
    const std::string registerLine = registers.slavePath();
    const std::string lensLine = lens.slavePath();

    // The lens simulated, the registers on their device.
    Outcome simulatedLens =
        sensorctl({"--module", "it1zoom", "--uart", registerLine, "--trace", "focus", "mode", "2"});
    ASSERT_EQ(0, simulatedLens.nExit) << simulatedLens.strErr;
    EXPECT_TRUE(contains(simulatedLens.strOut, "tx: 81 01 04 18 01 FF\nfocus mode 2\n"))
        << simulatedLens.strOut;

    Outcome both = sensorctl({"--module", "it1zoom", "--uart", registerLine, "--lens-uart",
                              lensLine, "--trace", "focus", "mode", "1"});
    ASSERT_EQ(0, both.nExit) << both.strErr;
    std::vector<std::string> sent = tracedLensFrames(both.strOut);
    ASSERT_FALSE(sent.empty()) << both.strOut;
    EXPECT_EQ("81 01 04 38 02 FF", sent.back());

    // The registers simulated, the lens on its device.
    Outcome simulatedRegisters = sensorctl(
        {"--module", "it1zoom", "--lens-uart", lensLine, "--trace", "set", "adjust-lens", "1"});
    ASSERT_EQ(0, simulatedRegisters.nExit) << simulatedRegisters.strErr;
    std::vector<std::string> more = tracedLensFrames(simulatedRegisters.strOut);
    EXPECT_EQ("81 01 04 B1 03 FF", more.empty() ? "" : more.back());
    sent.insert(sent.end(), more.begin(), more.end());

    // Every frame the lens line got is one these two runs sent it; the first
    // run's went to its simulator, and none went to the register line.
    EXPECT_EQ(sent, lensFramesOnceThere(*module, sent.size()));
    EXPECT_FALSE(module->received().empty());
    for (const std::string& frame : module->received()) {
        EXPECT_NE(0x81, static_cast<unsigned char>(frame[0])) << text(frame);
    }
}

// sim-module serves the zoom module's lens line on a second terminal; a
// module without a lens line refuses the option.
TEST_F(SensorctlTest, SimModuleServesTheLensLineThatOnlyTheZoomModuleHas) {
    m_strCamera = "it1zoom";
    std::string simOut = m_root.dir() + "/sim.out";
    pid_t simulator = spawnSensorctl({"sim-module", "it1", "--seconds", kServeSeconds}, simOut, "");
    ASSERT_GT(simulator, 0);
    const std::string registerLine = servedTerminal(simOut);
    std::smatch lens;
    const std::string announced = slurp(simOut);
    const bool lensAnnounced = std::regex_search(
        announced, lens, std::regex(", its lens line on (/dev/pts/[0-9]+); try:\n"));
    Outcome focus;
    if (lensAnnounced) {
        focus = sensorctl({"--module", "it1zoom", "--uart", registerLine, "--lens-uart",
                           lens[1].str(), "focus", "mode", "2"});
    }
    kill(simulator, SIGTERM);
    waitpid(simulator, nullptr, 0);
    ASSERT_NE("", registerLine) << announced;
    ASSERT_TRUE(lensAnnounced) << announced;
    EXPECT_TRUE(contains(
        announced, "--module it1zoom --uart " + registerLine + " --lens-uart " + lens[1].str()))
        << announced;
    EXPECT_EQ(0, focus.nExit) << focus.strErr;
    EXPECT_EQ("focus mode 2\n", focus.strOut);

    for (const char* other : {"it1", "fcbev7310"}) {
        Outcome refused = sensorctl({"--module", other, "--lens-uart", "/dev/null", "status"});
        EXPECT_EQ(2, refused.nExit) << other;
        EXPECT_EQ("sensorctl: module " + std::string(other) +
                      " has no lens line (--lens-uart is for it1zoom)\n",
                  refused.strErr);
        EXPECT_EQ("", refused.strOut);
    }
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
    EXPECT_TRUE(contains(bad.strErr, "sensorctl: spot-x takes 0..15; 16 refused\n")) << bad.strErr;
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
