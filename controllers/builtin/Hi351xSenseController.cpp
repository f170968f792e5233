#include "Hi351xSenseController.h"

#include <fcntl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../../platform/Devices.h"
#include "../../platform/ModuleParameterParser.h"
#include "../../platform/Shell.h"

namespace {

// ISP codes outside the parameter table.
const int kCodePicture = 15;  // 1 colour, 2 night picture
const int kCodeVideoStandard = 2049;
const int kCodeLightLevel = 4102;
const int kCodeNightSwitchDone = 4106;
const int kCodeMirror = 1567;
const int kCodeMirrorGet = 1568;
const int kCodeBeAway = 1569;
const int kCodeBeAwayGet = 1570;
const int kCodeDTNThresholdGet = 18;
const int kCodeNTDThresholdGet = 20;
const int kCodeSmartInfrared = 39;
const int kCodeSmartInfraredGet = 40;
const int kCodeInfraredManual = 41;
const int kCodeInfraredManualGet = 42;

const int kCodePictureAction = 1575;

const int kInfraredDTNThreshold = 70;
const int kInfraredNTDThreshold = 30;
const int kCompensationFloor = -60;

// "/dev/adc" requests; the request block is three u32 words: enable flag,
// 0, conversion result.
const unsigned long kAdcEnable = 0xC00C4100ul;
const unsigned long kAdcRead = 0xC00C4101ul;
// "/dev/pwm" request 1: channel (u8, 3 bytes padding), duty (u32), period
// (u32), enable (u8, 3 bytes padding).
const unsigned long kPwmConfigure = 1;
const unsigned int kPwmPeriod = 1000;

struct PwmRequest {
    uint8_t channel;
    uint8_t padding1[3];
    uint32_t duty;
    uint32_t period;
    uint8_t enable;
    uint8_t padding2[3];
};
static_assert(sizeof(PwmRequest) == 16, "the PWM request is 16 bytes");

// Parameters 1-47. Most go straight to one ISP set code and one get code;
// the rest have behaviour of their own. A row's descriptor is its check: a
// refused value is logged with the row's own text, or as IsAppointRange
// logs it. Factory values are what the ISP reports after a start.
//
// The thresholds (12/13, 32/33) and the smart-infrared pair (35/36) are
// checked by their setters, and only in the infrared mode they apply to;
// in the other modes the ISP takes any value as a no-op. Their descriptors
// say what the values mean.
typedef Hi351xSenseController H;
typedef ParameterRow<H> P;

typedef ParameterRole R;
typedef ParameterUnit U;

const ParameterMenuEntry kDayNightModes[] = {
    {0, "auto"}, {1, "day"}, {2, "night"}, {3, "schedule"}};

const P kParameters[] = {
    P::device(1, "setBrightness", 13, "setBrightness failed", "getBrightness", 14,
              "getBrightness failed ")
        .range("brightness", R::BRIGHTNESS, 0, 100, U::PERCENT)
        .factory(50),
    P::device(2, "setSaturation", 1537, "setSaturation failed", "getSaturation", 1538,
              "getSaturation failed ")
        .range("saturation", R::SATURATION, 0, 100, U::PERCENT)
        .factory(50),
    P::device(3, "setContrast", 1541, "setContrast failed", "getContrast", 1542,
              "getContrast failed ")
        .range("contrast", R::CONTRAST, 0, 100, U::PERCENT)
        .factory(50),
    P::device(4, "setSharpness", 1539, "setSharpness failed ", "getSharpness", 1540,
              "getSharpness failed ")
        .range("sharpness", R::SHARPNESS, 0, 100, U::PERCENT)
        .factory(50),
    P::device(5, "setShutterMode", 1, "setShutterMode failed ", "getShutterMode", 2,
              "getShutterMode failed ")
        .menu("shutter-mode", R::EXPOSURE_MODE, kAutoManualModes)
        .refusal("p_nShutterMode(%d) out of range"),
    P::device(6, "setMaxShutter", 3, "setMaxShutter failed ", "getMaxShutter", 4,
              "getMaxShutter failed ")
        .range("max-shutter", R::MAX_SHUTTER, 0, 16, U::STEP)
        .factory(16)
        .refusal("p_nMaxShutter(%d) out of range"),
    P::device(7, "setFixShutter", 5, "setFixShutter failed ", "getFixShutter", 6,
              "getFixShutter failed ")
        .range("fix-shutter", R::SHUTTER, 0, 18, U::STEP)
        .refusal("p_nFixShutter(%d) out of range"),
    P::device(8, "setGainMode", 7, "setGainMode failed ", "getGainMode", 8, "getGainMode failed ")
        .menu("gain-mode", R::NONE, kAutoManualModes)
        .refusal("p_nGainMode(%d) out of range"),
    P::device(9, "setMaxGain", 9, "setMaxGain failed ", "getMaxGain", 10, "getMaxGain failed ")
        .range("max-gain", R::MAX_GAIN, 0, 100, U::GAIN_STEP)
        .factory(60),
    P::device(10, "setFixGain", 11, "setFixGain failed ", "getFixGain", 12, "getFixGain failed ")
        .range("fix-gain", R::GAIN, 0, 100, U::GAIN_STEP),
    P::device(14, "setIrisMode", 25, "setIrisMode failed ", "getIrisMode", 26,
              "getIrisMode failed ")
        .menu("iris-mode", R::IRIS_MODE, kAutoManualModes)
        .refusal("p_nIrisMode(%d) out of range"),
    P::device(15, "setIrisSpeed", 27, "setIrisSpeed failed ", "getIrisSpeed", 28,
              "getIrisSpeed failed ")
        .range("iris-speed", R::NONE, 0, 100, U::PERCENT)
        .factory(50),
    // The scene, photometry, noise-reduction and compensation modes are ISP
    // codes with no names known here: plain ranges.
    P::device(16, "setRoomInnerOrOutMode", 1543, "setRoomInnerOrOutMode failed ",
              "getRoomIntOrOutMode", 1544, "getRoomIntOrOutMode failed ")
        .range("room-mode", R::NONE, 0, 2)
        .refusal("p_nRoomIntOrOutMode(%d) out of range"),
    P::device(17, "setWDRMode", 1561, "setWDRMode failed ", "getWDRMode", 1562,
              "getWDRMode failed ")
        .onOff("wdr-mode", R::WDR_MODE)
        .refusal("p_nWDRMode(%d) out of range"),
    P::device(18, "setWDRContrast", 1563, "setWDRContrast failed ", "getWDRContrast", 1564,
              "getWDRContrast failed ")
        .range("wdr-contrast", R::WDR_LEVEL, 0, 100, U::PERCENT)
        .factory(50),
    P::device(19, "setPhotometry", 23, "setPhotometry failed ", "getPhotometry", 24,
              "getPhotometry failed ")
        .range("photometry", R::NONE, 0, 3)
        .refusal("p_nPhotometry(%d) out of range"),
    P::device(22, "setNR2DMode", 1545, "setNR2DMode failed ", "getNR2DMode", 1546,
              "getNR2DMode failed ")
        .range("nr2d-mode", R::NOISE_REDUCTION_2D, 0, 2)
        .refusal("p_nNR2DMode(%d) out of range"),
    P::device(23, "setNR2DMaxContrast", 1547, "setNR2DMaxContrast failed ", "getNR2DMaxContrast",
              1548, "getNR2DMaxContrast failed ")
        .range("nr2d-max-contrast", R::NONE, 0, 100, U::PERCENT)
        .factory(50),
    P::device(24, "setNR2DFixContrast", 1549, "setNR2DFixContrast failed ", "getNR2DFixContrast",
              1550, "getNR2DFixContrast failed ")
        .range("nr2d-fix-contrast", R::NONE, 0, 100, U::PERCENT)
        .factory(50),
    P::device(25, "setNR3DMode", 1551, "setNR3DMode failed ", "getNR3DMode", 1552,
              "getNR3DMode failed ")
        .range("nr3d-mode", R::NOISE_REDUCTION_3D, 0, 2)
        .refusal("p_nNR3DMode(%d) out of range"),
    P::device(26, "setNR3DMaxContrast", 1557, "setNR3DMaxContrast failed ", "getNR3DMaxContrast",
              1558, "getNR3MaxContrast failed ")
        .range("nr3d-max-contrast", R::NONE, 0, 100, U::PERCENT)
        .factory(50),
    P::device(27, "setNR3DFixContrast", 1559, "setNR3DFixContrast failed ", "getNR3DFixContrast",
              1560, "getNR3DFixContrast failed ")
        .range("nr3d-fix-contrast", R::NONE, 0, 100, U::PERCENT)
        .factory(50),
    P::device(37, "setHLCMode", 29, "setHLCMode failed ", "getHLCMode", 30, "getHLCMode failed ")
        .onOff("hlc-mode", R::HIGHLIGHT_COMPENSATION)
        .refusal("p_nHLCMode(%d) out of range"),
    P::device(38, "setHLCContrast", 31, "setHLCContrast failed ", "getHLCContrast", 32,
              "getHLCContrast failed ")
        .range("hlc-contrast", R::NONE, 0, 100, U::PERCENT)
        .factory(50),
    P::device(39, "setBLCMode", 33, "setBLCMode failed ", "getBLCMode", 34, "getBLCMode failed ")
        .anyValue("blc-mode", R::BACKLIGHT_COMPENSATION),
    P::device(40, "setAntiFogMode", 1571, "setAntiFogMode failed ", "getAntiFogMode", 1572,
              "getAntiFogMode failed ")
        .range("antifog-mode", R::DEFOG, 0, 100),
    P::device(41, "setAntiFogValue", 1573, "setAntiFogValue failed ", "getAntiFogValue", 1574,
              "getAntiFogValue failed ")
        .range("antifog-value", R::NONE, 0, 100, U::PERCENT)
        .factory(50),
    P::device(42, "setBHLCMode", 37, "setBHLCMode failed ", "getBHLCMode", 38,
              "getBHLCMode failed ")
        .range("bhlc-mode", R::NONE, 0, 3)
        .refusal("p_nBHLCMode(%d) out of range"),
    P::device(47, "setPictureControlValue", 1577, "setPictureControlValue failed ",
              "getPictureControlValue", 1578, "getPictureControlValue failed!")
        .anyValue("picture-value", R::NONE, U::RAW),
    P::readWrite(11, "setDayNightMode", &H::setDayNightMode, &H::getDayNightMode,
                 "setDayNightMode failed ", "getDayNightMode failed ")
        .menu("daynight-mode", R::DAY_NIGHT_MODE, kDayNightModes)
        .unchecked(),
    P::readWrite(12, "setDTNThreshold", &H::setDTNThreshold, &H::readDTNThreshold,
                 "setDTNThreshold failed ", "DayToNightThreshold failed ")
        .range("dtn-threshold", R::DTN_THRESHOLD, 0, 100)
        .unchecked()
        .factory(60),
    P::readWrite(13, "setNTDThreshold", &H::setNTDThreshold, &H::readNTDThreshold,
                 "setNTDThreshold failed ", "NightToDayThreshold failed ")
        .range("ntd-threshold", R::NTD_THRESHOLD, 0, 100)
        .unchecked()
        .factory(30),
    // The picture as the viewer sees it; be-away mode swaps 1 and 2 on the ISP.
    P::readWrite(20, "setMirror", &H::setMirror, &H::getMirror, "setMirror failed ",
                 "getMirror failed ")
        .menu("mirror", R::MIRROR_FLIP, kMirrorFlipModes)
        .refusal("p_nMirror(%d) out of range"),
    P::readWrite(21, "setBeAwayMode", &H::setBeAwayMode, &H::getBeAwayMode, "setBeAwayMode failed",
                 "getBeAwayMode failed")
        .onOff("be-away")
        .refusal("setBeAwayMode(%d) out of range"),
    // The base takes any value for its day/night settings.
    P::base(28, ISensorController::BASE_DTN_HOUR, "setDTNTime_H", "setDTNTime_H failed ",
            "getDTNTime_H failed"),
    P::base(29, ISensorController::BASE_DTN_MINUTE, "setDTNTime_M", "setDTNTime_M failed ",
            "getDTNTime_M failed"),
    P::base(30, ISensorController::BASE_NTD_HOUR, "setNTDTime_H", "setNTDTime_H failed ",
            "getNTDTime_H failed"),
    P::base(31, ISensorController::BASE_NTD_MINUTE, "setNTDTime_M", "setNTDTime_M failed ",
            "getNTDTime_M failed"),
    P::readWrite(32, "setInfraredDTNThreshold", &H::setInfraredDTNThreshold,
                 &H::getInfraredDTNThreshold, "setInfraredDTNThreshold failed ")
        .range("ir-dtn-threshold", R::DTN_THRESHOLD, 0, 100)
        .unchecked()
        .factory(70),
    P::readWrite(33, "setInfraredNTDThreshold", &H::setInfraredNTDThreshold,
                 &H::getInfraredNTDThreshold, "setInfraredNTDThreshold failed ")
        .range("ir-ntd-threshold", R::NTD_THRESHOLD, 0, 100)
        .unchecked()
        .factory(30),
    P::base(34, ISensorController::BASE_DN_SWITCH_DELAY, "setDNSwitchDelay",
            "setDNSwitchDelay failed ", "getDNSwitchDelay failed "),
    // Mode 2 lights the LEDs at the manual value of id 36.
    P::readWrite(35, "setSmartInfraredMode", &H::setSmartInfraredMode, &H::getSmartInfraredMode,
                 "setSmartInfraredMode failed ", "getSmartInfraredMode failed ")
        .range("smart-ir-mode", R::IR_LED_MODE, 0, 3)
        .unchecked(),
    P::readWrite(36, "setInfraredManualValue", &H::setInfraredManualValue,
                 &H::getInfraredManualValue, "setInfraredManualValue failed ",
                 "getInfraredManualValue failed ")
        .range("ir-manual-value", R::IR_LED_LEVEL, 0, 100, U::PERCENT)
        .unchecked(),
    // One picture-control action each, the value as given; nothing to read.
    P::device(43, "setPictureControlAction", kCodePictureAction, "setPictureControlAction failed ",
              nullptr, 0, nullptr)
        .button("picture-action-1"),
    P::device(44, "setPictureControlAction", kCodePictureAction, "setPictureControlAction failed ",
              nullptr, 0, nullptr)
        .button("picture-action-2"),
    P::device(45, "setPictureControlAction", kCodePictureAction, "setPictureControlAction failed ",
              nullptr, 0, nullptr)
        .button("picture-action-3"),
    P::device(46, "setPictureControlAction", kCodePictureAction, "setPictureControlAction failed ",
              nullptr, 0, nullptr)
        .button("picture-action-4"),
};

int levelOfRaw(int p_nRaw) {
    return static_cast<int>(std::trunc(98.0 - 0.32 * p_nRaw));
}

// Mirror 1 and 2 trade places while be-away mode is on.
int swapMirror(int p_nMirror) {
    return p_nMirror == 1 ? 2 : p_nMirror == 2 ? 1 : p_nMirror;
}

}  // namespace

