#include "CMD7200SenseController.h"

#include <cstdio>
#include <iterator>

namespace {

typedef CMD7200SenseController C;
typedef ParameterRow<C> P;

// Shutter codes of the fixed-shutter indexes.
const int kShutterCodes[] = {2, 7, 6, 9, 8, 10, 12, 13, 14, 15, 16};

// Register FF0E by focus mode.
const char* const kFocusModeCommands[] = {":WFF0E00", ":WFF0E08", ":WFF0E09"};
// The lens's near limit, register E139, from focus limit 1 on.
const char* const kFocusLimits[] = {":WE13900", ":WE139F9", ":WE139F8", ":WE139F7", ":WE139F4"};
// Register FBFF by white balance mode.
const char* const kWBModeCommands[] = {":WFBFF00", ":WFBFF08"};

// Night and day hold the picture (FFE6 80 and C0); the module's own
// switching leaves it free.
const ParameterMenuEntry kDNModes[] = {{0, "night"}, {1, "day"}, {2, "module"}};
const ParameterMenuEntry kShutterModes[] = {{0, "auto"}, {1, "fixed"}};
const ParameterMenuEntry kFocusModes[] = {{0, "auto"}, {1, "manual"}, {2, "one-push"}};

const P kRows[] = {
    P::setting(1, "setBrightness", &C::setBrightness, 15)
        .range("brightness", ParameterRole::BRIGHTNESS, 0, 100, ParameterUnit::PERCENT),
    P::setting(2, "setSharpness", &C::setSharpness, 76)
        .range("sharpness", ParameterRole::SHARPNESS, 0, 100, ParameterUnit::PERCENT),
    P::setting(3, "setMirror", &C::setMirror, 0)
        .menu("mirror", ParameterRole::MIRROR_FLIP, kMirrorFlipModes),
    P::setting(4, "setDNMode", &C::setDNMode, 0)
        .menu("daynight-mode", ParameterRole::DAY_NIGHT_MODE, kDNModes),
    P::setting(5, "setShutterMode", &C::setShutterMode, 0)
        .menu("shutter-mode", ParameterRole::EXPOSURE_MODE, kShutterModes),
    P::setting(6, "setFixShutter", &C::setFixShutter, 1)
        .range("fixed-shutter", ParameterRole::SHUTTER, 0,
               static_cast<int>(std::size(kShutterCodes)) - 1, ParameterUnit::STEP),
    P::setting(7, "setFocusMode", &C::setFocusMode, 0)
        .menu("focus-mode", ParameterRole::FOCUS_MODE, kFocusModes),
    P::setting(8, "setFocusLimit", &C::setFocusLimit, 1)
        .range("focus-limit", ParameterRole::NONE, 1, static_cast<int>(std::size(kFocusLimits)),
               ParameterUnit::STEP),
    P::setting(9, "setWBMode", &C::setWBMode, 0)
        .menu("wb-mode", ParameterRole::WB_MODE, kAutoManualModes),
    P::base(10, ISensorController::BASE_TNF_MODE, "setTNFMode"),
};

const int kShutterModeId = 5;
const int kFixShutterId = 6;
const int kFocusModeId = 7;

}  // namespace

CMD7200SenseController::CMD7200SenseController()
    : HexTextSenseController(22, 3),
      m_bDNFlag(0),
      m_nShutterMode(0),
      m_parameters({ParameterList<C>(kRows)}, "%s(%d) failed") {
    m_parameters.setRefusalLog(&C::refuse<C>);
    describeParametersBy(&m_parameters);
    m_szDNFailure = "recvData 1@getDNbody failed";
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 10);
}

int CMD7200SenseController::writeParameter(int p_nId, int p_nValue) {
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int CMD7200SenseController::readParameter(int p_nId, int& p_nValue) {
    return m_parameters.read(*this, p_nId, p_nValue);
}

const CMD7200SenseController::RefusalText* CMD7200SenseController::refusalText(int p_nId) const {
    static const RefusalText kTexts[] = {
        {4, "setDNMode is out of range", false},  {5, "setShutterMode out of range", false},
        {6, "setFixShutter out of range", false}, {8, "setFocusLimit is out of range", false},
        {9, "setWBMode is out of range\n", true},
    };
    const RefusalText* own = findText(kTexts, p_nId);
    return own != nullptr ? own : HexTextSenseController::refusalText(p_nId);
}

int CMD7200SenseController::admits(int p_nId, int p_nValue) {
    return admitted(m_parameters, p_nId, p_nValue);
}

int CMD7200SenseController::setBrightness(int p_nBrightness) {
    return write(":WFD9E", p_nBrightness * 255 / 100);
}

int CMD7200SenseController::setSharpness(int p_nSharpness) {
    return write(":WFBF6", p_nSharpness * 63 / 100);
}

// FCC8 carries both choices: 08/09 a held picture with automatic/fixed
// shutter, 20/0A the module's own day/night with automatic/fixed shutter.
int CMD7200SenseController::setDNMode(int p_nMode) {
    bool fixedShutter = m_nShutterMode != 0;
    if (p_nMode == 2) {
        if (!sendData(fixedShutter ? ":WFCC80A" : ":WFCC820")) {
            return 0;
        }
        m_bDNFlag = 0;
        return 1;
    }
    if (!sendData(fixedShutter ? ":WFCC809" : ":WFCC808") ||
        !sendData(p_nMode == 0 ? ":WFFE680" : ":WFFE6C0")) {
        return 0;
    }
    m_bDNFlag = 1;
    return 1;
}

int CMD7200SenseController::setShutterMode(int p_nMode) {
    bool held = m_bDNFlag != 0;
    if (p_nMode == 0) {
        if (!sendData(held ? ":WFCC808" : ":WFCC820")) {
            return 0;
        }
        m_nShutterMode = 0;
        return 1;
    }
    if (!sendData(held ? ":WFCC809" : ":WFCC80A")) {
        return 0;
    }
    m_nShutterMode = 1;
    int index = 0;
    return cached(kFixShutterId, index) && writeFixShutter(index);
}

// The index may come from the cache (a shutter mode that turns fixed), so
// it is checked as a write of the fixed shutter would be.
int CMD7200SenseController::writeFixShutter(int p_nIndex) {
    if (!admits(kFixShutterId, p_nIndex)) {
        return 0;
    }
    const int* code = pick(kShutterCodes, p_nIndex);
    return code != nullptr && write(":WFCC9", *code);
}

int CMD7200SenseController::setFixShutter(int p_nIndex) {
    int mode = 0;
    if (!cached(kShutterModeId, mode)) {
        return 0;
    }
    return mode == 1 ? writeFixShutter(p_nIndex) : 1;
}

int CMD7200SenseController::setFocusMode(int p_nMode) {
    return admits(kFocusModeId, p_nMode) && sendChoice(p_nMode, 0, kFocusModeCommands);
}

int CMD7200SenseController::setFocusLimit(int p_nLimit) {
    return sendChoice(p_nLimit, 1, kFocusLimits);
}

int CMD7200SenseController::setWBMode(int p_nMode) {
    return sendChoice(p_nMode, 0, kWBModeCommands);
}

int CMD7200SenseController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    if (p_nVideoSystem != 0 && p_nVideoSystem != 1) {
        ErrorPrintf("setSensorVideoSystem is out of range");
        return 0;
    }
    return changeVideoRegister("FFFE", p_nVideoSystem == 1 ? 0x01 : 0x03, 5);
}
