#include "SONYCV7500SenseController.h"

#include <cstdio>

// Frames of this module that the family's command set does not have (hex):
//   stabilizer           81 01 04 34 vv FF
//   defog                81 01 04 37 vv 00 FF
//   visibility enhancer  81 01 04 2D 00 L P K 00 00 00 00 FF
namespace {

typedef ViscaParameter P;
typedef ISensorController I;
typedef ParameterRole R;

template <int (SONYCV7500SenseController::*Setter)(int)>
int own(ISensorController& p_owner, ViscaCommandSet&, int p_nValue) {
    return (static_cast<SONYCV7500SenseController&>(p_owner).*Setter)(p_nValue);
}

const ParameterMenuEntry kBrightCompensations[] = {
    {0, "very-dark"}, {1, "dark"}, {2, "standard"}, {3, "bright"}};
const ParameterMenuEntry kStabilizerModes[] = {{0, "hold"}, {2, "on"}, {3, "off"}};
const ParameterMenuEntry kDefogModes[] = {{2, "on"}, {3, "off"}};

// The module's own settings read as its factory state: the enhancer at its
// middle settings (level 3, standard compensation 2, compensation level 1),
// stabilizer and defog off (3); the point-light ids are actions and read 0.
const ViscaParameter kOwnRows[] = {
    P::absent(22),
    P::absent(38),
    P::action(39, "setCompensLevel", own<&SONYCV7500SenseController::setCompensLevel>, 1)
        .range("compens-level", R::NONE, 0, 2)
        .refusal("p_nSens(%d) is out of range"),
    P::action(40, "setBrightCompens", own<&SONYCV7500SenseController::setBrightCompens>, 2)
        .menu("bright-compens", R::NONE, kBrightCompensations)
        .refusal("p_nBrightCompens(%d) is out of range"),
    P::absent(41),
    P::action(44, "setBrightLevel", own<&SONYCV7500SenseController::setBrightLevel>, 3)
        .range("bright-level", R::NONE, 0, 6)
        .refusal("p_nBrightLevel(%d) is out of range"),
    P::action(52, "IrisUp", ViscaParameters::irisUp, 0).button("iris-up"),
    P::action(53, "IrisDown", ViscaParameters::irisDown, 0).button("iris-down"),
    P::action(54, "FocusUp", ViscaParameters::focusUp, 0).button("focus-up"),
    P::action(55, "FocusDown", ViscaParameters::focusDown, 0).button("focus-down"),
    P::action(56, "setStabilizer", own<&SONYCV7500SenseController::setStabilizer>, 3)
        .menu("stabilizer", R::NONE, kStabilizerModes),
    P::action(57, "setDefog", own<&SONYCV7500SenseController::setDefog>, 3, "setDefog failed")
        .menu("defog", R::DEFOG, kDefogModes)
        .refusal("p_nDefog(%d) is out of range"),
    ViscaParameters::brightness(58),
    ViscaParameters::baseRow(59, I::BASE_NEAR_LIGHT),
    ViscaParameters::baseRow(60, I::BASE_MIDDLE_LIGHT),
    ViscaParameters::baseRow(61, I::BASE_FAR_LIGHT),
    ViscaParameters::baseRow(62, I::BASE_NTD_HOUR),
    ViscaParameters::baseRow(63, I::BASE_NTD_MINUTE),
    ViscaParameters::baseRow(64, I::BASE_DTN_HOUR),
    ViscaParameters::baseRow(65, I::BASE_DTN_MINUTE),
    ViscaParameters::baseRow(66, I::BASE_POWER_MODE),
    P::action(67, "OpenPointLightFocus", own<&SONYCV7500SenseController::OpenPointLightFocus>, 0,
              "setPointLightFocusMode failed")
        .button("point-light-open"),
    P::action(68, "ClosePointLightFocus", own<&SONYCV7500SenseController::ClosePointLightFocus>, 0,
              "confirmPointLightFocusMode failed")
        .button("point-light-close"),
};

const int kExposureMode = 10;
const int kFocusMode = 30;
const int kAFSensitivity = 33;
const int kCompensLevel = 39;
const int kBrightCompens = 40;
const int kBrightLevel = 44;
// Each focus command is given time to take effect before the next one.
const long kStepPauseUs = 30000;

}  // namespace

