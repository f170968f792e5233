#include "SC110N_CSenseController.h"

#include <cstdio>

namespace {

typedef SC110N_CSenseController C;
typedef ParameterRow<C> P;
typedef IKeelZoomSensorController K;

// A mask operation of the base under a parameter id; the value is not used.
template <int (K::*Operation)()>
int maskOperation(ISensorController&, C& p_controller, int) {
    return (p_controller.*Operation)();
}

// Off, the module's three strengths (FF4B 0-2), and the manual level
// (FF4B 3 with FF4F).
const ParameterMenuEntry kNRModes[] = {
    {0, "off"}, {1, "low"}, {2, "middle"}, {3, "high"}, {4, "manual"}};

const P kOwnRows[] = {
    P::setting(17, "setNRMode", &C::setNRMode, 2)
        .menu("nr-mode", ParameterRole::NOISE_REDUCTION_3D, kNRModes),
    P::setting(18, "setManualNR", &C::setManualNR, 8)
        .range("manual-nr", ParameterRole::NOISE_REDUCTION_3D, 0, 15),
    // The region is sent as its low byte, 0 for none.
    P::setting(19, "setRegion", &C::setRegion, 0).anyValue("mask-region", ParameterRole::NONE),
    P::action(20, "setMask", maskOperation<&K::setMask>, 0).button("mask-set"),
    P::action(22, "showMask", maskOperation<&K::showMask>, 0).button("mask-show"),
    P::action(23, "hideMask", maskOperation<&K::hideMask>, 0).button("mask-hide"),
    P::action(24, "clearMask", maskOperation<&K::clearMask>, 0).button("mask-clear"),
    P::action(25, "clearAllMask", maskOperation<&K::clearAllMask>, 0).button("mask-clear-all"),
    P::action(26, "increaseWidth", maskOperation<&K::increaseWidth>, 0).button("mask-wider"),
    P::action(27, "decreaseWidth", maskOperation<&K::decreaseWidth>, 0).button("mask-narrower"),
    P::action(28, "increaseHight", maskOperation<&K::increaseHight>, 0).button("mask-taller"),
    P::action(29, "decreaseHight", maskOperation<&K::decreaseHight>, 0).button("mask-shorter"),
};

const int kBrightnessId = 1;
const int kCameraModeId = 6;
const int kManualNRId = 18;
const int kGainScale = 32;
const long kVideoChangeSeconds = 20;

}  // namespace

SC110N_CSenseController::SC110N_CSenseController()
    : HitachImageSettings(23),
      m_parameters({ParameterList<C>(kOwnRows), hitachImageRows<C>()}, "%s(%d) failed") {
    m_parameters.setRefusalLog(&C::refuse<C>);
    describeParametersBy(&m_parameters);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 4);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 6, 18);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 19, 20);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 22, 29);
}

int SC110N_CSenseController::writeParameter(int p_nId, int p_nValue) {
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int SC110N_CSenseController::readParameter(int p_nId, int& p_nValue) {
    int found = m_parameters.read(*this, p_nId, p_nValue);
    if (found == 1 && p_nId == kCameraModeId) {
        p_nValue = infraredCameraMode();
    }
    return found;
}

const SC110N_CSenseController::RefusalText* SC110N_CSenseController::refusalText(int p_nId) const {
    static const RefusalText kTexts[] = {
        {17, "p_nNRMode(%d) out of range\n", true},
        {18, "p_nManualNR(%d) out of range\n", true},
    };
    const RefusalText* own = findText(kTexts, p_nId);
    return own != nullptr ? own : HitachImageSettings::refusalText(p_nId);
}

void SC110N_CSenseController::announce(int p_nId, int p_nValue) {
    if (p_nId == kBrightnessId) {
        std::printf("set brightness %d\n", p_nValue);
        return;
    }
    HitachImageSettings::announce(p_nId, p_nValue);
}

int SC110N_CSenseController::admits(int p_nId, int p_nValue) {
    return admitted(m_parameters, p_nId, p_nValue);
}

int SC110N_CSenseController::readModuleDetail(const ModuleParameterParser& p_detail) {
    std::string text;
    if (!p_detail.getValue("GPIO", text)) {
        ErrorPrintf("get GPIO from detail failed");
        return 0;
    }
    GPIOTriple gpio;
    int count = gpio.parse(text);
    if (count != 3) {
        ErrorPrintf("parse GPIO param failed,nRet=%d", count);
        return 0;
    }
    m_gpio = gpio;
    return 1;
}

int SC110N_CSenseController::setBrightness(int p_nBrightness) {
    announce(kBrightnessId, p_nBrightness);
    return HitachImageSettings::setBrightness(p_nBrightness);
}

int SC110N_CSenseController::setNRMode(int p_nMode) {
    if (p_nMode == 0) {
        return sendData(":WFF4A00");
    }
    if (!sendData(":WFF4A01") || !write(":WFF4B", p_nMode - 1)) {
        return 0;
    }
    // The cached level is checked as a write of it would be.
    int level = 0;
    return p_nMode != 4 ||
           (cached(kManualNRId, level) && admits(kManualNRId, level) && setManualNR(level));
}

int SC110N_CSenseController::setManualNR(int p_nLevel) {
    return write(":WFF4F", p_nLevel);
}

int SC110N_CSenseController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    if (p_nVideoSystem != 0 && p_nVideoSystem != 1) {
        ErrorPrintf("setSensorVideoSystem is out of range");
        return 0;
    }
    int target = p_nVideoSystem == 0 ? 0xFF : 0x00;
    int current = 0;
    if (!readRegister("1701", current, "get video system 1 failed")) {
        return 0;
    }
    if (current == target) {
        return 1;
    }
    std::puts("video system change!");
    if (!write(":W1701", target) || !sendData(":WFCAC00")) {
        ErrorPrintf("setSensorVideoSystem failed");
        return 0;
    }
    OrvaneTime(kVideoChangeSeconds, 0).wait();
    return 1;
}

int SC110N_CSenseController::setParameterValue(const char* p_pBytes, int p_nLength) {
    return m_link.sendFrame(p_pBytes, p_nLength);
}

int SC110N_CSenseController::getCurrentGain(int& p_nGain) {
    int value = 0;
    if (!recvData(":RFB380000", 4, value)) {
        ErrorPrintf("recvData @getDNbody failed");
        return 0;
    }
    p_nGain = value / kGainScale;
    return 1;
}
