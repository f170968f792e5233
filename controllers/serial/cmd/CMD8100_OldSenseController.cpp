#include "CMD8100_OldSenseController.h"

#include <cstdio>

namespace {

typedef CmdParameter P;
typedef CmdFrame F;
typedef ParameterRole R;
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

const ParameterMenuEntry kExposureModes[] = {
    {0, "auto"}, {1, "shutter-priority"}, {2, "iris-priority"}};
const ParameterMenuEntry kWhiteBalance[] = {{0, "auto"}, {4, "atw"}};

// Where the module differs from the CMD7300: narrower ranges, other factory
// values, and no shutdown limit.
const CmdParameter kOwnRows[] = {
    P::action(0, "setExposalMode", CmdParameters::exposalMode, 0)
        .menu("exposure-mode", R::EXPOSURE_MODE, kExposureModes),
    CmdParameters::sharpness(55),
    CmdParameters::iris(17),
    P::action(7, "setShutter", frame<7>, 0)
        .range("shutter", R::SHUTTER, 0, 17, ParameterUnit::STEP),
    CmdParameters::threshold(0),
    P::action(14, "setMaxGain", frame<14>, 28).range("max-gain", R::MAX_GAIN, 0, 28),
    P::action(17, "setSensitivity", frame<17>, 2).range("af-sensitivity", R::NONE, 1, 3),
    P::base(18, ISensorController::BASE_TNF_MODE, "setTNFMode").factory(1),
    P::action(19, "setWBMode", frame<19>, 4).menu("wb-mode", R::WB_MODE, kWhiteBalance),
    P::absent(20),
};

const CmdFrame kOwnFrames[] = {
    F::make(1, 0x4E, F::LONG).mapped(tenthPlusTwo),
    F::make(2, 0x42, F::LONG).mapped(CmdParameters::times15),
    F::make(14, 0x2C, F::SHORT).mapped(maxGainStep),
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
