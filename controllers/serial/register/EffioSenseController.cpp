#include "EffioSenseController.h"

#include <cstdio>

namespace {

typedef EffioSenseController::Field Field;

const int kModuleId = 10;
const int kLastId = 61;
// Night from this AE level up, day again at or below the other.
const int kDefaultDayToNight = 200;
const int kDefaultNightToDay = 100;

const Field kBrightness = {0x02, 0x63, 16, 5, 8, true, false};
const Field kSharpness = {0x02, 0x99, 8, 0, 8, true, true};
const Field kMirror = {0x06, 0x49, 8, 0, 1, false, false};
const Field kExposal = {0x03, 0x02, 8, 0, 3, false, false};
const Field kWB = {0x05, 0x01, 8, 0, 4, false, false};
const Field kRGain = {0x02, 0x62, 16, 5, 8, false, false};
const Field kBGain = {0x02, 0x61, 16, 5, 8, false, false};
const Field kExposalMode = {0x03, 0x01, 8, 0, 1, false, false};
const Field kShutter = {0x04, 0x01, 8, 2, 3, false, false};
const Field kNR2 = {0x02, 0x6D, 8, 0, 2, false, false};
const Field kBackLight = {0x03, 0x21, 8, 0, 2, false, false};
const Field kBackLightLevel = {0x03, 0x17, 8, 3, 5, false, false};
const Field kATR = {0x0C, 0x03, 8, 0, 1, false, false};
const Field kAGCMode = {0x03, 0x02, 8, 3, 3, false, false};
const Field kMaxAGC = {0x03, 0x0D, 8, 0, 8, false, true};
const Field kPicture = {0x02, 0x8D, 8, 4, 2, false, false};
const Field kAELevel = {0x12, 0x29, 16, 0, 10, false, false};

const int kPictureDay = 1;
const int kPictureNight = 2;

typedef ParameterRow<EffioSenseController> P;
typedef EffioSenseController E;
typedef ISensorController S;
typedef ParameterRole R;
typedef ParameterUnit U;

// ATR 3 follows day and night: on by day, off at night.
const ParameterMenuEntry kATRModes[] = {{0, "off"}, {1, "on"}, {3, "day-only"}};

// A value must fit its bit field, so that neighbouring bits stay: the
// ranges below are the fields' (scaled ones 0..100). What the DSP's codes
// select beyond that is the DSP's own.
const P kRows[] = {
    P::readWrite(1, "setBrightness", &E::setBrightness, &E::getBrightness)
        .range("brightness", R::BRIGHTNESS, 0, 100, U::PERCENT)
        .factory(50),
    P::readWrite(2, "setSharpness", &E::setSharpness, &E::getSharpness)
        .range("sharpness", R::SHARPNESS, 0, 100, U::PERCENT)
        .factory(50),
    P::readWrite(3, "setMirror", &E::setMirror, &E::getMirror).onOff("mirror", R::MIRROR_FLIP),
    P::readWrite(4, "setExposal", &E::setExposal, &E::getExposal)
        .range("exposure", R::NONE, 0, 7, U::STEP),
    P::readWrite(5, "setWB", &E::setWB, &E::getWB).range("wb-mode", R::WB_MODE, 0, 15),
    P::readWrite(6, "setRGain", &E::setRGain, &E::getRGain)
        .range("red-gain", R::RED_GAIN, 0, 255, U::GAIN_STEP)
        .factory(128),
    P::readWrite(7, "setBGain", &E::setBGain, &E::getBGain)
        .range("blue-gain", R::BLUE_GAIN, 0, 255, U::GAIN_STEP)
        .factory(128),
    P::base(8, S::BASE_DAYNIGHT_MODE, "setDayNightMode"),
    // AE levels (0..255, high in the dark), kept here and never sent; only
    // their order is checked.
    P::readWrite(9, "setDayToNightTransition", &E::setDayToNightTransition,
                 &E::getDayToNightTransition)
        .range("dtn-level", R::DTN_THRESHOLD, 0, 255)
        .unchecked()
        .factory(kDefaultDayToNight),
    P::readWrite(10, "setNightToDayTransition", &E::setNightToDayTransition,
                 &E::getNightToDayTransition)
        .range("ntd-level", R::NTD_THRESHOLD, 0, 255)
        .unchecked()
        .factory(kDefaultNightToDay),
    P::readWrite(12, "setExposalMode", &E::setExposalMode, &E::getExposalMode)
        .range("exposure-mode", R::EXPOSURE_MODE, 0, 1),
    P::readWrite(13, "setShutterSpeed", &E::setShutterSpeed, &E::getShutterSpeed)
        .range("shutter", R::SHUTTER, 0, 7, U::STEP),
    P::readWrite(14, "setNR2_FILMODE", &E::setNR2_FILMODE, &E::getNR2_FILMODE)
        .range("nr2-film-mode", R::NONE, 0, 3),
    P::readWrite(15, "setBackLight", &E::setBackLight, &E::getBackLight)
        .range("backlight", R::BACKLIGHT_COMPENSATION, 0, 3),
    P::readWrite(16, "setBackLightLevel", &E::setBackLightLevel, &E::getBackLightLevel)
        .range("backlight-level", R::NONE, 0, 31, U::STEP),
    // Other modes reach updateHDRMode as -1, which refused them.
    P::readWrite(17, "setATR", &E::setATR, &E::getATR)
        .menu("atr", R::WDR_MODE, kATRModes)
        .refusal("updateHDRMode(-1) is out of range"),
    P::readWrite(18, "setAGCMode", &E::setAGCMode, &E::getAGCMode).range("agc-mode", R::NONE, 0, 7),
    P::readWrite(19, "setMaxAGC", &E::setMaxAGC, &E::getMaxAGC)
        .range("max-agc", R::MAX_GAIN, 0, 255, U::GAIN_STEP)
        .factory(96),
    P::base(21, S::BASE_TNF_MODE, "setTNFMode"),
};

}  // namespace