SONYCV7500SenseController::SONYCV7500SenseController()
    : ViscaSenseController(19, ViscaLink::SINGLE_READ, {kOwnRows}), m_bPointLightFocusOpen(false) {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 8);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 10, 21);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 23, 30);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 32, 34);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 39, 40);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 44, 50);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 56, 66);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 37);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 52, 55);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 67, 68);
}

int SONYCV7500SenseController::IrisUp() {
    return m_commands.IrisUp();
}

int SONYCV7500SenseController::IrisDown() {
    return m_commands.IrisDown();
}

int SONYCV7500SenseController::setStabilizer(int p_nValue) {
    return m_commands.send(0x34, Visca::bytes({p_nValue}));
}

int SONYCV7500SenseController::setDefog(int p_nValue) {
    if (!m_commands.cachedIs(kExposureMode, {0})) {
        return 1;
    }
    return m_commands.send(0x37, Visca::bytes({p_nValue, 0x00}));
}

int SONYCV7500SenseController::sendEnhancer(int p_nBrightLevel, int p_nBrightCompens,
                                            int p_nCompensLevel) {
    return m_commands.send(0x2D, Visca::bytes({0x00, p_nBrightLevel, p_nBrightCompens,
                                               p_nCompensLevel, 0x00, 0x00, 0x00, 0x00}));
}

// Each enhancer value travels with the other two, so a setter sends only
// once the other two are known.
int SONYCV7500SenseController::setBrightLevel(int p_nValue) {
    int compens = 0;
    int level = 0;
    if (!m_commands.cached(kBrightCompens, compens) || !m_commands.cached(kCompensLevel, level)) {
        return 1;
    }
    return sendEnhancer(p_nValue, compens, level);
}

int SONYCV7500SenseController::setBrightCompens(int p_nValue) {
    int bright = 0;
    int level = 0;
    if (!m_commands.cached(kBrightLevel, bright) || !m_commands.cached(kCompensLevel, level)) {
        return 1;
    }
    return sendEnhancer(bright, p_nValue, level);
}

int SONYCV7500SenseController::setCompensLevel(int p_nValue) {
    int bright = 0;
    int compens = 0;
    if (!m_commands.cached(kBrightLevel, bright) || !m_commands.cached(kBrightCompens, compens)) {
        return 1;
    }
    return sendEnhancer(bright, compens, p_nValue);
}

// Point lights (street lamps, headlights) at night make contrast autofocus
// hunt. Opening the mode lowers the AF sensitivity, holds focus in manual and
// lets one push focus once on the scene as it stands. The flag goes up with
// the first command that lands, so a close after a half-done open still puts
// the focus back.
int SONYCV7500SenseController::OpenPointLightFocus(int) {
    static const int kSteps[][2] = {{0x58, 0x03}, {0x38, 0x03}, {0x18, 0x01}};
    if (m_bPointLightFocusOpen) {
        return 1;
    }
    for (const auto& step : kSteps) {
        if (!m_commands.send(step[0], Visca::bytes({step[1]}))) {
            return 0;
        }
        m_bPointLightFocusOpen = true;
        OrvaneTime(0, kStepPauseUs).wait();
    }
    return 1;
}

// Closing puts back the AF sensitivity and the focus mode the host chose
// (normal and auto when it never chose).
int SONYCV7500SenseController::ClosePointLightFocus(int) {
    if (!m_bPointLightFocusOpen) {
        return 1;
    }
    int sensitivity = 1;
    int mode = 1;
    m_commands.cached(kAFSensitivity, sensitivity);
    m_commands.cached(kFocusMode, mode);
    if (!m_commands.send(0x58, Visca::bytes({sensitivity == 2 ? 0x03 : 0x02}))) {
        return 0;
    }
    OrvaneTime(0, kStepPauseUs).wait();
    if (!m_commands.setFocusMode(mode, m_nFocusMode)) {
        return 0;
    }
    OrvaneTime(0, kStepPauseUs).wait();
    m_bPointLightFocusOpen = false;
    return 1;
}

int SONYCV7500SenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("__CV7500SenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    std::string device;
    if (!readModuleConfig(p_config, "get RS232Parameter from senseParameter failed", detail,
                          device) ||
        !openPort(device)) {
        return 0;
    }
    clearUartBuffer();
    return 1;
}
