#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

#include "SensorctlRun.h"

namespace {

class SensorctlHexTextTest : public SensorctlTest {
protected:
    std::string state() { return slurp(m_root.dir() + "/" + m_strCamera + "/sim/simulator.state"); }
    void setState(const std::string& p_strState) {
        std::ofstream(m_root.dir() + "/" + m_strCamera + "/sim/simulator.state") << p_strState;
    }
    std::string file(const std::string& p_strPath) {
        return slurp(m_root.dir() + "/" + m_strCamera + p_strPath);
    }
};

const char kScheme0[] = "/mnt/mtd/code/config_file/sensor0.cfg";

// The terminal "sensorctl sim-module" announces in its output file, once it
// has; empty when it does not within a few seconds.
std::string announcedTerminal(const std::string& p_strOut) {
    std::smatch match;
    std::regex path(" on (/dev/pts/[0-9]+)");
    for (int tries = 0; tries < 500; ++tries) {
        std::string announced = slurp(p_strOut);
        if (std::regex_search(announced, match, path)) {
            return match[1];
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::string();
}

}  // namespace

TEST_F(SensorctlHexTextTest, Cmd7200SetsRefusesAndSurvivesASilentModule) {
    Outcome set = sensorctl({"--module", "cmd7200", "--trace", "set", "brightness", "100"});
    ASSERT_EQ(0, set.nExit) << set.strErr;
    EXPECT_TRUE(contains(set.strOut, "tx: :WFD9EFF\nrx: :WFD9EFF\n")) << set.strOut;
    EXPECT_TRUE(contains(set.strOut, "tx: :rE1ED0000\n")) << set.strOut;
    EXPECT_TRUE(contains(set.strOut, "brightness (1) = 100")) << set.strOut;
    EXPECT_TRUE(contains(state(), "FD9E=FF")) << state();

    Outcome refused = sensorctl({"--module", "cmd7200", "set", "brightness", "101"});
    EXPECT_EQ(1, refused.nExit);
    EXPECT_EQ("sensorctl: brightness takes 0..100 (%); 101 refused\n", refused.strErr);

    // A module that stops answering: the setting fails, the files stay.
    const std::string saved = file(kScheme0);
    setState(state() + ";silent=1");
    Outcome silent = sensorctl({"--module", "cmd7200", "set", "brightness", "70"});
    EXPECT_EQ(1, silent.nExit);
    EXPECT_TRUE(contains(silent.strErr, "the module did not answer :WFD9EB2 (3 attempts)"))
        << silent.strErr;
    EXPECT_EQ(saved, file(kScheme0));
    setState("silent=0");
    EXPECT_EQ(0, sensorctl({"--module", "cmd7200", "set", "brightness", "70"}).nExit);
    EXPECT_EQ("70\n", sensorctl({"--module", "cmd7200", "get", "brightness"}).strOut);
}

TEST_F(SensorctlHexTextTest, HitachCompatReadsDayAndNightTheWayItsVersionSays) {
    Outcome status = sensorctl({"--module", "hitachcompat", "status"});
    ASSERT_EQ(0, status.nExit) << status.strErr;
    EXPECT_TRUE(contains(status.strOut, "14 (HitachCompatSenseController)")) << status.strOut;
    EXPECT_EQ("2\n", sensorctl({"--module", "hitachcompat", "get", "camera-mode"}).strOut);

    // An old module with a lamp reports through FFE6 (80 night).
    setState("E1EE=6A;FFE6=80;FFE7=01");
    Outcome night = sensorctl({"--module", "hitachcompat", "--detail",
                               "RS485=/dev/ttyAMA1;isInfrared=1", "--trace", "daynight"});
    ASSERT_EQ(0, night.nExit) << night.strErr;
    EXPECT_TRUE(contains(night.strOut, "tx: :RFFE600\nrx: :RFFE680\n")) << night.strOut;
    EXPECT_TRUE(contains(night.strOut, "state night")) << night.strOut;
}

TEST_F(SensorctlHexTextTest, HitachMovesItsSettingsWithThePictureMode) {
    Outcome set = sensorctl({"--module", "hitach", "--trace", "set", "picture-mode", "1"});
    ASSERT_EQ(0, set.nExit) << set.strErr;
    // Brightness 56 and gain 28 go to the registers of picture mode 1.
    EXPECT_TRUE(contains(set.strOut, "tx: :WFF6002\nrx: :WFF6002\ntx: :WFDAE8E\n")) << set.strOut;
    EXPECT_TRUE(contains(set.strOut, "tx: :WFF6D70\n")) << set.strOut;
    Outcome list = sensorctl({"--module", "hitach", "list"});
    EXPECT_TRUE(contains(list.strOut, "   15  picture-mode             1 picture-2    menu"))
        << list.strOut;
    EXPECT_TRUE(contains(list.strOut, "   17  tnf-mode")) << list.strOut;
    Outcome absent = sensorctl({"--module", "hitach", "get", "5"});
    EXPECT_EQ(2, absent.nExit);
}

TEST_F(SensorctlHexTextTest, Sc110nMasksAndNoiseReductionReachTheModule) {
    Outcome masked =
        sensorctl({"--module", "sc110n", "--trace", "mask", "region", "2", "set", "show"});
    ASSERT_EQ(0, masked.nExit) << masked.strErr;
    EXPECT_TRUE(contains(masked.strOut, "tx: A1 00 02 FF\nrx: A1 00 02 FF\n")) << masked.strOut;
    EXPECT_TRUE(contains(masked.strOut, "tx: A1 04 02 FF\nrx: A1 04 02 FF\nmask shown\n"))
        << masked.strOut;
    Outcome nr = sensorctl({"--module", "sc110n", "--trace", "set", "nr-mode", "4"});
    ASSERT_EQ(0, nr.nExit) << nr.strErr;
    EXPECT_TRUE(contains(nr.strOut, "tx: :WFF4B03\nrx: :WFF4B03\ntx: :WFF4F08\n")) << nr.strOut;
    Outcome refused = sensorctl({"--module", "sc110n", "set", "manual-nr", "16"});
    EXPECT_EQ(1, refused.nExit);
    EXPECT_EQ("sensorctl: manual-nr takes 0..15; 16 refused\n", refused.strErr);
}

// The simulator served on a pseudo-terminal, and sensorctl on that terminal
// through the real serial port code, both on the real clock.
TEST_F(SensorctlHexTextTest, ARealSerialPortReachesTheHexTextSimulator) {
    std::string simOut = m_root.dir() + "/sim.out";
    pid_t simulator =
        spawnSensorctl({"sim-module", "hextext", "--seconds", kServeSeconds}, simOut, "");
    ASSERT_GT(simulator, 0);
    const std::string terminal = announcedTerminal(simOut);

    Outcome set = sensorctl(
        {"--module", "cmd7200", "--uart", terminal, "--trace", "set", "sharpness", "100"}, false);
    Outcome dayNight = sensorctl({"--module", "cmd7200", "--uart", terminal, "daynight"}, false);
    kill(simulator, SIGTERM);
    int status = 0;
    waitpid(simulator, &status, 0);

    ASSERT_FALSE(terminal.empty()) << slurp(simOut);
    ASSERT_EQ(0, set.nExit) << set.strErr;
    EXPECT_TRUE(contains(set.strOut, "tx: :WFBF63F\nrx: :WFBF63F\n")) << set.strOut;
    EXPECT_EQ(0, dayNight.nExit) << dayNight.strErr;
    EXPECT_EQ("day/night mode 0 (automatic), state day\n", dayNight.strOut);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
