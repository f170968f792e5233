#include "HitachCompatSenseController.h"

#include <cstdio>
#include <iterator>

namespace {

typedef HitachCompatSenseController C;
typedef ParameterRow<C> P;

// The lens's near limit, register E139, by focus distance.
const char* const kFocusDistances[] = {":WE13900", ":WE139F9", ":WE139F8", ":WE139F7"};
// Register FF0E by focus mode.
const char* const kFocusModeCommands[] = {":WFF0E09", ":WFF0E00", ":WFF0E08"};
const char* const kAutoIrisCommands[] = {":WFFFB00", ":WFFFB01"};
const char* const kWBModeCommands[] = {":WFBFF00", ":WFBFF08"};

const ParameterMenuEntry kFocusModes[] = {{0, "one-push"}, {1, "auto"}, {2, "manual"}};

const P kRows[] = {
    P::setting(1, "setBrightness", &C::setBrightness, 50)
        .range("brightness", ParameterRole::BRIGHTNESS, 0, 100, ParameterUnit::PERCENT),
    P::setting(2, "setVertSharpness", &C::setVertSharpness, 50)
        .range("vert-sharpness", ParameterRole::SHARPNESS, 0, 100, ParameterUnit::PERCENT),
    P::setting(3, "setSaturation", &C::setSaturation, 49)
        .range("saturation", ParameterRole::SATURATION, 0, 100, ParameterUnit::PERCENT),
    P::setting(4, "setNightColor", &C::setNightColor, 48)
        .range("night-color", ParameterRole::NONE, 0, 255, ParameterUnit::RAW),
    P::setting(6, "setCameraMode", &C::setCameraMode, C::kCameraModeWithoutLamp)
        .menu("camera-mode", ParameterRole::DAY_NIGHT_MODE, kHexTextCameraModes),
    P::setting(7, "setMaxGain", &C::setMaxGain, 112)
        .range("max-gain", ParameterRole::MAX_GAIN, 0, 160, ParameterUnit::RAW),
    P::setting(9, "setDNSensitivity", &C::setDNSensitivity, 2)
        .range("daynight-sensitivity", ParameterRole::NONE, 1, 3),
    // Register FCC9 as it is; camera mode 4 takes only the indexes of
    // getFixShutterValue from here.
    P::setting(10, "setFixShutter", &C::setFixShutter, 13)
        .range("fixed-shutter", ParameterRole::SHUTTER, 0, 255, ParameterUnit::RAW),
    P::setting(12, "setMirror", &C::setMirror, 0)
        .menu("mirror", ParameterRole::MIRROR_FLIP, kMirrorFlipModes),
    P::setting(13, "setFocusDistance", &C::setFocusDistance, 3)
        .range("focus-distance", ParameterRole::NONE, 0,
               static_cast<int>(std::size(kFocusDistances)) - 1, ParameterUnit::STEP),
    P::setting(14, "setFocusMode", &C::setFocusMode, 0)
        .menu("focus-mode", ParameterRole::FOCUS_MODE, kFocusModes),
    P::setting(16, "setHoriSharpness", &C::setHoriSharpness, 50)
        .range("hori-sharpness", ParameterRole::NONE, 0, 100, ParameterUnit::PERCENT),
    P::setting(17, "setAutoIris", &C::setAutoIris, 1).onOff("auto-iris", ParameterRole::IRIS_MODE),
    // The reference level the automatic iris works to.
    P::setting(18, "setIrisVoltage", &C::setIrisVoltage, 128)
        .range("iris-voltage", ParameterRole::IRIS_LEVEL, 112, 145, ParameterUnit::RAW),
    P::setting(19, "setWBMode", &C::setWBMode, 0)
        .menu("wb-mode", ParameterRole::WB_MODE, kAutoManualModes),
    P::setting(20, "adjustLens", &C::adjustLens, 0).button("adjust-lens"),
    P::base(21, ISensorController::BASE_TNF_MODE, "setTNFMode"),
    P::setting(54, "focusUp", &C::focusUp, 0).button("focus-up"),
    P::setting(55, "focusDown", &C::focusDown, 0).button("focus-down"),
};

const int kCameraModeId = 6;
const int kFocusModeId = 14;
// Modules up to this version report day and night through FFE6.
const int kLastOldVersion = 106;

}  // namespace

HitachCompatSenseController::HitachCompatSenseController()
    : HexTextSenseController(14, 12),
      m_nSensorVersion(0),
      m_parameters({ParameterList<C>(kRows)}, "%s(%d) failed") {
    m_parameters.setRefusalLog(&C::refuse<C>);
    describeParametersBy(&m_parameters);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 4);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 6, 7);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 9, 10);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 12, 14);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 16, 19);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 21);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 20);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 54, 55);
}

