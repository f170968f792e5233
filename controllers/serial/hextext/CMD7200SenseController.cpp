#include "CMD7200SenseController.h"

#include <cstdio>

namespace {

typedef CMD7200SenseController C;
typedef ParameterRow<C> P;

const P kRows[] = {
    P::setting(1, "setBrightness", &C::setBrightness, 15),
    P::setting(2, "setSharpness", &C::setSharpness, 76),
    P::setting(3, "setMirror", &C::setMirror, 0),
    P::setting(4, "setDNMode", &C::setDNMode, 0),
    P::setting(5, "setShutterMode", &C::setShutterMode, 0),
    P::setting(6, "setFixShutter", &C::setFixShutter, 1),
    P::setting(7, "setFocusMode", &C::setFocusMode, 0),
    P::setting(8, "setFocusLimit", &C::setFocusLimit, 1),
    P::setting(9, "setWBMode", &C::setWBMode, 0),
    P::base(10, ISensorController::BASE_TNF_MODE, "setTNFMode"),
};

const int kShutterModeId = 5;
const int kFixShutterId = 6;
// Shutter codes of the fixed-shutter indexes 0..10.
const int kShutterCodes[] = {2, 7, 6, 9, 8, 10, 12, 13, 14, 15, 16};

}  // namespace

CMD7200SenseController::CMD7200SenseController()
    : HexTextSenseController(22, 3),
      m_bDNFlag(0),
      m_nShutterMode(0),
      m_parameters({ParameterList<C>(kRows)}, "%s(%d) failed") {
    m_szDNFailure = "recvData 1@getDNbody failed";
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 10);
}

int CMD7200SenseController::writeParameter(int p_nId, int p_nValue) {
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int CMD7200SenseController::readParameter(int p_nId, int& p_nValue) {
    return m_parameters.read(*this, p_nId, p_nValue);
}

int CMD7200SenseController::setBrightness(int p_nBrightness) {
    if (!inRange(p_nBrightness, 0, 100, "setBrightness")) {
        return 0;
    }
    return write(":WFD9E", p_nBrightness * 255 / 100);
}

int CMD7200SenseController::setSharpness(int p_nSharpness) {
    if (!inRange(p_nSharpness, 0, 100, "setSharpness")) {
        return 0;
    }
    return write(":WFBF6", p_nSharpness * 63 / 100);
}

// FCC8 carries both choices: 08/09 a held picture with automatic/fixed
// shutter, 20/0A the module's own day/night with automatic/fixed shutter.
int CMD7200SenseController::setDNMode(int p_nMode) {
    if (!inRange(p_nMode, 0, 2, "setDNMode", "setDNMode is out of range")) {
        return 0;
    }
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
    if (!inRange(p_nMode, 0, 1, "setShutterMode", "setShutterMode out of range")) {
        return 0;
    }
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

int CMD7200SenseController::writeFixShutter(int p_nIndex) {
    if (!inRange(p_nIndex, 0, 10, "setFixShutter", "setFixShutter out of range")) {
        return 0;
    }
    return write(":WFCC9", kShutterCodes[p_nIndex]);
}

int CMD7200SenseController::setFixShutter(int p_nIndex) {
    int mode = 0;
    if (!inRange(p_nIndex, 0, 10, "setFixShutter", "setFixShutter out of range") ||
        !cached(kShutterModeId, mode)) {
        return 0;
    }
    return mode == 1 ? writeFixShutter(p_nIndex) : 1;
}

int CMD7200SenseController::setFocusMode(int p_nMode) {
    return sendChoice(p_nMode, 0, {":WFF0E00", ":WFF0E08", ":WFF0E09"}, "setFocusMode");
}

int CMD7200SenseController::setFocusLimit(int p_nLimit) {
    return sendChoice(p_nLimit, 1, {":WE13900", ":WE139F9", ":WE139F8", ":WE139F7", ":WE139F4"},
                      "setFocusLimit", "setFocusLimit is out of range");
}

int CMD7200SenseController::setWBMode(int p_nMode) {
    return sendChoice(p_nMode, 0, {":WFBFF00", ":WFBFF08"}, "setWBMode",
                      "setWBMode is out of range\n", true);
}

int CMD7200SenseController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    if (p_nVideoSystem != 0 && p_nVideoSystem != 1) {
        ErrorPrintf("setSensorVideoSystem is out of range");
        return 0;
    }
    return changeVideoRegister("FFFE", p_nVideoSystem == 1 ? 0x01 : 0x03, 5);
}
