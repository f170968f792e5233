#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "SensorctlRun.h"

// One test per CMD module: sensorctl against the module's simulator, by
// name or number, with its own parameter names and day/night values.

TEST_F(SensorctlTest, Cmd7300ScalesBrightnessAndRefusesWhatItCannotSend) {
    m_strCamera = "cmd7300";
    Outcome status = sensorctl({"--module", "21", "status"});
    ASSERT_EQ(0, status.nExit) << status.strErr;
    EXPECT_TRUE(contains(status.strOut, "21 (CMD7300SenseController)")) << status.strOut;
    EXPECT_TRUE(contains(status.strOut, "day/night mode   4 (automatic in the module)"));

    Outcome set = sensorctl({"--module", "cmd7300", "--trace", "set", "brightness", "100"});
    ASSERT_EQ(0, set.nExit) << set.strErr;
    EXPECT_TRUE(contains(set.strOut, "tx: 81 01 04 4E 00 00 00 0E FF\nrx: 90 41 FF\n"))
        << set.strOut;
    EXPECT_EQ("100\n", sensorctl({"--module", "cmd7300", "get", "brightness"}).strOut);

    Outcome refused = sensorctl({"--module", "cmd7300", "--trace", "set", "wb-mode", "5"});
    EXPECT_EQ(1, refused.nExit);
    EXPECT_EQ("sensorctl: wb-mode takes 0 auto, 4 atw, 9 sodium-outdoor-auto; 5 refused\n",
              refused.strErr);
    EXPECT_FALSE(contains(refused.strOut, "tx: 81 01 04 35 05 FF")) << refused.strOut;

    Outcome night = sensorctl({"--module", "cmd7300", "--trace", "daynight", "2"});
    ASSERT_EQ(0, night.nExit) << night.strErr;
    EXPECT_TRUE(contains(night.strOut, "tx: 81 01 04 01 02 FF")) << night.strOut;
    EXPECT_TRUE(contains(night.strOut, "day/night mode 2 (night), state night"));
    EXPECT_EQ("2\n", sensorctl({"--module", "cmd7300", "get", "daynight-mode"}).strOut);
    ASSERT_EQ(0, sensorctl({"--module", "cmd7300", "daynight", "4"}).nExit);
    EXPECT_EQ("0\n", sensorctl({"--module", "cmd7300", "get", "daynight-mode"}).strOut);
    Outcome byLight = sensorctl({"--module", "cmd7300", "daynight", "0"});
    EXPECT_EQ(2, byLight.nExit);
    EXPECT_TRUE(contains(byLight.strErr, "module cmd7300 has no day/night mode 0"));
}

TEST_F(SensorctlTest, Cmd8100OldHasNoShutdownLimitAndItsOwnGainSteps) {
    m_strCamera = "cmd8100old";
    Outcome status = sensorctl({"--module", "24", "status"});
    ASSERT_EQ(0, status.nExit) << status.strErr;
    EXPECT_TRUE(contains(status.strOut, "24 (CMD8100_OldSenseController)")) << status.strOut;
    Outcome gain = sensorctl({"--module", "cmd8100old", "--trace", "set", "max-gain", "5"});
    ASSERT_EQ(0, gain.nExit) << gain.strErr;
    EXPECT_TRUE(contains(gain.strOut, "tx: 81 01 04 2C 04 FF")) << gain.strOut;
    Outcome absent = sensorctl({"--module", "cmd8100old", "get", "shutdown-limit"});
    EXPECT_EQ(2, absent.nExit);
    EXPECT_TRUE(contains(absent.strErr, "unknown parameter")) << absent.strErr;
    Outcome list = sensorctl({"--module", "cmd8100old", "list"});
    EXPECT_TRUE(contains(
        list.strOut, "   14  max-gain                 5              range           28  0..28\n"))
        << list.strOut;
    EXPECT_TRUE(contains(list.strOut, "   64  one-push                 (set-only)     action"));
}

TEST_F(SensorctlTest, Cmd8100IsModule26WithPrivacyMasks) {
    m_strCamera = "cmd8100";
    Outcome masked = sensorctl({"--module", "26", "--trace", "mask", "region", "2", "set", "show"});
    ASSERT_EQ(0, masked.nExit) << masked.strErr;
    EXPECT_TRUE(contains(masked.strOut, "tx: A1 00 02 FF\nrx: A1 00 02 FF\n")) << masked.strOut;
    EXPECT_TRUE(contains(masked.strOut, "tx: A1 04 02 FF\n"));
    EXPECT_TRUE(contains(masked.strOut, "mask shown\n"));
    Outcome status = sensorctl({"--module", "cmd8100", "status"});
    EXPECT_TRUE(contains(status.strOut, "26 (CMD8100SenseController)")) << status.strOut;
    EXPECT_EQ(2, sensorctl({"--module", "cmd8100", "get", "tnf-mode"}).nExit);
    Outcome help = sensorctl({"--help"});
    EXPECT_TRUE(contains(help.strOut, "cmd8100 (26)")) << help.strOut;
}

TEST_F(SensorctlTest, Cmd8300SaysWhichBoundItKeepsAndFailsClearlyWhenTheModuleIsSilent) {
    m_strCamera = "cmd8300";
    Outcome low = sensorctl({"--module", "cmd8300", "set", "dtn-sensitivity", "12"});
    EXPECT_EQ(1, low.nExit);
    EXPECT_EQ("sensorctl: dtn-sensitivity takes 15..126 (step); 12 refused\n", low.strErr);
    ASSERT_EQ(0, sensorctl({"--module", "cmd8300", "set", "dtn-sensitivity", "40"}).nExit);
    // In range, but too close to the other bound: the module's own reason.
    Outcome gap = sensorctl({"--module", "cmd8300", "set", "ntd-sensitivity", "35"});
    EXPECT_EQ(1, gap.nExit);
    EXPECT_TRUE(contains(gap.strErr, "m_nDtoNSensitivity(40) - p_nNtoDSensitivity(35) < 10"))
        << gap.strErr;
    Outcome pair = sensorctl({"--module", "25", "--trace", "set", "ntd-sensitivity", "30"});
    ASSERT_EQ(0, pair.nExit) << pair.strErr;
    EXPECT_TRUE(contains(pair.strOut, "tx: 81 01 04 21 00 00 01 0E FF")) << pair.strOut;
    Outcome night = sensorctl({"--module", "cmd8300", "--trace", "daynight", "2"});
    EXPECT_TRUE(contains(night.strOut, "day/night mode 2 (night), state night")) << night.strOut;
    EXPECT_EQ("4\n", sensorctl({"--module", "cmd8300", "get", "daynight-mode"}).strOut);

    // A module that listens at another rate hears nothing: three attempts,
    // a clear failure, and the parameter files as they were.
    const std::string files = m_root.dir() + "/cmd8300/mnt/mtd/code/config_file/";
    std::string before = slurp(files + "sensor0.cfg") + slurp(files + "sensor_Especial.cfg");
    std::ofstream(m_root.dir() + "/cmd8300/sim/simulator.state") << "baud=38400\n";
    Outcome silent = sensorctl({"--module", "cmd8300", "set", "gamma", "3"});
    EXPECT_EQ(1, silent.nExit);
    EXPECT_EQ(
        "sensorctl: cannot set gamma (4) = 3: setGamma error,value is 3: the module did not "
        "answer 81 01 04 5B 03 FF (3 attempts)\n",
        silent.strErr);
    EXPECT_EQ(before, slurp(files + "sensor0.cfg") + slurp(files + "sensor_Especial.cfg"));
}