Hi351xSenseController::Hi351xSenseController()
    : ISensorController(60),
      m_nDTNThreshold(0),
      m_nNTDThreshold(0),
      m_nLastDNStatus(1),
      m_nIrCompensationRaw(0),
      m_nIrCompensation(0),
      m_bNeedIrCompensation(true),
      m_nSavedSmartInfraredMode(-1),
      m_nSavedInfraredManualValue(0),
      m_nPWMFd(-1),
      m_parameters({kParameters}) {
    m_parameters.setDevice(&Hi351xSenseController::writeIsp, &Hi351xSenseController::readIsp);
    m_parameters.setRefusalLog(&Hi351xSenseController::refuseIsp);
    describeParametersBy(&m_parameters);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 42);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 47, 47);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 43, 46);
    setSensorConfigVersion(3);
    setSensorConfigVersion2(3);
}

Hi351xSenseController::~Hi351xSenseController() {
    if (m_nPWMFd > 0) {
        ovdev_close(m_nPWMFd);
    }
}

int Hi351xSenseController::CheckOVEWFIResult(int p_nResult, const char* p_szOperation,
                                             int p_nLine) {
    switch (p_nResult) {
        case OVEWFI_NOT_SUPPORTED:
            ErrorPrintf("%s   %d unsupport! errcode:0x%x\n", p_szOperation, p_nLine, p_nResult);
            return 1;
        case OVEWFI_INVALID_PARAMETER:
            ErrorPrintf("%s  %d params are invalid! errcode:0x%x\n", p_szOperation, p_nLine,
                        p_nResult);
            return 0;
        case OVEWFI_FAILED:
            ErrorPrintf("%s  %dparams are fail! errcode:0x%x\n", p_szOperation, p_nLine, p_nResult);
            return 0;
        default:
            return 1;
    }
}

