#ifndef SENSORCONTROL_TESTS_SENSORCTLRUN_H
#define SENSORCONTROL_TESTS_SENSORCTLRUN_H

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "support/ScratchRoot.h"

struct Outcome {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

std::string slurp(const std::string& p_strPath);

// Each test gets its own root; every command is a new sensorctl process, as a
// camera restarting between commands.
class SensorctlTest : public testing::Test {
protected:
    ~SensorctlTest() override { stopSimModule(); }

    Outcome sensorctl(const std::vector<std::string>& p_arguments, bool p_bVirtual = true);
    // Starts "sensorctl sim-module KIND" for 30 s and returns the terminal it
    // serves on (empty when it announces none); stopSimModule ends it and
    // tells whether it exited cleanly.
    std::string startSimModule(const std::string& p_strKind);
    bool stopSimModule();

    static bool contains(const std::string& p_strText, const std::string& p_strPart) {
        return p_strText.find(p_strPart) != std::string::npos;
    }

    ScratchRoot m_root;
    // The camera's root under m_root: one per module, as a root keeps one
    // module's parameter files.
    std::string m_strCamera = "camera";
    pid_t m_nSimulator = 0;
};

#endif
