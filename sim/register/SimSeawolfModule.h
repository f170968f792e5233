#ifndef SENSORCONTROL_SIM_REGISTER_SIMSEAWOLFMODULE_H
#define SENSORCONTROL_SIM_REGISTER_SIMSEAWOLFMODULE_H

#include <string>

#include "SimRegisterModule.h"

// A Seawolf camera module: items of groups (register key = group << 8 |
// item). Requests (cs = the complement of the 8-bit sum of the bytes before
// it):
//   03 02 group item cs          read: 02 N data cs (cs over 02, N, data)
//   03 02 00 item cs             the module's information (0F: its version,
//                                four bytes)
//   04 01 group item value cs    write: 01
// A bad checksum answers 04 01, an unknown item or a write to a read-only
// one 03. Item 03 05 reports the scene (1 day, 0 night); item 03 02 is the
// picture (0 the module switches, 1 colour, 2 black and white); a write to
// the video system 05 01 takes effect only after the next read (a restart).
// The error-status fault answers 03, the wrong-code fault 09.
class SimSeawolfModule : public SimRegisterModule {
public:
    SimSeawolfModule();

    void setSceneDay(bool p_bDay);
    // Direction commands taken (item 04 02), in order.
    std::string directions();
    static int key(int p_nGroup, int p_nItem) { return (p_nGroup << 8) | p_nItem; }

protected:
    int requestLength(const std::string& p_strInput) override;
    std::string answer(const std::string& p_strRequest) override;
    std::string errorAnswer(const std::string& p_strRequest) override;
    std::string wrongAnswer(const std::string& p_strRequest) override;

private:
    static std::string data(const std::string& p_strBytes);

    bool m_bSceneDay = true;
    int m_nPendingVideoSystem = -1;
    std::string m_strDirections;
};

#endif