int Hi351xSenseController::IsAppointRange(int p_nValue, const char* p_szOperation, int p_nLine) {
    if (static_cast<unsigned int>(p_nValue) <= 100u) {
        return 1;
    }
    ErrorPrintf("%s   %d IsAppointRange(%d) out of range", p_szOperation, p_nLine, p_nValue);
    return 0;
}

// The number in the ISP's failure lines is the parameter id, or the ISP code
// for calls outside the parameters: stable, where a source line would move
// with every edit.
int Hi351xSenseController::ispCall(int p_nCode, int& p_nValue, const char* p_szOperation,
                                   int p_nLine) {
    return CheckOVEWFIResult(OvEwfi_Api_Ioctrl(p_nCode, &p_nValue), p_szOperation, p_nLine);
}

int Hi351xSenseController::updateSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    if (p_nVideoSystem != 0 && p_nVideoSystem != 1) {
        ErrorPrintf("not PAL or NTSC param!");
        return 0;
    }
    int value = p_nVideoSystem;
    return ispCall(kCodeVideoStandard, value, "updateSensorVideoSystem", kCodeVideoStandard);
}

int Hi351xSenseController::setSensorVideoSystem(int p_nVideoSystem,
                                                const VideoResolution& p_resolution) {
    int result = updateSensorVideoSystem(p_nVideoSystem, p_resolution);
    OrvaneTime(3, 0).wait();  // the sensor restarts its timing
    return result;
}

