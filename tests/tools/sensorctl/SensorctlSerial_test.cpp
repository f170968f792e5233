#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "SensorctlRun.h"

extern char** environ;

namespace {

// The lines of p_strText that start with p_strPrefix, joined.
std::string linesStarting(const std::string& p_strText, const std::string& p_strPrefix) {
    std::string result;
    size_t start = 0;
    while (start < p_strText.size()) {
        size_t end = p_strText.find('\n', start);
        end = end == std::string::npos ? p_strText.size() : end;
        std::string line = p_strText.substr(start, end - start);
        if (line.compare(0, p_strPrefix.size(), p_strPrefix) == 0) {
            result += line + "\n";
        }
        start = end + 1;
    }
    return result;
}

}  // namespace

TEST_F(SensorctlTest, TraceShowsEveryFrameOfASettingAndItsAcknowledgement) {
    Outcome run = sensorctl({"--module", "fcbev7310", "--trace", "set", "mirror", "1"});
    ASSERT_EQ(0, run.nExit) << run.strErr;
    EXPECT_TRUE(contains(run.strOut, "tx: 81 01 04 61 02 FF\nrx: ")) << run.strOut;
    EXPECT_TRUE(contains(run.strOut, "rx: 90 41 FF\n")) << run.strOut;
    EXPECT_TRUE(contains(run.strOut, "mirror (6) = 1")) << run.strOut;
    // Without --trace the frames stay off the output.
    Outcome quiet = sensorctl({"--module", "fcbev7310", "get", "mirror"});
    EXPECT_EQ("1\n", quiet.strOut);
}

TEST_F(SensorctlTest, EachViscaMemberKeepsItsOwnNumbering) {
    struct Case {
        const char* szModule;
        const char* szStatus;
        const char* szBrightnessId;
        const char* szAbsentName;
    } cases[] = {
        {"ch3310", "18 (SONYCH3310SenseController)", "52", "iris-up"},
        {"cv7500", "19 (SONYCV7500SenseController)", "58", "backlight"},
        {"eh4300", "11 (SONYEH4300SenseController)", "56", "defog"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szModule);
        m_strCamera = c.szModule;
        Outcome status = sensorctl({"--module", c.szModule, "status"});
        ASSERT_EQ(0, status.nExit) << status.strErr;
        EXPECT_TRUE(contains(status.strOut, c.szStatus)) << status.strOut;
        Outcome set = sensorctl({"--module", c.szModule, "--trace", "set", "brightness", "60"});
        ASSERT_EQ(0, set.nExit) << set.strErr;
        // Brightness 0..100 is the exposure compensation 0..14 on every member.
        EXPECT_TRUE(contains(set.strOut, "tx: 81 01 04 4E 00 00 00 08 FF")) << set.strOut;
        EXPECT_EQ("60\n", sensorctl({"--module", c.szModule, "get", c.szBrightnessId}).strOut);
        Outcome absent = sensorctl({"--module", c.szModule, "get", c.szAbsentName});
        EXPECT_EQ(2, absent.nExit);
        EXPECT_TRUE(contains(absent.strErr, "unknown parameter")) << absent.strErr;
    }
}

TEST_F(SensorctlTest, ViscaDayNightModesGoThroughTheModulesOwnValues) {
    Outcome night = sensorctl({"--module", "cv7500", "--trace", "daynight", "2"});
    ASSERT_EQ(0, night.nExit) << night.strErr;
    EXPECT_TRUE(contains(night.strOut, "tx: 81 01 04 01 02 FF")) << night.strOut;  // filter out
    EXPECT_TRUE(contains(night.strOut, "day/night mode 2 (night), state night")) << night.strOut;
    EXPECT_EQ("4\n", sensorctl({"--module", "cv7500", "get", "daynight-mode"}).strOut);
    Outcome restarted = sensorctl({"--module", "cv7500", "status"});
    EXPECT_TRUE(contains(restarted.strOut, "day/night mode   2 (night)")) << restarted.strOut;

    Outcome byLight = sensorctl({"--module", "cv7500", "daynight", "0"});
    EXPECT_EQ(2, byLight.nExit);
    EXPECT_TRUE(contains(byLight.strErr, "module cv7500 has no day/night mode 0"))
        << byLight.strErr;
}

