#include "HitachSenseController.h"

#include <cstdio>
#include <cstdlib>

namespace {

typedef HitachSenseController C;
typedef ParameterRow<C> P;

const P kOwnRows[] = {
    P::base(17, ISensorController::BASE_TNF_MODE, "setTNFMode"),
};

const long kCameraModeSeconds = 60;

}  // namespace

HitachSenseController::HitachSenseController()
    : HitachImageSettings(7),
      m_nCameraMode(-1),
      m_bThirdGeneration(0),
      m_pCameraModeThread(
          addThread(bind_funcobj(this, &HitachSenseController::threadBody), "CameraModeThread")),
      m_parameters({ParameterList<C>(kOwnRows), hitachImageRows<C>()}, "%s(%d) failed") {
    m_parameters.setRefusalLog(&C::refuse<C>);
    describeParametersBy(&m_parameters);
    m_bPrintDNValue = true;
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 4);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 6, 17);
}

int HitachSenseController::writeParameter(int p_nId, int p_nValue) {
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int HitachSenseController::readParameter(int p_nId, int& p_nValue) {
    return m_parameters.read(*this, p_nId, p_nValue);
}

int HitachSenseController::admits(int p_nId, int p_nValue) {
    return admitted(m_parameters, p_nId, p_nValue);
}

int HitachSenseController::readModuleDetail(const ModuleParameterParser& p_detail) {
    std::string text;
    m_bThirdGeneration = p_detail.getValue("isThridGeneration", text) ? std::atoi(text.c_str()) : 0;
    return 1;
}

int HitachSenseController::startThreads() {
    return HitachImageSettings::startThreads() && startThread(m_pCameraModeThread);
}

// The poll goes first: on a virtual clock a stopped wait passes in full, and
// the minute's wait would carry the poll through another round.
int HitachSenseController::setCameraMode(int p_nMode) {
    if (!HitachImageSettings::setCameraMode(p_nMode)) {
        return 0;
    }
    m_nCameraMode = p_nMode;
    return 1;
}

int HitachSenseController::threadBody() {
    int mode = m_nCameraMode;
    if (mode != -1) {
        setCameraMode(mode);
    }
    OrvaneTime(kCameraModeSeconds, 0).wait();
    return 0;
}

int HitachSenseController::NotifySensorInitComplate() {
    return m_bThirdGeneration == 1 ? HitachImageSettings::NotifySensorInitComplate() : 1;
}

int HitachSenseController::setSensorVideoSystem(int p_nVideoSystem,
                                                const VideoResolution& p_resolution) {
    if (p_nVideoSystem == 2) {
        return 1;
    }
    bool hd = p_resolution.getWidth() == 1280 && p_resolution.getHeight() == 720;
    bool sd = p_resolution.getWidth() == 1280 && p_resolution.getHeight() == 960;
    int system = 0;  // register 1701
    int format = 0;  // register FCC0
    if (p_nVideoSystem == 0 && (hd || sd)) {
        system = 0xFF;
        format = sd ? 0x01 : 0x00;
    } else if (p_nVideoSystem == 1 && hd) {
        system = 0x01;
    } else {
        ErrorPrintf("setSensorVideoSystem is out of range");
        return 0;
    }
    int currentSystem = 0;
    int currentFormat = 0;
    if (!readRegister("1701", currentSystem, "get video system 1 failed") ||
        !readRegister("FCC0", currentFormat, "get video system 2 failed")) {
        return 0;
    }
    if (currentSystem == system && currentFormat == format) {
        return 1;
    }
    std::puts("video system change!");
    if (!write(":W1701", system) || !write(":WFCC0", format) || !sendData(":WFCAC00")) {
        ErrorPrintf("Hitach setSensorVideoSystem failed");
        return 0;
    }
    return 1;
}