int Hi351xSenseController::getMirrorValue(int&) {
    return 1;
}

int Hi351xSenseController::initFactorySetting() {
    return 1;
}

int Hi351xSenseController::setMirror(int p_nMirror) {
    int beAway = 0;
    ispCall(kCodeBeAwayGet, beAway, "getBeAwayMode", 21);
    int value = beAway == 1 ? swapMirror(p_nMirror) : p_nMirror;
    return ispCall(kCodeMirror, value, "setMirror", 20);
}

int Hi351xSenseController::setBeAwayMode(int p_nBeAway) {
    int mirror = 0;
    int beAway = 0;
    ispCall(kCodeMirrorGet, mirror, "getMirror", 20);
    ispCall(kCodeBeAwayGet, beAway, "getBeAwayMode", 21);
    // The ISP flips the picture differently in be-away mode, so the stored
    // mirror is re-sent around the change to keep what the viewer sees.
    bool restore = mirror != 0 && beAway != p_nBeAway;
    int restored = p_nBeAway == 0 ? swapMirror(mirror) : mirror;
    if (restore) {
        setMirror(0);
    }
    int value = p_nBeAway;
    int result = ispCall(kCodeBeAway, value, "setBeAwayMode", 21);
    if (restore) {
        resendMirror(restored);
    }
    return result;
}

