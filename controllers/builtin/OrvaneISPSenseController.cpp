#include "OrvaneISPSenseController.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../../platform/ModuleParameterParser.h"
#include "../../platform/internal/TextScan.h"

namespace {

const unsigned int kAnyValue = 0xFFFFFFFFu;

// Where an accepted value goes.
enum Target { kNowhere, kShutterMode, kMirrorMode, kWBWord, kHDRWord, kNRWord };
// What the getter answers.
enum Answer { kUntouched, kFixed, kField, kAutoIris, kPowerFrequency };

// One id whose handling is uniform. A value above nMax (compared unsigned, so
// negatives fail too) is refused with szRange, formatted with the value.
// Field rows use nLo..nHi of their packed word for both directions.
struct TableParameter {
    int nId;
    unsigned int nMax;
    const char* szRange;
    Target target;
    int nLo;
    int nHi;
    const char* szWriteFailed;
    const char* szSetFailed;
    Answer answer;
    int nFixed;
    const char* szReadFailed;
    const char* szGetFailed;
};

const TableParameter kTableParameters[] = {
    {1, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setBrightness failed", kUntouched, 0, nullptr,
     "getBrightness failed "},
    {2, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setSaturation failed", kUntouched, 0, nullptr,
     "getSaturation failed "},
    {3, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setContrast failed", kUntouched, 0, nullptr,
     "getContrast failed "},
    {4, 1, "no such gain mode value(%d)", kNowhere, 0, 0, nullptr, "setGainMode failed ", kFixed, 0,
     nullptr, "getGainMode failed "},
    {5, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setMaxGain failed ", kUntouched, 0, nullptr,
     "getMaxGain failed "},
    {6, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setFixedGain failed ", kUntouched, 0, nullptr,
     "getFixedGain failed "},
    {7, 1, "set shutter mode(%d) failed", kShutterMode, 0, 0, nullptr, "setShutterMode failed ",
     kFixed, 0, nullptr, "getShutterMode failed "},
    {8, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setMaxShutterMode failed ", kUntouched, 0,
     nullptr, "getMaxShutterMode failed "},
    {9, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setFixedShutterMode failed ", kUntouched, 0,
     nullptr, "getFixedShutterMode failed "},
    {13, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setSharpness failed ", kUntouched, 0,
     nullptr, "getSharpness failed "},
    {15, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setNightColor failed", kUntouched, 0,
     nullptr, "getNightColor failed"},
    {16, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setIrisSpeed failed", kFixed, 16, nullptr,
     "getIrisSpeed failed"},
    {18, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setAutoIris failed", kAutoIris, 0, nullptr,
     "getAutoIris failed"},
    {23, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setPowerFrequency failed", kPowerFrequency,
     0, nullptr, "getPowerFrequency failed"},
    {24, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setHighlightHold failed", kUntouched, 0,
     nullptr, "getHighlightHold failed"},
    {25, kAnyValue, nullptr, kNowhere, 0, 0, nullptr, "setPhotometryArea failed", kUntouched, 0,
     nullptr, "getPhotometryArea failed"},
    {26, 1, "p_nWBmode is out of range", kWBWord, 0, 3, "______setWBmode modifyAppointValue failed",
     "setWBmode failed", kField, 0, "______getWBmode getAppointValue failed", "getWBmode failed"},
    {27, 5, "p_nWBmanual is out of range", kWBWord, 4, 7,
     "______setWBmanual modifyAppointValue failed", "setWBmanual failed", kField, 0,
     "______getWBmanual getAppointValue failed", "getWBmanual failed"},
    {28, 100, "p_nRedGain is out of range", kWBWord, 8, 15,
     "______setRedGain modifyAppointValue failed", "setRedGain failed", kField, 0,
     "______getRedGain getAppointValue failed", "getRedGain failed"},
    {29, 100, "p_nBlueGain is out of range", kWBWord, 16, 31,
     "______setBlueGain modifyAppointValue failed", "setBlueGain failed", kField, 0,
     "______getBlueGain getAppointValue failed", "getBlueGain failed"},
    {30, 3, "CommonOperator.setMirrorMode Error: value(%d)", kMirrorMode, 0, 0, nullptr,
     "setMirrorMode failed", kFixed, 0, nullptr, "getMirrorMode failed"},
    {33, 1, "setHDRMode out of range,setHDRMode=%d", kHDRWord, 4, 7,
     "modifyAppointValue @setHDRMode failed", "setHDRRunMode failed", kField, 0,
     "______p_nHDRRunMode getAppointValue failed", "getHDRRunMode failed"},
    {35, kAnyValue, nullptr, kNRWord, 8, 15, "modifyAppointValue @setNRManual failed",
     "setNRManual failed", kField, 0, "______p_nNRManual getAppointValue failed",
     "getNRManual failed"},
    {36, kAnyValue, nullptr, kNRWord, 16, 23, "modifyAppointValue @setNRAuto failed",
     "setNRAuto failed", kField, 0, "______p_nNRAuto getAppointValue failed", "getNRAuto failed"},
    {39, 1, "setDoorMode out of range,p_nMode=%d", kNowhere, 0, 0, nullptr, "setDoorMode failed",
     kFixed, 1, nullptr, "getDoorMode failed"},
};

const TableParameter* findTableParameter(int p_nId) {
    for (const TableParameter& parameter : kTableParameters) {
        if (parameter.nId == p_nId) {
            return &parameter;
        }
    }
    return nullptr;
}

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

// "%d,%d,%d" into group, bit and day level; fields without a number keep
// their values.
int readTriple(const std::string& p_strText, GPIOTriple& p_triple) {
    int values[3] = {p_triple.nGroup, p_triple.nBit, p_triple.nDayLevel};
    int count = scanCommaInts(p_strText, values, 3);
    p_triple.nGroup = values[0];
    p_triple.nBit = values[1];
    p_triple.nDayLevel = values[2];
    return count;
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
      m_nMirrorMode(0) {
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

OrvaneISPSenseController::~OrvaneISPSenseController() {
    stopBackgroundThread();
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
    if (parameter->nMax != kAnyValue && static_cast<unsigned int>(p_nValue) > parameter->nMax) {
        ErrorPrintf(parameter->szRange, p_nValue);
        return 0;
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
    if (static_cast<unsigned int>(p_nMode) > 3u) {
        ErrorPrintf("setHDRMode out of range,setHDRMode=%d", p_nMode);
        return 0;
    }
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
    int result = 0;
    const char* failed = nullptr;
    int partner = 0;
    switch (p_nId) {
        case 10:
            failed = "setDayNightSetup failed ";
            result = setDayNightMode(p_nValue);
            break;
        case 11:
            // The night-to-day transition must stay below the day-to-night
            // one; past that check there is nothing to apply. A stored set
            // applied whole is taken as it stands: the factory set, read
            // from getters that report nothing, holds the pair (0, 0).
            if (!m_bBulkUpdate && getParameter(12, partner) && p_nValue <= partner) {
                ErrorPrintf("ntd=%d,dtn=%d", partner, p_nValue);
                return 0;
            }
            return 1;
        case 12:
            if (!m_bBulkUpdate && getParameter(11, partner) && p_nValue >= partner) {
                ErrorPrintf("dtn=%d,ntd=%d", partner, p_nValue);
                return 0;
            }
            return 1;
        case 32:
            failed = "setHDRMode failed";
            result = setHDRMode(p_nValue);
            break;
        case 34:
            failed = "setNRMode failed";
            result = setNRMode(p_nValue);
            break;
        case 37:
            failed = "setTNF failed";
            result = setTNF(p_nValue);
            break;
        case 57:
            failed = "setDNSwitchDelay failed ";
            result = setDNSwitchDelay(p_nValue);
            break;
        case 58:
            failed = "setDTNTime_H failed";
            result = setDTNTime_H(p_nValue);
            break;
        case 59:
            failed = "setDTNTime_M failed";
            result = setDTNTime_M(p_nValue);
            break;
        case 60:
            failed = "setNTDTime_H failed";
            result = setNTDTime_H(p_nValue);
            break;
        case 61:
            failed = "setNTDTime_M failed";
            result = setNTDTime_M(p_nValue);
            break;
        case 62:
            failed = "setTNFMode failed";
            result = setTNFMode(p_nValue);
            break;
        default: {
            const TableParameter* parameter = findTableParameter(p_nId);
            if (parameter == nullptr) {
                ErrorPrintf("paramid=%d error ", p_nId);
                return -1;
            }
            failed = parameter->szSetFailed;
            result = setTableParameter(p_nId, p_nValue);
            break;
        }
    }
    if (!result) {
        ErrorPrintf("%s", failed);
        return 0;
    }
    return 1;
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
    int result = 0;
    const char* failed = nullptr;
    switch (p_nId) {
        case 10:
            failed = "getDayNightMode failed ";
            result = getDayNightMode(p_nValue);
            break;
        case 11:
        case 12:
            return 1;  // the transitions have nothing to report
        case 32:
            failed = "getHDRMode failed";
            result = getHDRMode(p_nValue);
            break;
        case 34:
            return getNRMode(p_nValue);
        case 37:
            failed = "getTNF failed";
            result = getTNF(p_nValue);
            break;
        case 57:
            failed = "getDNSwitchDelay failed ";
            result = getDNSwitchDelay(p_nValue);
            break;
        case 58:
            failed = "getDTNTime_H failed";
            result = getDTNTime_H(p_nValue);
            break;
        case 59:
            failed = "getDTNTime_M failed";
            result = getDTNTime_M(p_nValue);
            break;
        case 60:
            failed = "getNTDTime_H failed";
            result = getNTDTime_H(p_nValue);
            break;
        case 61:
            failed = "getNTDTime_M failed";
            result = getNTDTime_M(p_nValue);
            break;
        case 62:
            failed = "getTNFMode failed";
            result = getTNFMode(p_nValue);
            break;
        default: {
            const TableParameter* parameter = findTableParameter(p_nId);
            if (parameter == nullptr) {
                ErrorPrintf("paramid=%d error ", p_nId);
                return 0;
            }
            failed = parameter->szGetFailed;
            result = getTableParameter(p_nId, p_nValue);
            break;
        }
    }
    if (!result) {
        ErrorPrintf("%s", failed);
        return 0;
    }
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
    int count = readTriple(text, m_IrCutGpio);
    if (count < 3) {
        ErrorPrintf("parse GPIO param failed,nRet=%d", count);
        return 0;
    }
    text.clear();
    if (!detail.getValue("GPIOInfraredLight", text)) {
        std::puts("get GPIOInfraredLight from detail failed");
    }
    readTriple(text, m_InfraredLightGpio);
    text.clear();
    if (!detail.getValue("GPIODNLevel", text)) {
        std::puts("get GPIODNLevel from detail failed");
    }
    readTriple(text, m_DNLevelGpio);
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
