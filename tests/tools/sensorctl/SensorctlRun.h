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

// How long a simulator that a test serves with sim-module stays up: far
// longer than any test using it, which ends it (SIGTERM) once the program
// under test is done with its pseudo-terminal, however slow the machine.
const char* const kServeSeconds = "600";

// Starts sensorctl (under the emulator when the tests run for another
// architecture) with its stdout and stderr going to the files; an empty path
// leaves that stream alone. The pid, or -1.
pid_t spawnSensorctl(const std::vector<std::string>& p_arguments, const std::string& p_strOut,
                     const std::string& p_strErr);

// The pseudo-terminal a "sensorctl sim-module" writing its announcement to
// p_strOutPath serves on, once announced (within a minute); empty when it
// never is.
std::string servedTerminal(const std::string& p_strOutPath);

// Each test gets its own root; every command is a new sensorctl process, as a
// camera restarting between commands.
class SensorctlTest : public testing::Test {
protected:
    Outcome sensorctl(const std::vector<std::string>& p_arguments, bool p_bVirtual = true);

    static bool contains(const std::string& p_strText, const std::string& p_strPart) {
        return p_strText.find(p_strPart) != std::string::npos;
    }

    ScratchRoot m_root;
    // The camera's root under m_root: one per module, as a root keeps one
    // module's parameter files.
    std::string m_strCamera = "camera";
};

#endif
