#include "HitachCompatSenseController.h"

#include <cstdio>

namespace {

typedef HitachCompatSenseController C;
typedef ParameterRow<C> P;

const P kRows[] = {
    P::setting(1, "setBrightness", &C::setBrightness, 50),
    P::setting(2, "setVertSharpness", &C::setVertSharpness, 50),
    P::setting(3, "setSaturation", &C::setSaturation, 49),
    P::setting(4, "setNightColor", &C::setNightColor, 48),
    P::setting(6, "setCameraMode", &C::setCameraMode, 0),  // read: by the infrared mode
    P::setting(7, "setMaxGain", &C::setMaxGain, 112),
    P::setting(9, "setDNSensitivity", &C::setDNSensitivity, 2),
    P::setting(10, "setFixShutter", &C::setFixShutter, 13),
    P::setting(12, "setMirror", &C::setMirror, 0),
    P::setting(13, "setFocusDistance", &C::setFocusDistance, 3),
    P::setting(14, "setFocusMode", &C::setFocusMode, 0),
    P::setting(16, "setHoriSharpness", &C::setHoriSharpness, 50),
    P::setting(17, "setAutoIris", &C::setAutoIris, 1),
    P::setting(18, "setIrisVoltage", &C::setIrisVoltage, 128),
    P::setting(19, "setWBMode", &C::setWBMode, 0),
    P::setting(20, "adjustLens", &C::adjustLens, 0),
    P::base(21, ISensorController::BASE_TNF_MODE, "setTNFMode"),
    P::setting(54, "focusUp", &C::focusUp, 0),
    P::setting(55, "focusDown", &C::focusDown, 0),
};

const int kCameraModeId = 6;
// Modules up to this version report day and night through FFE6.
const int kLastOldVersion = 106;

}  // namespace

HitachCompatSenseController::HitachCompatSenseController()
    : HexTextSenseController(14, 12),
      m_nSensorVersion(0),
      m_parameters({ParameterList<C>(kRows)}, "%s(%d) failed") {
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
    if (!inRange(p_nBrightness, 0, 100, "setBrightness")) {
        return 0;
    }
    return write(":WFD9E", p_nBrightness / 5 + 80);
}

int HitachCompatSenseController::setVertSharpness(int p_nSharpness) {
    if (!inRange(p_nSharpness, 0, 100, "setVertSharpness")) {
        return 0;
    }
    return write(":WFBF9", p_nSharpness * 63 / 100);
}

int HitachCompatSenseController::setSaturation(int p_nSaturation) {
    if (!inRange(p_nSaturation, 0, 100, "setSaturation")) {
        return 0;
    }
    return write(":WFC10", p_nSaturation * 255 / 100);
}

int HitachCompatSenseController::setNightColor(int p_nColor) {
    if (!inRange(p_nColor, 0, 255, "setNightColor")) {
        return 0;
    }
    return write(":WFC11", p_nColor);
}

int HitachCompatSenseController::setMaxGain(int p_nGain) {
    int mode = 0;
    if (!inRange(p_nGain, 0, 160, "setMaxGain", "p_nMaxGain out of range") ||
        !cached(kCameraModeId, mode)) {
        return 0;
    }
    return mode == 2 || mode == 3 ? 1 : write(":WFA20", p_nGain);
}

int HitachCompatSenseController::setFixShutter(int p_nShutter) {
    int mode = 0;
    if (!inRange(p_nShutter, 0, 255, "setFixShutter") || !cached(kCameraModeId, mode)) {
        return 0;
    }
    return mode == 4 ? write(":WFCC9", p_nShutter) : 1;
}

int HitachCompatSenseController::setFocusDistance(int p_nDistance) {
    return sendChoice(p_nDistance, 0, {":WE13900", ":WE139F9", ":WE139F8", ":WE139F7"},
                      "setFocusDistance");
}

int HitachCompatSenseController::setFocusMode(int p_nMode) {
    return sendChoice(p_nMode, 0, {":WFF0E09", ":WFF0E00", ":WFF0E08"}, "setFocusMode");
}

int HitachCompatSenseController::setHoriSharpness(int p_nSharpness) {
    if (!inRange(p_nSharpness, 0, 100, "setHoriSharpness")) {
        return 0;
    }
    return write(":WFBF6", p_nSharpness * 63 / 100);
}

int HitachCompatSenseController::setAutoIris(int p_nAuto) {
    return sendChoice(p_nAuto, 0, {":WFFFB00", ":WFFFB01"}, "setAutoIris");
}

int HitachCompatSenseController::setIrisVoltage(int p_nVoltage) {
    if (!inRange(p_nVoltage, 112, 145, "setIrisVoltage", "p_nIrisVoltage is out of range")) {
        return 0;
    }
    return write(":WFFFD", p_nVoltage);
}

int HitachCompatSenseController::setWBMode(int p_nMode) {
    return sendChoice(p_nMode, 0, {":WFBFF00", ":WFBFF08"}, "setWBMode",
                      "setWBMode is out of range");
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
