#include "CMD7300SenseController.h"

#include <cstdio>
#include <cstring>

CMD7300SenseController::CMD7300SenseController()
    : CmdSenseController(21, ViscaLink::REPLY_COUNT, 4, {CmdParameters::family()},
                         {CmdParameters::familyFrames()}) {
    registerIds({{0, 7}, {9, 20}, {56, 63}}, {{52, 55}, {64, 64}});
}

int CMD7300SenseController::initController(int, const ModuleConfigure& p_config) {
    ModuleParameterParser detail;
    return readSerialConfig(p_config, true, detail) && openPort();
}

int CMD7300SenseController::getCurrentGain(int& p_nGain) {
    char reply[7];
    std::memset(reply, 0, sizeof(reply));
    if (!inquire(Visca::inquiry(0x4C), reply, 7)) {
        ErrorPrintf("get AGC failed ");
        OrvaneTime(3, 0).wait();
    }
    p_nGain =
        ((static_cast<unsigned char>(reply[4]) << 4) & 0xFF) | static_cast<unsigned char>(reply[5]);
    return 1;
}

int CMD7300SenseController::videoTarget(int p_nVideoSystem) {
    return p_nVideoSystem == 1 ? 1 : p_nVideoSystem == 0 ? 14 : 0;
}

int CMD7300SenseController::writeVideoSystem(int p_nVideoSystem, int) {
    // PAL is written as 01 01, NTSC (and any other standard) as 00 0E.
    return sendVideoRegister(p_nVideoSystem == 1 ? 0x11 : 0x0E);
}