int HitachCompatSenseController::writeParameter(int p_nId, int p_nValue) {
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int HitachCompatSenseController::readParameter(int p_nId, int& p_nValue) {
    int found = m_parameters.read(*this, p_nId, p_nValue);
    if (found == 1 && p_nId == kCameraModeId) {
        p_nValue = infraredCameraMode();
    }
    return found;
}

const HitachCompatSenseController::RefusalText* HitachCompatSenseController::refusalText(
    int p_nId) const {
    static const RefusalText kTexts[] = {
        {7, "p_nMaxGain out of range", false},
        {18, "p_nIrisVoltage is out of range", false},
        {19, "setWBMode is out of range", false},
    };
    const RefusalText* own = findText(kTexts, p_nId);
    return own != nullptr ? own : HexTextSenseController::refusalText(p_nId);
}

int HitachCompatSenseController::admits(int p_nId, int p_nValue) {
    return admitted(m_parameters, p_nId, p_nValue);
}

void HitachCompatSenseController::prepareModule() {
    if (!recvData(":RE1EE00", 2, m_nSensorVersion)) {
        ErrorPrintf("get SensorConfigVersion failed");
        return;
    }
    std::printf("m_nSensorVersion=%d\n", m_nSensorVersion);
}

int HitachCompatSenseController::getDNbody() {
    if (m_nSensorVersion > kLastOldVersion) {
        return HexTextSenseController::getDNbody();
    }
    if (m_nIsInfrared != 1) {
        // Without a lamp the old modules cannot tell.
        m_nDNState = -1;
        OrvaneTime(1, 0).wait();
        return 0;
    }
    return pollDayNight(":RFFE600", 0x80, 0xC0);
}

int HitachCompatSenseController::setBrightness(int p_nBrightness) {
    return write(":WFD9E", p_nBrightness / 5 + 80);
}

int HitachCompatSenseController::setVertSharpness(int p_nSharpness) {
    return write(":WFBF9", p_nSharpness * 63 / 100);
}

int HitachCompatSenseController::setSaturation(int p_nSaturation) {
    return write(":WFC10", p_nSaturation * 255 / 100);
}

int HitachCompatSenseController::setNightColor(int p_nColor) {
    return write(":WFC11", p_nColor);
}

int HitachCompatSenseController::setMaxGain(int p_nGain) {
    int mode = 0;
    if (!cached(kCameraModeId, mode)) {
        return 0;
    }
    return mode == 2 || mode == 3 ? 1 : write(":WFA20", p_nGain);
}

int HitachCompatSenseController::setFixShutter(int p_nShutter) {
    int mode = 0;
    if (!cached(kCameraModeId, mode)) {
        return 0;
    }
    return mode == 4 ? write(":WFCC9", p_nShutter) : 1;
}

int HitachCompatSenseController::setFocusDistance(int p_nDistance) {
    return sendChoice(p_nDistance, 0, kFocusDistances);
}

int HitachCompatSenseController::setFocusMode(int p_nMode) {
    return admits(kFocusModeId, p_nMode) && sendChoice(p_nMode, 0, kFocusModeCommands);
}

int HitachCompatSenseController::setHoriSharpness(int p_nSharpness) {
    return write(":WFBF6", p_nSharpness * 63 / 100);
}

int HitachCompatSenseController::setAutoIris(int p_nAuto) {
    return sendChoice(p_nAuto, 0, kAutoIrisCommands);
}

int HitachCompatSenseController::setIrisVoltage(int p_nVoltage) {
    return write(":WFFFD", p_nVoltage);
}

int HitachCompatSenseController::setWBMode(int p_nMode) {
    return sendChoice(p_nMode, 0, kWBModeCommands);
}

int HitachCompatSenseController::adjustLens(int) {
    return sendData(":WE139F4");
}

int HitachCompatSenseController::focusUp(int) {
    return sendAll({":WFCBBAA", ":WFCBBFE"});
}

int HitachCompatSenseController::focusDown(int) {
    return sendAll({":WFCBBAA9", ":WFCBBFE"});
}

int HitachCompatSenseController::setSensorVideoSystem(int p_nVideoSystem,
                                                      const VideoResolution& p_resolution) {
    bool hd = p_resolution.getWidth() == 1280 && p_resolution.getHeight() == 720;
    int target = -1;
    if (p_nVideoSystem == 0 && p_resolution.getWidth() == 1280 && p_resolution.getHeight() == 960) {
        target = 0x02;
    } else if (p_nVideoSystem == 0 && hd) {
        target = 0x03;
    } else if (p_nVideoSystem == 1 && hd) {
        target = 0x00;
    } else {
        ErrorPrintf("setSensorVideoSystem is out of range");
        return 0;
    }
    return changeVideoRegister("FFFE", target, 3);
}
