#ifndef SENSORCONTROL_SIM_REGISTER_SIMITNMODULE_H
#define SENSORCONTROL_SIM_REGISTER_SIMITNMODULE_H

#include "SimCountedModule.h"

// An ITN camera module: 24-bit register addresses (SimCountedModule has the
// frames), reads of 1, 2 or 6 bytes (replies 06, 07, 0B), writes of 1, 2 or
// 8 bytes (reply 05 01 02 01 09; a refusal is 05 01 02 00 08). Two-byte
// values are big-endian. 2A 02 40 reports the scene in six bytes: the
// exposure level (four bytes) and 1 day / 0 night (two bytes). 1A 00 01 is
// the black-and-white picture. The wrong-code fault answers with code 08.
class SimITNModule : public SimCountedModule {
public:
    SimITNModule();

    bool blackAndWhite();
    // A two-byte register, big-endian.
    int wordValue(int p_nAddress);

protected:
    bool computed(int p_nAddress, int p_nCount, std::string& p_strData) override;
    bool takesCount(bool p_bRead, int p_nCount) override;
    std::string wrongAnswer(const std::string& p_strRequest) override;

private:
    void setWord(int p_nAddress, int p_nValue);
};

#endif