// The mirror put back after a be-away change is what the ISP reported, so
// it is checked as a host's value would be: a stray one is not sent.
int Hi351xSenseController::resendMirror(int p_nMirror) {
    const Row* row = m_parameters.find(20);
    if (!row->takes(p_nMirror)) {
        ErrorPrintf(row->szRange, p_nMirror);
        return 0;
    }
    return setMirror(p_nMirror);
}

int Hi351xSenseController::setThreshold(int p_nValue, bool p_bDayToNight, bool p_bInfrared) {
    // Each pair applies only to its infrared configuration.
    if (p_bInfrared != (m_nIsInfrared != 0)) {
        return 1;
    }
    int partnerId = p_bInfrared ? (p_bDayToNight ? 33 : 32) : (p_bDayToNight ? 13 : 12);
    int ownId = p_bInfrared ? (p_bDayToNight ? 32 : 33) : (p_bDayToNight ? 12 : 13);
    if (!inDescribedRange(ownId, p_nValue)) {
        refuseIsp(*m_parameters.find(ownId), p_nValue);
        return 0;
    }
    int partner = 0;
    if (getParameter(partnerId, partner)) {
        if (p_bDayToNight && p_nValue <= partner) {
            if (p_bInfrared) {
                ErrorPrintf("Error:DTN(%d)<NTD(%d) @setInfraredDTNThreshold", p_nValue, partner);
            } else {
                ErrorPrintf("Error:DTN<NTD @setDTNThreshold");
            }
            return 0;
        }
        if (!p_bDayToNight && p_nValue >= partner) {
            if (p_bInfrared) {
                ErrorPrintf("Error:DTN(%d)<NTD(%d) @setInfraredNTDThreshold \n", partner, p_nValue);
            } else {
                ErrorPrintf("Error:DTN<NTD @setNTDThreshold");
            }
            return 0;
        }
    }
    (p_bDayToNight ? m_nDTNThreshold : m_nNTDThreshold) = p_nValue;
    return 1;
}

