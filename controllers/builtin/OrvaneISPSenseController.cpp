#include "OrvaneISPSenseController.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../../platform/ModuleParameterParser.h"

namespace {

// Where an accepted value goes.
enum Target { kNowhere, kShutterMode, kMirrorMode, kWBWord, kHDRWord, kNRWord };
// What the getter answers.
enum Answer { kUntouched, kFixed, kField, kAutoIris, kPowerFrequency };

// One id whose handling is uniform; the values it takes are its row's in
// kParameters. Field rows use nLo..nHi of their packed word for both
// directions.
struct TableParameter {
    int nId;
    Target target;
    int nLo;
    int nHi;
    const char* szWriteFailed;
    Answer answer;
    int nFixed;
    const char* szReadFailed;
};

const TableParameter kTableParameters[] = {
    {1, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {2, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {3, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {4, kNowhere, 0, 0, nullptr, kFixed, 0, nullptr},
    {5, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {6, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {7, kShutterMode, 0, 0, nullptr, kFixed, 0, nullptr},
    {8, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {9, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {13, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {15, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {16, kNowhere, 0, 0, nullptr, kFixed, 16, nullptr},
    {18, kNowhere, 0, 0, nullptr, kAutoIris, 0, nullptr},
    {23, kNowhere, 0, 0, nullptr, kPowerFrequency, 0, nullptr},
    {24, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {25, kNowhere, 0, 0, nullptr, kUntouched, 0, nullptr},
    {26, kWBWord, 0, 3, "______setWBmode modifyAppointValue failed", kField, 0,
     "______getWBmode getAppointValue failed"},
    {27, kWBWord, 4, 7, "______setWBmanual modifyAppointValue failed", kField, 0,
     "______getWBmanual getAppointValue failed"},
    {28, kWBWord, 8, 15, "______setRedGain modifyAppointValue failed", kField, 0,
     "______getRedGain getAppointValue failed"},
    {29, kWBWord, 16, 31, "______setBlueGain modifyAppointValue failed", kField, 0,
     "______getBlueGain getAppointValue failed"},
    {30, kMirrorMode, 0, 0, nullptr, kFixed, 0, nullptr},
    {33, kHDRWord, 4, 7, "modifyAppointValue @setHDRMode failed", kField, 0,
     "______p_nHDRRunMode getAppointValue failed"},
    {35, kNRWord, 8, 15, "modifyAppointValue @setNRManual failed", kField, 0,
     "______p_nNRManual getAppointValue failed"},
    {36, kNRWord, 16, 23, "modifyAppointValue @setNRAuto failed", kField, 0,
     "______p_nNRAuto getAppointValue failed"},
    {39, kNowhere, 0, 0, nullptr, kFixed, 1, nullptr},
};

const TableParameter* findTableParameter(int p_nId) {
    for (const TableParameter& parameter : kTableParameters) {
        if (parameter.nId == p_nId) {
            return &parameter;
        }
    }
    return nullptr;
}

typedef OrvaneISPSenseController O;
typedef ParameterRow<O> P;
typedef ParameterRole R;
typedef ParameterUnit U;

const ParameterMenuEntry kDayNightModes[] = {
    {0, "auto"}, {1, "day"}, {2, "night"}, {3, "schedule"}};
// As updateHDRMode applies them (day applies 1, night 2); 0 is what a
// module without HDR reports.
const ParameterMenuEntry kHDRModes[] = {{0, "none"}, {1, "on"}, {2, "off"}, {3, "day-only"}};
const ParameterMenuEntry kNRModes[] = {{0, "off"}, {1, "manual"}, {2, "level-zero"}};

// The no-op ids take any value. A refused value is logged with the row's
// own text, then its failure text; an empty failure text: the setter has
// said why itself. Sharpness (13) and the power frequency (23) are routed
// but not registered, so they are not described. Factory values are what
// a start with TNF and HDR support and an auto iris reports.
const P kParameters[] = {
    P::readWrite(1, "setBrightness", &O::setField<1>, &O::getField<1>, "setBrightness failed",
                 "getBrightness failed ")
        .anyValue("brightness", R::BRIGHTNESS),
    P::readWrite(2, "setSaturation", &O::setField<2>, &O::getField<2>, "setSaturation failed",
                 "getSaturation failed ")
        .anyValue("saturation", R::SATURATION),
    P::readWrite(3, "setContrast", &O::setField<3>, &O::getField<3>, "setContrast failed",
                 "getContrast failed ")
        .anyValue("contrast", R::CONTRAST),
    P::readWrite(4, "setGainMode", &O::setField<4>, &O::getField<4>, "setGainMode failed ",
                 "getGainMode failed ")
        .menu("gain-mode", R::NONE, kAutoManualModes)
        .refusal("no such gain mode value(%d)"),
    P::readWrite(5, "setMaxGain", &O::setField<5>, &O::getField<5>, "setMaxGain failed ",
                 "getMaxGain failed ")
        .anyValue("max-gain", R::MAX_GAIN),
    P::readWrite(6, "setFixedGain", &O::setField<6>, &O::getField<6>, "setFixedGain failed ",
                 "getFixedGain failed ")
        .anyValue("fixed-gain", R::GAIN),
    P::readWrite(7, "setShutterMode", &O::setField<7>, &O::getField<7>, "setShutterMode failed ",
                 "getShutterMode failed ")
        .menu("shutter-mode", R::EXPOSURE_MODE, kAutoManualModes)
        .refusal("set shutter mode(%d) failed"),
    P::readWrite(8, "setMaxShutterMode", &O::setField<8>, &O::getField<8>,
                 "setMaxShutterMode failed ", "getMaxShutterMode failed ")
        .anyValue("max-shutter-time", R::MAX_SHUTTER),
    P::readWrite(9, "setFixedShutterMode", &O::setField<9>, &O::getField<9>,
                 "setFixedShutterMode failed ", "getFixedShutterMode failed ")
        .anyValue("fixed-shutter-time", R::SHUTTER),
    P::readWrite(13, "setSharpness", &O::setField<13>, &O::getField<13>, "setSharpness failed ",
                 "getSharpness failed "),
    P::readWrite(15, "setNightColor", &O::setField<15>, &O::getField<15>, "setNightColor failed",
                 "getNightColor failed")
        .anyValue("night-color", R::NONE),
    P::readWrite(16, "setIrisSpeed", &O::setField<16>, &O::getField<16>, "setIrisSpeed failed",
                 "getIrisSpeed failed")
        .anyValue("iris-speed", R::NONE)
        .factory(16),
    // Reads whether the module has an auto iris; a write changes nothing.
    P::readWrite(18, "setAutoIris", &O::setField<18>, &O::getField<18>, "setAutoIris failed",
                 "getAutoIris failed")
        .onOff("auto-iris", R::IRIS_MODE)
        .unchecked()
        .factory(1),
    P::readWrite(23, "setPowerFrequency", &O::setField<23>, &O::getField<23>,
                 "setPowerFrequency failed", "getPowerFrequency failed"),
    P::readWrite(24, "setHighlightHold", &O::setField<24>, &O::getField<24>,
                 "setHighlightHold failed", "getHighlightHold failed")
        .anyValue("highlight-hold", R::NONE),
    P::readWrite(25, "setPhotometryArea", &O::setField<25>, &O::getField<25>,
                 "setPhotometryArea failed", "getPhotometryArea failed")
        .anyValue("photometry-area", R::NONE),
    P::readWrite(26, "setWBmode", &O::setField<26>, &O::getField<26>, "setWBmode failed",
                 "getWBmode failed")
        .menu("wb-mode", R::WB_MODE, kAutoManualModes)
        .refusal("p_nWBmode is out of range"),
    // A preset of the host's imaging code, 0-5.
    P::readWrite(27, "setWBmanual", &O::setField<27>, &O::getField<27>, "setWBmanual failed",
                 "getWBmanual failed")
        .range("wb-manual", R::NONE, 0, 5)
        .refusal("p_nWBmanual is out of range"),
    P::readWrite(28, "setRedGain", &O::setField<28>, &O::getField<28>, "setRedGain failed",
                 "getRedGain failed")
        .range("red-gain", R::RED_GAIN, 0, 100)
        .refusal("p_nRedGain is out of range"),
    P::readWrite(29, "setBlueGain", &O::setField<29>, &O::getField<29>, "setBlueGain failed",
                 "getBlueGain failed")
        .range("blue-gain", R::BLUE_GAIN, 0, 100)
        .refusal("p_nBlueGain is out of range"),
    P::readWrite(30, "setMirrorMode", &O::setField<30>, &O::getField<30>, "setMirrorMode failed",
                 "getMirrorMode failed")
        .menu("mirror", R::MIRROR_FLIP, kMirrorFlipModes)
        .refusal("CommonOperator.setMirrorMode Error: value(%d)"),
    P::readWrite(33, "setHDRRunMode", &O::setField<33>, &O::getField<33>, "setHDRRunMode failed",
                 "getHDRRunMode failed")
        .range("hdr-run-mode", R::NONE, 0, 1)
        .refusal("setHDRMode out of range,setHDRMode=%d"),
    // Masked to their 8-bit fields, so any value is taken.
    P::readWrite(35, "setNRManual", &O::setField<35>, &O::getField<35>, "setNRManual failed",
                 "getNRManual failed")
        .range("nr-manual", R::NONE, 0, 255)
        .unchecked(),
    P::readWrite(36, "setNRAuto", &O::setField<36>, &O::getField<36>, "setNRAuto failed",
                 "getNRAuto failed")
        .range("nr-auto", R::NONE, 0, 255)
        .unchecked(),
    // Indoor or outdoor, as the host's imaging code numbers them.
    P::readWrite(39, "setDoorMode", &O::setField<39>, &O::getField<39>, "setDoorMode failed",
                 "getDoorMode failed")
        .range("door-mode", R::NONE, 0, 1)
        .refusal("setDoorMode out of range,p_nMode=%d")
        .factory(1),
    P::readWrite(10, "setDayNightMode", &O::setDayNightMode, &O::getDayNightMode,
                 "setDayNightSetup failed ", "getDayNightMode failed ")
        .menu("daynight-mode", R::DAY_NIGHT_MODE, kDayNightModes)
        .unchecked(),
    // Only checked against each other.
    P::readWrite(11, "setDayToNightTransition", &O::setDayToNightTransition, &O::reportNothing, "")
        .anyValue("dtn-transition", R::DTN_THRESHOLD),
    P::readWrite(12, "setNightToDayTransition", &O::setNightToDayTransition, &O::reportNothing, "")
        .anyValue("ntd-transition", R::NTD_THRESHOLD),
    P::readWrite(32, "setHDRMode", &O::setHDRMode, &O::getHDRMode, "setHDRMode failed",
                 "getHDRMode failed")
        .menu("hdr-mode", R::WDR_MODE, kHDRModes)
        .refusal("setHDRMode out of range,setHDRMode=%d")
        .factory(2),
    // Other values are taken and change nothing.
    P::readWrite(34, "setNRMode", &O::setNRMode, &O::getNRMode, "setNRMode failed")
        .menu("nr-mode", R::NOISE_REDUCTION_2D, kNRModes)
        .unchecked(),
    // The base takes any value for its settings.
    P::base(37, ISensorController::BASE_TNF, "setTNF", "setTNF failed", "getTNF failed"),
    P::base(57, ISensorController::BASE_DN_SWITCH_DELAY, "setDNSwitchDelay",
            "setDNSwitchDelay failed ", "getDNSwitchDelay failed "),
    P::base(58, ISensorController::BASE_DTN_HOUR, "setDTNTime_H", "setDTNTime_H failed",
            "getDTNTime_H failed"),
    P::base(59, ISensorController::BASE_DTN_MINUTE, "setDTNTime_M", "setDTNTime_M failed",
            "getDTNTime_M failed"),
    P::base(60, ISensorController::BASE_NTD_HOUR, "setNTDTime_H", "setNTDTime_H failed",
            "getNTDTime_H failed"),
    P::base(61, ISensorController::BASE_NTD_MINUTE, "setNTDTime_M", "setNTDTime_M failed",
            "getNTDTime_M failed"),
    P::base(62, ISensorController::BASE_TNF_MODE, "setTNFMode", "setTNFMode failed",
            "getTNFMode failed"),
};

// The lower bound and the right-aligned mask of bits min(a,b)..max(a,b);
// false when a bound lies outside 0..31. Unsigned throughout, so bit 31 and
// the full 32-bit width need no extra care at the call sites.
bool fieldBounds(int p_nBitA, int p_nBitB, int& p_nLo, unsigned int& p_nMask) {
    if (p_nBitA < 0 || p_nBitA > 31 || p_nBitB < 0 || p_nBitB > 31) {
        return false;
    }
    p_nLo = std::min(p_nBitA, p_nBitB);
    int width = std::max(p_nBitA, p_nBitB) - p_nLo + 1;
    p_nMask = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
    return true;
}

// A base-10 number as strtol reads it (no digits: 0), held to the int range
// as on the 32-bit board.
int decimalOf(const std::string& p_strText) {
    long value = std::strtol(p_strText.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

}  // namespace

OrvaneISPSenseController::OrvaneISPSenseController(int p_nModuleId)
    : ISensorController(p_nModuleId),
      m_nHDRCapability(0),
      m_nWBWord(0),
      m_nHDRWord(0),
      m_nNRWord(0),
      m_nAutoIris(0),
      m_nShutterMode(1),
      m_nPowerFrequency(0),
      m_nMirrorMode(0),
      m_parameters({kParameters}) {
    describeParametersBy(&m_parameters);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 12);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 15, 16);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 18);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 24, 30);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 32, 37);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 39);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 57, 62);
    setSensorConfigVersion(23);
    setSensorConfigVersion2(4);
}

int OrvaneISPSenseController::modifyAppointValue(int& p_nWord, int p_nValue, int p_nBitA,
                                                 int p_nBitB) {
    int lo = 0;
    unsigned int mask = 0;
    if (!fieldBounds(p_nBitA, p_nBitB, lo, mask)) {
        ErrorPrintf("modifyAppointValue() parameter error");
        return 0;
    }
    unsigned int word = static_cast<unsigned int>(p_nWord) & ~(mask << lo);
    word |= static_cast<unsigned int>(p_nValue) << lo;
    p_nWord = static_cast<int>(word);
    return 1;
}

int OrvaneISPSenseController::getAppointValue(int p_nWord, int& p_nValue, int p_nBitA,
                                              int p_nBitB) {
    int lo = 0;
    unsigned int mask = 0;
    if (!fieldBounds(p_nBitA, p_nBitB, lo, mask)) {
        ErrorPrintf("getAppointValue() parameter error");
        return 0;
    }
    p_nValue = static_cast<int>((static_cast<unsigned int>(p_nWord) >> lo) & mask);
    return 1;
}

int OrvaneISPSenseController::writeBits(int& p_nWord, int p_nValue, int p_nLo, int p_nHi,
                                        const char* p_szFailed) {
    int lo = 0;
    unsigned int mask = 0;
    int value = p_nValue;
    // A level wider than its field would otherwise spill into the next one.
    if (fieldBounds(p_nLo, p_nHi, lo, mask)) {
        value = static_cast<int>(static_cast<unsigned int>(p_nValue) & mask);
    }
    if (!modifyAppointValue(p_nWord, value, p_nLo, p_nHi)) {
        ErrorPrintf("%s", p_szFailed);
        return 0;
    }
    return 1;
}

int OrvaneISPSenseController::readBits(int p_nWord, int& p_nValue, int p_nLo, int p_nHi,
                                       const char* p_szFailed) {
    if (!getAppointValue(p_nWord, p_nValue, p_nLo, p_nHi)) {
        ErrorPrintf("%s", p_szFailed);
        return 0;
    }
    return 1;
}

int OrvaneISPSenseController::setTableParameter(int p_nId, int p_nValue) {
    const TableParameter* parameter = findTableParameter(p_nId);
    if (parameter == nullptr) {
        return -1;
    }
    switch (parameter->target) {
        case kNowhere:
            return 1;
        case kShutterMode:
            m_nShutterMode = p_nValue;
            return 1;
        case kMirrorMode:
            m_nMirrorMode = p_nValue;
            return 1;
        case kWBWord:
            return writeBits(m_nWBWord, p_nValue, parameter->nLo, parameter->nHi,
                             parameter->szWriteFailed);
        case kHDRWord:
            return writeBits(m_nHDRWord, p_nValue, parameter->nLo, parameter->nHi,
                             parameter->szWriteFailed);
        case kNRWord:
            return writeBits(m_nNRWord, p_nValue, parameter->nLo, parameter->nHi,
                             parameter->szWriteFailed);
    }
    return 0;
}

int OrvaneISPSenseController::getTableParameter(int p_nId, int& p_nValue) {
    const TableParameter* parameter = findTableParameter(p_nId);
    if (parameter == nullptr) {
        return -1;
    }
    switch (parameter->answer) {
        case kUntouched:
            return 1;
        case kFixed:
            p_nValue = parameter->nFixed;
            return 1;
        case kAutoIris:
            p_nValue = m_nAutoIris == 1 ? 1 : 0;
            return 1;
        case kPowerFrequency:
            p_nValue = m_nPowerFrequency;
            return 1;
        case kField: {
            int word = parameter->target == kWBWord    ? m_nWBWord
                       : parameter->target == kHDRWord ? m_nHDRWord
                                                       : m_nNRWord;
            return readBits(word, p_nValue, parameter->nLo, parameter->nHi,
                            parameter->szReadFailed);
        }
    }
    return 0;
}

int OrvaneISPSenseController::updateHDRMode(int p_nMode) {
    return writeBits(m_nHDRWord, p_nMode, 0, 3, "modifyAppointValue @setHDRMode failed");
}

int OrvaneISPSenseController::setHDRMode(int p_nMode) {
    int applied = p_nMode;
    if (p_nMode == 3) {
        int status = m_nDNState;
        if (status == 1) {
            applied = 1;
        } else if (status == 0) {
            applied = 2;
        } else {
            return 0;  // no day or night entered yet
        }
    }
    if (!updateHDRMode(applied)) {
        return 0;
    }
    m_nHDRMode = p_nMode;
    return 1;
}

int OrvaneISPSenseController::getHDRMode(int& p_nMode) {
    if (m_nHDRCapability == 1) {
        p_nMode = 2;
    } else if (m_nHDRCapability == 0) {
        p_nMode = 0;
    }
    return 1;
}

int OrvaneISPSenseController::setNRControl(int p_nControl) {
    return writeBits(m_nNRWord, p_nControl, 0, 3, "modifyAppointValue @setNRControl failed");
}

int OrvaneISPSenseController::getNRControl(int& p_nControl) {
    return readBits(m_nNRWord, p_nControl, 0, 3, "______p_nNRControl getAppointValue failed");
}

int OrvaneISPSenseController::setNRMode(int p_nMode) {
    switch (p_nMode) {
        case 0:
            return setNRControl(0);
        case 1: {
            if (!setNRControl(1)) {
                return 0;
            }
            // Manual noise reduction resumes at the level the host chose last.
            int level = 0;
            return getParameter(35, level) && setNRManual(level) ? 1 : 0;
        }
        case 2:
            return setNRControl(1) && setNRManual(0) ? 1 : 0;
        default:
            return 1;
    }
}

int OrvaneISPSenseController::getNRMode(int& p_nMode) {
    p_nMode = 0;
    return 1;
}

int OrvaneISPSenseController::setParameterToSensor(int p_nId, int p_nValue) {
    if (m_SensorStatus != InitSuccess) {
        return 0;
    }
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    int result = m_parameters.write(*this, *this, p_nId, p_nValue);
    if (result == -1) {
        ErrorPrintf("paramid=%d error ", p_nId);
    }
    return result;
}

int OrvaneISPSenseController::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (m_SensorStatus != InitSuccess) {
        return 0;
    }
    if (p_nId == 14) {
        p_nValue = 0;
        return 1;
    }
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    int result = m_parameters.read(*this, *this, p_nId, p_nValue);
    if (result == -1) {
        ErrorPrintf("paramid=%d error ", p_nId);
        return 0;
    }
    return result;
}

int OrvaneISPSenseController::setDayToNightTransition(int p_nValue) {
    // The day-to-night transition must stay above the night-to-day one;
    // past that check there is nothing to apply. A stored set applied whole
    // is taken as it stands: the factory set, read from getters that report
    // nothing, holds the pair (0, 0).
    int partner = 0;
    if (!m_bBulkUpdate && getParameter(12, partner) && p_nValue <= partner) {
        ErrorPrintf("ntd=%d,dtn=%d", partner, p_nValue);
        return 0;
    }
    return 1;
}

int OrvaneISPSenseController::setNightToDayTransition(int p_nValue) {
    int partner = 0;
    if (!m_bBulkUpdate && getParameter(11, partner) && p_nValue >= partner) {
        ErrorPrintf("dtn=%d,ntd=%d", partner, p_nValue);
        return 0;
    }
    return 1;
}

int OrvaneISPSenseController::reportNothing(int&) {
    return 1;
}

int OrvaneISPSenseController::getMirrorValue(int&) {
    return 0;
}

int OrvaneISPSenseController::getDNStatusFromSensor(int&) {
    return 1;
}

int OrvaneISPSenseController::turnPictureToDay() {
    return 1;
}

int OrvaneISPSenseController::turnPictureToNight() {
    return 1;
}

int OrvaneISPSenseController::getCurrentGain(int&) {
    return 1;
}

int OrvaneISPSenseController::initFactorySetting() {
    return 1;
}

int OrvaneISPSenseController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    if (p_nVideoSystem != 0 && p_nVideoSystem != 1) {
        ErrorPrintf("OrvaneISPSenseController::setSensorVideoSystem Failed, VideoSystem = %d",
                    p_nVideoSystem);
        return 0;
    }
    setPowerFrequency(p_nVideoSystem != 1 ? 1 : 0);
    OrvaneTime(3, 0).wait();  // the sensor restarts its timing
    return 1;
}

int OrvaneISPSenseController::initController(int, const ModuleConfigure& p_config) {
    ModuleParameterParser detail;
    if (!detail.parse(p_config.getDetail())) {
        ErrorPrintf("parse detail failed");
        return 0;
    }
    std::string text;
    if (!detail.getValue("isInfrared", text)) {
        ErrorPrintf("get isInfrared from detail failed");
        return 0;
    }
    m_nIsInfrared = decimalOf(text);
    if (!detail.getValue("autoIris", text)) {
        ErrorPrintf("get autoIris from detail failed");
        return 0;
    }
    m_nAutoIris = decimalOf(text);
    // The parameter string carries nothing this controller needs, but a
    // malformed one means a broken module configuration.
    ModuleParameterParser parameters;
    if (!parameters.parse(p_config.getParameters())) {
        ErrorPrintf("parse senseParameter failed");
        return 0;
    }
    int newInfrared = 0;
    if (detail.getValue("isNewInfrared", text)) {
        newInfrared = decimalOf(text);
    } else {
        std::printf("get isNewInfrared from detail failed");
    }
    m_bNewInfrared = newInfrared != 0;
    if (!detail.getValue("GPIO", text)) {
        ErrorPrintf("get GPIO from detail failed");
        return 0;
    }
    int count = m_IrCutGpio.parse(text);
    if (count < 3) {
        ErrorPrintf("parse GPIO param failed,nRet=%d", count);
        return 0;
    }
    text.clear();
    if (!detail.getValue("GPIOInfraredLight", text)) {
        std::puts("get GPIOInfraredLight from detail failed");
    }
    m_InfraredLightGpio.parse(text);
    text.clear();
    if (!detail.getValue("GPIODNLevel", text)) {
        std::puts("get GPIODNLevel from detail failed");
    }
    m_DNLevelGpio.parse(text);
    if (detail.getValue("TNF", text)) {
        m_nTNF = decimalOf(text);
    } else {
        std::puts("get TNF from detail failed");
        m_nTNF = 0;
    }
    if (detail.getValue("HDR", text)) {
        m_nHDRCapability = decimalOf(text);
    } else {
        std::puts("get HDR from detail failed");
        m_nHDRCapability = 0;
    }
    enterDayMode();
    return 1;
}
