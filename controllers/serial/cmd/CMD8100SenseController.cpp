#include "CMD8100SenseController.h"

namespace {

typedef CmdParameter P;

// A privacy-mask operation of the Keel base as a row action; only the
// CMD8100's rows hold these, so the owner is a Keel controller.
template <int (IKeelZoomSensorController::*Operation)()>
int mask(ISensorController& p_owner, CmdCommandSet&, int) {
    return (static_cast<IKeelZoomSensorController&>(p_owner).*Operation)();
}

int region(ISensorController& p_owner, CmdCommandSet&, int p_nValue) {
    return static_cast<IKeelZoomSensorController&>(p_owner).setRegion(p_nValue);
}

typedef IKeelZoomSensorController K;
typedef ParameterRole R;

const CmdParameter kOwnRows[] = {
    P::absent(18),
    // Any region number is passed on to the module.
    P::action(65, "setRegion", region, 0).anyValue("mask-region", R::NONE),
    P::action(66, "setMask", mask<&K::setMask>, 0).button("mask-set"),
    P::action(67, "showMask", mask<&K::showMask>, 0).button("mask-show"),
    P::action(68, "hideMask", mask<&K::hideMask>, 0).button("mask-hide"),
    P::action(69, "clearMask", mask<&K::clearMask>, 0).button("mask-clear"),
    P::action(70, "clearAllMask", mask<&K::clearAllMask>, 0).button("mask-clear-all"),
    P::action(71, "increaseWidth", mask<&K::increaseWidth>, 0).button("mask-wider"),
    P::action(72, "decreaseWidth", mask<&K::decreaseWidth>, 0).button("mask-narrower"),
    P::action(73, "increaseHight", mask<&K::increaseHight>, 0).button("mask-taller"),
    P::action(74, "decreaseHight", mask<&K::decreaseHight>, 0).button("mask-shorter"),
};

}  // namespace

CMD8100SenseController::CMD8100SenseController()
    : CmdSenseController(MODULE_ID, ViscaLink::REPLY_COUNT, 4, {kOwnRows, CmdParameters::family()},
                         {CmdParameters::familyFrames()}) {
    m_bSettleBeforeVideoInquiry = true;
    registerIds({{0, 7}, {9, 17}, {19, 20}, {56, 63}}, {{52, 55}, {64, 74}});
}

int CMD8100SenseController::initController(int, const ModuleConfigure& p_config) {
    ModuleParameterParser detail;
    if (!readSerialConfig(p_config, true, detail) || !openPort()) {
        return 0;
    }
    if (!send(Visca::command(0x3E, Visca::bytes({0x02})))) {
        ErrorPrintf("Brightness on Failed.");
    }
    return 1;
}