int Hi351xSenseController::setDTNThreshold(int p_nValue) {
    return setThreshold(p_nValue, true, false);
}

int Hi351xSenseController::setNTDThreshold(int p_nValue) {
    return setThreshold(p_nValue, false, false);
}

int Hi351xSenseController::setInfraredDTNThreshold(int p_nValue) {
    return setThreshold(p_nValue, true, true);
}

int Hi351xSenseController::setInfraredNTDThreshold(int p_nValue) {
    return setThreshold(p_nValue, false, true);
}

int Hi351xSenseController::setSmartInfraredMode(int p_nMode) {
    if (m_nIsInfrared != 2) {
        return 1;
    }
    if (!inDescribedRange(35, p_nMode)) {
        return 0;
    }
    int value = p_nMode;
    return ispCall(kCodeSmartInfrared, value, "setSmartInfraredMode", 35);
}

int Hi351xSenseController::setInfraredManualValue(int p_nValue) {
    if (m_nIsInfrared != 2) {
        return 1;
    }
    if (!inDescribedRange(36, p_nValue)) {
        return 0;
    }
    int value = p_nValue;
    return ispCall(kCodeInfraredManual, value, "setInfraredManualValue", 36);
}

int Hi351xSenseController::setParameterToSensor(int p_nId, int p_nValue) {
    if (m_SensorStatus != InitSuccess) {
        return 0;
    }
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    int result = m_parameters.write(*this, *this, p_nId, p_nValue);
    return result == -1 ? 1 : result;  // ids beyond 1-47 are taken and ignored
}

int Hi351xSenseController::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (m_SensorStatus != InitSuccess) {
        return 0;
    }
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    if (p_nId >= 43 && p_nId <= 46) {
        return 1;  // actions: nothing to read
    }
    int result = m_parameters.read(*this, *this, p_nId, p_nValue);
    return result == -1 ? 1 : result;
}

bool Hi351xSenseController::inDescribedRange(int p_nId, int p_nValue) const {
    const ParameterFacts& range = m_parameters.find(p_nId)->facts;
    return p_nValue >= range.nMin && p_nValue <= range.nMax;
}

void Hi351xSenseController::refuseIsp(const Row& p_row, int p_nValue) {
    IsAppointRange(p_nValue, p_row.szSetter, p_row.nId);
}

int Hi351xSenseController::writeIsp(const Row& p_row, int p_nValue) {
    int value = p_nValue;
    return ispCall(p_row.nSetCode, value, p_row.szSetter, p_row.nId);
}

int Hi351xSenseController::readIsp(const Row& p_row, int& p_nValue) {
    return ispCall(p_row.nGetCode, p_nValue, p_row.szGetter, p_row.nId);
}

int Hi351xSenseController::readDTNThreshold(int& p_nValue) {
    if (!ispCall(kCodeDTNThresholdGet, p_nValue, "getDTNThreshold", 12)) {
        return 0;
    }
    m_nDTNThreshold = p_nValue;
    return 1;
}

int Hi351xSenseController::readNTDThreshold(int& p_nValue) {
    if (!ispCall(kCodeNTDThresholdGet, p_nValue, "getNTDThreshold", 13)) {
        return 0;
    }
    m_nNTDThreshold = p_nValue;
    return 1;
}

int Hi351xSenseController::getMirror(int& p_nMirror) {
    return ispCall(kCodeMirrorGet, p_nMirror, "getMirror", 20);
}

int Hi351xSenseController::getBeAwayMode(int& p_nBeAway) {
    return ispCall(kCodeBeAwayGet, p_nBeAway, "getBeAwayMode", 21);
}