TEST_F(SensorctlTest, MasksNeedTheirModuleAndARegionOnTheSameCommandLine) {
    Outcome masked =
        sensorctl({"--module", "eh4300", "--trace", "mask", "region", "2", "set", "show", "wider"});
    ASSERT_EQ(0, masked.nExit) << masked.strErr;
    EXPECT_EQ("tx: A1 00 02 FF\ntx: A1 01 02 FF\ntx: A1 04 02 FF\ntx: A1 20 01 FF\n",
              linesStarting(masked.strOut, "tx: A1"));
    EXPECT_TRUE(contains(masked.strOut, "mask region 2 selected\n")) << masked.strOut;
    EXPECT_TRUE(contains(masked.strOut, "mask wider\n")) << masked.strOut;

    struct Case {
        std::vector<std::string> arguments;
        const char* szMessage;
    } refused[] = {
        {{"--module", "eh4300", "mask", "show"}, "select a region first"},
        {{"--module", "eh4300", "mask", "region", "1", "paint"}, "mask needs [region N]"},
        {{"--module", "fcbev7310", "mask", "region", "1", "set"}, "holds the parameter files"},
    };
    for (const Case& c : refused) {
        Outcome run = sensorctl(c.arguments);
        EXPECT_EQ(2, run.nExit) << c.szMessage;
        EXPECT_TRUE(contains(run.strErr, c.szMessage)) << run.strErr;
    }
    EXPECT_EQ(0, sensorctl({"--module", "eh4300", "mask", "clear-all"}).nExit);
    m_strCamera = "ch3310";
    Outcome unmasked = sensorctl({"--module", "ch3310", "mask", "region", "1", "set"});
    EXPECT_EQ(2, unmasked.nExit);
    EXPECT_TRUE(contains(unmasked.strErr, "module ch3310 has no privacy masks")) << unmasked.strErr;
}

TEST_F(SensorctlTest, TheLensPositionIsTheCamerasAndOutlivesTheProcess) {
    ASSERT_EQ(0, sensorctl({"--module", "fcbev7310", "zoom", "set", "20480"}).nExit);
    Outcome zoom = sensorctl({"--module", "fcbev7310", "zoom", "get"});
    EXPECT_EQ("zoom position 20480, 1.500x\n", zoom.strOut) << zoom.strErr;
    m_strCamera = "ch3310";
    Outcome noLens = sensorctl({"--module", "ch3310", "zoom", "get"});
    EXPECT_EQ(1, noLens.nExit);
}

TEST_F(SensorctlTest, TheNoSensorControllerFollowsTheModulesIrCutFilter) {
    ASSERT_EQ(0, sensorctl({"--module", "nosensor", "status"}).nExit);
    std::ofstream(m_root.dir() + "/camera/sim/simulator.state") << "ircut=night\n";
    Outcome night = sensorctl({"--module", "nosensor", "status"});
    ASSERT_EQ(0, night.nExit) << night.strErr;
    EXPECT_TRUE(contains(night.strOut, "90 (NoSensorUIController)")) << night.strOut;
    EXPECT_TRUE(contains(night.strOut, "day/night state  night")) << night.strOut;
    std::ofstream(m_root.dir() + "/camera/sim/simulator.state") << "ircut=day\n";
    EXPECT_TRUE(
        contains(sensorctl({"--module", "nosensor", "status"}).strOut, "day/night state  day"));
}

// The simulator served on a pseudo-terminal, and sensorctl on that terminal
// through the real serial port code, both on the real clock.
TEST_F(SensorctlTest, ARealSerialPortReachesTheSimulatorOnAPseudoTerminal) {
    std::string simOut = m_root.dir() + "/sim.out";
    pid_t simulator =
        spawnSensorctl({"sim-module", "visca", "--seconds", kServeSeconds}, simOut, "");
    ASSERT_GT(simulator, 0);

    const std::string terminal = servedTerminal(simOut);
    ASSERT_NE("", terminal) << slurp(simOut);
    EXPECT_TRUE(contains(slurp(simOut), "simulated VISCA camera on " + terminal + " (9600 8N1)"));

    Outcome set = sensorctl(
        {"--module", "fcbev7310", "--uart", terminal, "--trace", "set", "gamma", "1"}, false);
    Outcome get = sensorctl({"--module", "fcbev7310", "--uart", terminal, "zoom", "get"}, false);
    kill(simulator, SIGTERM);
    int status = 0;
    waitpid(simulator, &status, 0);

    ASSERT_EQ(0, set.nExit) << set.strErr;
    EXPECT_TRUE(contains(set.strOut, "tx: 81 01 04 5B 01 FF\nrx: ")) << set.strOut;
    EXPECT_EQ(0, get.nExit) << get.strErr;
    EXPECT_EQ("zoom position 0, 1.000x\n", get.strOut);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
