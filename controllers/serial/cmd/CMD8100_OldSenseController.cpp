#include "CMD8100_OldSenseController.h"

#include <cstdio>

namespace {

typedef CmdParameter P;
typedef CmdFrame F;
using CmdParameters::frame;

int tenthPlusTwo(int p_nValue) {
    return p_nValue / 10 + 2;
}

// 0-2 as they are; above, two values a step, odd ones a step further.
int maxGainStep(int p_nValue) {
    if (p_nValue <= 2) {
        return p_nValue;
    }
    return p_nValue / 2 + (p_nValue % 2 == 0 ? 1 : 2);
}

// The factory values that differ from the CMD7300's, and no shutdown limit.
const CmdParameter kOwnRows[] = {
    P::action(2, "setSharpness", frame<2>, 55),
    P::action(5, "setIris", frame<5>, 17),
    P::action(13, "setThreshold", frame<13>, 0),
    P::action(14, "setMaxGain", frame<14>, 28),
    P::absent(20),
};

const CmdFrame kOwnFrames[] = {
    F::make(0, 0x39, F::SHORT, 0, 2).mapped(CmdParameters::exposureByte),
    F::make(1, 0x4E, F::LONG, 0, 100).mapped(tenthPlusTwo),
    F::make(2, 0x42, F::LONG, 0, 100).mapped(CmdParameters::times15),
    F::make(7, 0x4A, F::LONG, 0, 17).when(0, F::anyOf({1})),
    F::make(14, 0x2C, F::SHORT, 0, 28).mapped(maxGainStep),
    F::make(17, 0x58, F::SHORT, 1, 3).mapped(CmdParameters::minusOne),
    F::make(19, 0x35, F::SHORT, 0, 4).only(F::anyOf({0, 4})),
};

}  // namespace

CMD8100_OldSenseController::CMD8100_OldSenseController()
    : CmdSenseController(24, ViscaLink::REPLY_COUNT, 4, {kOwnRows, CmdParameters::family()},
                         {kOwnFrames, CmdParameters::familyFrames()}) {
    registerIds({{0, 7}, {9, 19}, {56, 63}}, {{52, 55}, {64, 64}});
}

int CMD8100_OldSenseController::initController(int, const ModuleConfigure& p_config) {
    ModuleParameterParser detail;
    return readSerialConfig(p_config, false, detail) && openPort();
}

int CMD8100_OldSenseController::setVideoSystem(int p_nVideoSystem) {
    if (p_nVideoSystem == 1) {
        std::puts("____set PAL");
        return sendVideoRegister(0x08);
    }
    if (p_nVideoSystem == 0) {
        std::puts("____set NTSC");
        return sendVideoRegister(0x06);
    }
    return 0;
}

int CMD8100_OldSenseController::writeVideoSystem(int p_nVideoSystem, int) {
    return setVideoSystem(p_nVideoSystem);
}