int Hi351xSenseController::getInfraredDTNThreshold(int& p_nValue) {
    p_nValue = kInfraredDTNThreshold;
    return 1;
}

int Hi351xSenseController::getInfraredNTDThreshold(int& p_nValue) {
    p_nValue = kInfraredNTDThreshold;
    return 1;
}

int Hi351xSenseController::getSmartInfraredMode(int& p_nMode) {
    return m_nIsInfrared != 2 ? 1
                              : ispCall(kCodeSmartInfraredGet, p_nMode, "getSmartInfraredMode", 35);
}

int Hi351xSenseController::getInfraredManualValue(int& p_nValue) {
    return m_nIsInfrared != 2
               ? 1
               : ispCall(kCodeInfraredManualGet, p_nValue, "getInfraredManualValue", 36);
}

int Hi351xSenseController::getDNStatusFromSensor(int& p_nStatus) {
    int level = 0;
    int result = ispCall(kCodeLightLevel, level, "getDNStatusFromSensor", kCodeLightLevel);
    if (m_nNTDThreshold >= level) {
        p_nStatus = 1;
    } else if (level >= m_nDTNThreshold) {
        p_nStatus = 0;
    }
    m_nLastDNStatus = p_nStatus;
    return result;
}

int Hi351xSenseController::getDNStatusFromLDR(int& p_nStatus) {
    int raw = 0;
    if (!getADCVal(raw)) {
        ErrorPrintf("getADCValue failed %d", raw);
        return 0;
    }
    int level = levelOfRaw(raw);
    if (level <= m_nIrCompensation + m_nNTDThreshold) {
        p_nStatus = 1;
        m_nIrCompensation = 0;
        m_nLastDNStatus = 1;
        m_bNeedIrCompensation = true;
    } else if (level >= m_nDTNThreshold) {
        if (m_bNeedIrCompensation) {
            conductADCValue();
        }
        p_nStatus = 0;
        m_nLastDNStatus = 0;
        m_bNeedIrCompensation = false;
    } else {
        p_nStatus = m_nLastDNStatus;
    }
    return 1;
}

int Hi351xSenseController::conductADCValue() {
    m_nIrCompensationRaw = 0;
    int lit = 0;
    int dark = 0;
    if (m_nIsInfrared != 2) {
        if (!getADCValueByGPIOState(1, lit) || !getADCValueByGPIOState(0, dark)) {
            return 0;
        }
    } else {
        getADCValueByIrValue(100, lit);
        getADCValueByIrValue(0, dark);
    }
    int difference = lit - dark;
    m_nIrCompensationRaw = difference;
    m_nIrCompensation = difference < kCompensationFloor ? kCompensationFloor : difference;
    return 1;
}

int Hi351xSenseController::getADCValueByGPIOState(int p_nState, int& p_nLevel) {
    m_pGPIO->setLevel(m_InfraredLightGpio.nGroup, m_InfraredLightGpio.nBit, p_nState);
    OrvaneTime(1, 0).wait();  // the LDR settles
    int raw = 0;
    if (!getADCVal(raw)) {
        ErrorPrintf("getADCValueByGPIOState failed %d", raw);
        return 0;
    }
    p_nLevel = levelOfRaw(raw);
    return 1;
}

int Hi351xSenseController::getADCValueByIrValue(int p_nIrValue, int& p_nLevel) {
    if (p_nIrValue == 100) {
        int mode = m_nSavedSmartInfraredMode;
        ispCall(kCodeSmartInfraredGet, mode, "getSmartInfraredMode", 35);
        m_nSavedSmartInfraredMode = mode;
        if (mode == 2) {
            int value = m_nSavedInfraredManualValue;
            ispCall(kCodeInfraredManualGet, value, "getInfraredManualValue", 36);
            m_nSavedInfraredManualValue = value;
        }
        setSmartInfraredMode(2);
    }
    setPWMIrLight(p_nIrValue);
    OrvaneTime(1, 0).wait();  // the LDR settles
    int raw = 0;
    if (!getADCVal(raw)) {
        std::printf("getADCValueByGPIOState failed %d\n", raw);
        raw = 0;
    }
    p_nLevel = levelOfRaw(raw);
    if (p_nIrValue == 0) {
        setSmartInfraredMode(m_nSavedSmartInfraredMode);
        if (m_nSavedSmartInfraredMode == 2) {
            setInfraredManualValue(m_nSavedInfraredManualValue);
        }
    }
    return 1;
}

