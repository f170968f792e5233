#ifndef SENSORCONTROL_SIM_CMD_SIMCMDCAMERA_H
#define SENSORCONTROL_SIM_CMD_SIMCMDCAMERA_H

#include <string>

#include "../visca/SimViscaCamera.h"

// A CMD camera module: the VISCA camera's frames, registers, restarts and
// faults, with the CMD modules' own command set. Differences from the Sony
// camera it builds on:
//   - it sends no completions: 90 41 FF ends every command;
//   - 81 01 04 22 FF is a notice (start-up done) that gets no answer;
//   - 81 01 04 51 02/03 FF turns its own day/night switching on/off; while
//     on, the state it reports (81 09 04 01 FF) follows the scene it sees,
//     otherwise the last 81 01 04 01 02/03 FF (02 night, 03 day);
//   - a command with a code or parameter count it does not have (such as
//     81 01 04 51 FF FF, read as 81 01 04 51 FF and a stray FF) is refused
//     with 90 60 02 FF.
// The 4C inquiry reports the gain the automatic gain control runs at.
class SimCmdCamera : public SimViscaCamera {
public:
    SimCmdCamera();

    void setSceneDark(bool p_bDark);
    // Whether the module switches day/night by itself (51 02).
    bool autoDayNight();
    // The state the module reports: true for night.
    bool reportsNight();

    // Besides the VISCA camera's state: "auto", "scene" (dark or light) and
    // "baud", the rate the module listens at (a host at another rate hears
    // nothing back).
    std::string saveState() override;
    void loadState(const std::string& p_strState) override;

protected:
    bool knows(int p_nCode, size_t p_nParameters) override;
    Messages command(int p_nCode, const std::string& p_strParameters) override;
    Messages inquiry(int p_nCode, const std::string& p_strParameters) override;

private:
    bool nightLocked();

    bool m_bAuto = false;
    bool m_bSceneDark = false;
};

#endif