EffioSenseController::EffioSenseController()
    : IRegisterSenseController(kModuleId),
      m_nMirror(0),
      m_nDTNTransition(kDefaultDayToNight),
      m_nNTDTransition(kDefaultNightToDay),
      m_link(*this, m_pUART, m_nUARTIndex, m_mutex),
      m_parameters({ParameterList<EffioSenseController>(kRows),
                    dayNightScheduleRows<EffioSenseController>()},
                   "%s failed ", "%s failed ") {
    m_parameters.setRefusalLog(&EffioSenseController::refuse);
    describeParametersBy(&m_parameters);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 10);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 12, 19);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 21, 21);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 57, 61);
    setSensorConfigVersion(4);
    setSensorConfigVersion2(2);
}

int EffioSenseController::getAppointedBit(int p_nValue, int p_nWidth, int p_nLow, int p_nCount) {
    return RegisterBytes::field(p_nValue, p_nWidth, p_nLow, p_nCount);
}

int EffioSenseController::modifyAppointedBits(int p_nValue, int p_nWidth, int p_nField, int p_nLow,
                                              int p_nCount) {
    return RegisterBytes::replaceField(p_nValue, p_nWidth, p_nField, p_nLow, p_nCount);
}

int EffioSenseController::assembleData(int p_nHigh, int p_nLow) {
    return ((p_nHigh & 0xFF) << 8) | (p_nLow & 0xFF);
}

void EffioSenseController::splitData(int p_nValue, int& p_nHigh, int& p_nLow) {
    p_nHigh = (p_nValue >> 8) & 0xFF;
    p_nLow = p_nValue & 0xFF;
}

int EffioSenseController::read(const Field& p_field, int& p_nValue) {
    int registers = 0;
    if (!m_link.readRegisters(p_field.nCategory, p_field.nAddress, p_field.nWidth / 8, registers)) {
        return 0;
    }
    int field = getAppointedBit(registers, p_field.nWidth, p_field.nLow, p_field.nCount);
    p_nValue = p_field.bScaled ? field * 100 / 255 : field;
    return 1;
}

void EffioSenseController::refuse(const ParameterRow<EffioSenseController>& p_row, int p_nValue) {
    ErrorPrintf("%s(%d) is out of range", p_row.szSetter, p_nValue);
}

int EffioSenseController::write(const Field& p_field, int p_nValue) {
    int field = p_field.bScaled ? p_nValue * 255 / 100 : p_nValue;
    int count = p_field.nWidth / 8;
    int registers = 0;
    OVMutexManager guard(m_fieldMutex);
    if (!p_field.bBlind &&
        !m_link.readRegisters(p_field.nCategory, p_field.nAddress, count, registers)) {
        return 0;
    }
    registers = modifyAppointedBits(registers, p_field.nWidth, field, p_field.nLow, p_field.nCount);
    return m_link.writeRegisters(p_field.nCategory, p_field.nAddress, count, registers);
}

SC_REGISTER_ACCESSORS(EffioSenseController, Sharpness, kSharpness)
SC_REGISTER_ACCESSORS(EffioSenseController, Exposal, kExposal)
SC_REGISTER_ACCESSORS(EffioSenseController, WB, kWB)
SC_REGISTER_ACCESSORS(EffioSenseController, RGain, kRGain)
SC_REGISTER_ACCESSORS(EffioSenseController, BGain, kBGain)
SC_REGISTER_ACCESSORS(EffioSenseController, ExposalMode, kExposalMode)
SC_REGISTER_ACCESSORS(EffioSenseController, ShutterSpeed, kShutter)
SC_REGISTER_ACCESSORS(EffioSenseController, NR2_FILMODE, kNR2)
SC_REGISTER_ACCESSORS(EffioSenseController, BackLight, kBackLight)
SC_REGISTER_ACCESSORS(EffioSenseController, BackLightLevel, kBackLightLevel)
SC_REGISTER_ACCESSORS(EffioSenseController, AGCMode, kAGCMode)
SC_REGISTER_ACCESSORS(EffioSenseController, MaxAGC, kMaxAGC)