int Hi351xSenseController::setPWMIrLight(int p_nLevel) {
    PwmRequest request;
    std::memset(&request, 0, sizeof(request));
    request.channel = 0;
    request.period = kPwmPeriod;
    if (p_nLevel == 0) {
        request.enable = 0;
        request.duty = 0;
    } else if (p_nLevel == 100) {
        request.enable = 1;
        request.duty = kPwmPeriod;
    } else {
        request.enable = 1;
        request.duty = 230u + (200u * static_cast<unsigned int>(p_nLevel) + 50u) / 100u;
    }
    ovdev_ioctl(m_nPWMFd, kPwmConfigure, &request);
    return 1;
}

int Hi351xSenseController::getADCVal(int& p_nRaw) {
    int fd = ovdev_open("/dev/adc", O_RDONLY);
    if (fd < 0) {
        std::printf("open adc fail \n");
        return 0;
    }
    uint32_t request[3] = {1, 0, 0};
    if (ovdev_ioctl(fd, kAdcEnable, request) < 0) {
        std::printf("enable the adc error 0x%x \n", request[0]);
        ovdev_close(fd);
        return 0;
    }
    if (ovdev_ioctl(fd, kAdcRead, request) < 0) {
        std::printf("get the adcdate error 0x%x  enable status 0x%x\n", request[2], request[0]);
        ovdev_close(fd);
        return 0;
    }
    ovdev_close(fd);
    p_nRaw = static_cast<int>(request[2]);
    return 1;
}

int Hi351xSenseController::turnPictureToDay() {
    int value = 1;
    return ispCall(kCodePicture, value, "turnPictureToDay", kCodePicture);
}

int Hi351xSenseController::turnPictureToNight() {
    int value = 2;
    OrvaneTime start = OrvaneTime::currentTime();
    if (!ispCall(kCodePicture, value, "turnPictureToNight", kCodePicture)) {
        return 0;
    }
    // The ISP reports the end of the night switch; wait for it at most 1 s.
    for (;;) {
        int done = -1;
        ispCall(kCodeNightSwitchDone, done, "turnPictureToNight", kCodeNightSwitchDone);
        OrvaneTime now = OrvaneTime::currentTime();
        if (done == 0 || (now - start).toSeconds() >= 1.0) {
            break;
        }
        OrvaneTime(0, 20000).wait();
    }
    OrvaneTime(0, 40000).wait();
    return 1;
}

int Hi351xSenseController::initController(int, const ModuleConfigure& p_config) {
    ModuleParameterParser detail;
    if (!detail.parse(p_config.getDetail())) {
        ErrorPrintf("parse detail failed");
        return 0;
    }
    if (!readDetailNumber(detail, "isInfrared", "get isInfrared from detail failed",
                          m_nIsInfrared)) {
        return 0;
    }
    if (m_nIsInfrared != 0) {
        if (m_nIsInfrared == 2) {
            // Sets the pin function the PWM output needs.
            sy_system("himm 0x200F00BC 0x1", 30);
        }
        std::string lightGpio;
        if (!detail.getValue("GPIOInfraredLight", lightGpio)) {
            std::printf("get GPIOInfraredLight from detail failed\n");
        }
        m_InfraredLightGpio.parse(lightGpio);
        m_bNewInfrared = true;
    }
    std::string gpio;
    if (!detail.getValue("GPIO", gpio)) {
        ErrorPrintf("get GPIO from detail failed");
        return 0;
    }
    ModuleParameterParser parameters;
    if (!parameters.parse(p_config.getParameters())) {
        ErrorPrintf("parse senseParameter failed");
        return 0;
    }
    int count = m_IrCutGpio.parse(gpio);
    if (count < 3) {
        ErrorPrintf("parse GPIO param failed,nRet=%d", count);
        return 0;
    }
    int fd = ovdev_open("/dev/pwm", O_RDWR);
    if (fd > 0) {
        m_nPWMFd = fd;
    } else {
        std::printf("PWM open Failed\n");
        m_nPWMFd = -1;
    }
    return 1;
}