int EffioSenseController::setBrightness(int p_nValue) {
    return write(kBrightness, p_nValue);
}

int EffioSenseController::getBrightness(int& p_nValue) {
    int value = 0;
    if (!read(kBrightness, value) || value > 100) {
        return 0;
    }
    p_nValue = value;
    return 1;
}

int EffioSenseController::setMirror(int p_nValue) {
    if (!write(kMirror, p_nValue)) {
        return 0;
    }
    m_nMirror = p_nValue;
    return 1;
}

int EffioSenseController::getMirror(int& p_nValue) {
    if (!read(kMirror, p_nValue)) {
        return 0;
    }
    m_nMirror = p_nValue;
    return 1;
}

int EffioSenseController::setDayToNightTransition(int p_nValue) {
    int other = 0;
    if (partnerValue(10, other) && other >= p_nValue) {
        return 0;
    }
    m_nDTNTransition = p_nValue;
    return 1;
}

int EffioSenseController::getDayToNightTransition(int& p_nValue) {
    p_nValue = m_nDTNTransition;
    return 1;
}

int EffioSenseController::setNightToDayTransition(int p_nValue) {
    int other = 0;
    if (partnerValue(9, other) && other <= p_nValue) {
        return 0;
    }
    m_nNTDTransition = p_nValue;
    return 1;
}

int EffioSenseController::getNightToDayTransition(int& p_nValue) {
    p_nValue = m_nNTDTransition;
    return 1;
}

int EffioSenseController::setATR(int p_nMode) {
    int applied = -1;
    switch (p_nMode) {
        case 0:
            applied = 2;
            break;
        case 1:
            applied = 1;
            break;
        case 3:
            if (m_nDNState == 1) {
                applied = 1;
            } else if (m_nDNState == 0) {
                applied = 2;
            } else {
                return 0;
            }
            break;
        default:
            break;
    }
    if (!updateHDRMode(applied)) {
        return 0;
    }
    m_nHDRMode = p_nMode;
    return 1;
}

int EffioSenseController::getATR(int& p_nMode) {
    if (m_nHDRMode == 3) {
        p_nMode = 3;
        return 1;
    }
    return read(kATR, p_nMode);
}

int EffioSenseController::updateHDRMode(int p_nMode) {
    if (p_nMode != 1 && p_nMode != 2) {
        ErrorPrintf("updateHDRMode(%d) is out of range", p_nMode);
        return 0;
    }
    return write(kATR, p_nMode == 1 ? 1 : 0);
}

int EffioSenseController::getAEHighValue(int& p_nLevel) {
    int field = 0;
    if (!read(kAELevel, field)) {
        return 0;
    }
    p_nLevel = field * 255 / 1023;
    return 1;
}

int EffioSenseController::getDNStatusFromSensor(int& p_nStatus) {
    int level = 0;
    if (!getAEHighValue(level)) {
        ErrorPrintf("getAEHighValue failed");
        OrvaneTime(1, 0).wait();
        return 0;
    }
    if (level >= m_nDTNTransition) {
        p_nStatus = 0;
        return 1;
    }
    if (level <= m_nNTDTransition) {
        p_nStatus = 1;
        return 1;
    }
    OrvaneTime(1, 0).wait();
    return 0;
}

int EffioSenseController::setPicture(int p_nValue) {
    return write(kPicture, p_nValue);
}

int EffioSenseController::turnPictureToDay() {
    std::puts("turnPictureToDay");
    return setPicture(kPictureDay);
}

int EffioSenseController::turnPictureToNight() {
    std::puts("turnPictureToNight");
    return setPicture(kPictureNight);
}

int EffioSenseController::getMirrorValue(int& p_nMirror) {
    p_nMirror = m_nMirror;
    return 1;
}

int EffioSenseController::setSensorVideoSystem(int, const VideoResolution&) {
    OrvaneTime(3, 0).wait();
    return 1;
}

int EffioSenseController::initFactorySetting() {
    return 1;
}

int EffioSenseController::setParameterToSensor(int p_nId, int p_nValue) {
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1 || p_nId < 1 || p_nId > kLastId) {
        return base;
    }
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int EffioSenseController::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    if (p_nId < 1 || p_nId > kLastId) {
        return 0;
    }
    return m_parameters.read(*this, *this, p_nId, p_nValue) == 1 ? 1 : 0;
}

int EffioSenseController::initController(int, const ModuleConfigure& p_config) {
    ModuleParameterParser detail;
    return initLine(p_config, detail);
}
