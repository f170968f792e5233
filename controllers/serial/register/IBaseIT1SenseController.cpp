#include "IBaseIT1SenseController.h"

#include <cstdio>

#include "../../../platform/GlobalEnv.h"

namespace {

typedef IBaseIT1SenseController::Register Register;

const Register kBrightness = {0x0A03, 1};
const Register kDayToNight = {0x1412, 1};
const Register kNightToDay = {0x1411, 1};
const Register kVideoOut = {0x0100, 1};
const Register kMinShutter = {0x0A08, 2};
const Register kMaxShutter = {0x0A0C, 2};
const Register kFixedShutter = {0x0A08, 2};
const Register kMaxAGC = {0x0A15, 2};
const Register kWhiteBalance = {0x0B00, 1};
const Register kNightColor = {0x1410, 1};
const Register kIrisVoltage = {0x1C03, 1};

// Logged both for a refused white balance and for a failed write of it.
const char* const kWhiteBalanceFailure = "setWhiteBalance failed p_nWBValue=%d";
// The shutter registers hold N of 1/N s.
const int kLongestShutter = 1;
const int kShortestShutter = 10000;

const int kDayNightRegister = 0x0101;
const int kBlackWhiteBit = 6;
const int kDayNightState = 0x1413;
const int kSharpness = 0x1402;
const int kLowSharpness = 0x1403;
const int kMirror = 0x1500;
const int kIrisSetup = 0x0A01;  // bits 0-1 iris drive mode, bit 4 fixed shutter
const int kShutterModeBit = 4;
const int kGamma = 0x1604;
const int kGammaSteps = 5;
const int kGammaValues[kGammaSteps] = {0x2D, 0x32, 0x3C, 0x46, 0x64};
const int kIrisRegisters[] = {0x0A27, 0x0A28, 0x0A29, 0x0A2A};
const int kIrisSpeedCount = 6;
const int kIrisSpeeds[kIrisSpeedCount][4] = {{5, 10, 16, 16},  {8, 16, 20, 20},  {10, 20, 32, 32},
                                             {12, 24, 40, 40}, {16, 30, 50, 50}, {20, 40, 64, 64}};

struct Chroma {
    const char* szName;
    int nRegister;
    int nFactory;
};
const Chroma kChroma[] = {{"RY1", 0x141F, 0x140}, {"BY1", 0x1421, 0x120}, {"RY2", 0x1423, 0x130},
                          {"BY2", 0x1425, 0x110}, {"RY3", 0x1432, 0x150}, {"BY3", 0x1434, 0x128},
                          {"RY4", 0x1436, 0x138}, {"BY4", 0x1438, 0x118}};
const int kChromaFactory = 50;
const int kDefaultFixedShutter = 50;

typedef IT1Parameter P;
typedef IBaseIT1SenseController B;
typedef ParameterRole R;
typedef ParameterUnit U;

const ParameterMenuEntry kMirrors[] = {{0, "off"}, {1, "horizontal"}, {2, "vertical"}, {3, "both"}};
// 0: the thread follows the module's own judgement; 1 colour, 2 black and
// white, held.
const ParameterMenuEntry kDayNightSetups[] = {{0, "auto"}, {1, "day"}, {2, "night"}};
const ParameterMenuEntry kIrisDriveModes[] = {{0, "dc-iris"}, {1, "video-iris"}, {2, "fixed"}};
const ParameterMenuEntry kWhiteBalances[] = {
    {0, "auto"}, {1, "indoor"}, {2, "outdoor"}, {3, "atw"}, {4, "manual"}};
const ParameterMenuEntry kShutterModes[] = {{0, "auto"}, {1, "fixed"}};

// The rows are where the values each setter takes live: the table refuses
// anything else before the setter runs.
const P kFamily[] = {
    P::readWrite(1, "setBrightness", &B::setBrightness, &B::getBrightness)
        .range("brightness", R::BRIGHTNESS, 0, 255)
        .refusal("p_nBrightness(%d) is out of range")
        .factory(128),
    P::readWrite(2, "setSharpness", &B::setSharpness, &B::getSharpness)
        .range("sharpness", R::SHARPNESS, 0, 15)
        .refusal("p_nSharpness(%d) is out of range")
        .factory(8),
    P::readWrite(3, "setMirror", &B::setMirror, &B::getMirror)
        .menu("mirror", R::MIRROR_FLIP, kMirrors)
        .refusal("setMirror(%d) is out of range"),
    P::readWrite(4, "setDayNightSetup", &B::setDayNightSetup, &B::getDayNightSetup)
        .menu("daynight-setup", R::DAY_NIGHT_MODE, kDayNightSetups),
    P::readWrite(5, "setDayToNightTransition", &B::setDayToNightTransition,
                 &B::getDayToNightTransition)
        .range("dtn-level", R::DTN_THRESHOLD, 0, 255)
        .refusal("p_nDayToNightTransition(%d) is out of range")
        .factory(96),
    P::readWrite(6, "setNightToDayTransition", &B::setNightToDayTransition,
                 &B::getNightToDayTransition)
        .range("ntd-level", R::NTD_THRESHOLD, 0, 255)
        .refusal("p_nNightToDayTransition(%d) is out of range")
        .factory(48),
    // The host's video system (setSensorVideoSystem), not a setting of its
    // own: checked, but not described.
    P::readWrite(7, "setVideoOutSetup", &B::setVideoOutSetup, &B::getVideoOutSetup)
        .range(nullptr, R::NONE, 0, 1)
        .refusal("setVideoOutSetup(%d) is out of range"),
    P::readWrite(8, "setMinShutterValue", &B::setMinShutterValue, &B::getMinShutterValue)
        .range("min-shutter", R::MIN_SHUTTER, kLongestShutter, kShortestShutter, U::SHUTTER_DIVISOR)
        .refusal("setMinShutterValue(%d) is out of range")
        .factory(25),
    P::readWrite(9, "setMaxAGCValue", &B::setMaxAGCValue, &B::getMaxAGCValue)
        .range("max-agc", R::MAX_GAIN, 0, 1023, U::GAIN_STEP)
        .refusal("setMaxAGCValue(%d) is out of range")
        .factory(480),
    P::readWrite(10, "setIrisDriveMode", &B::setIrisDriveMode, &B::getIrisDriveMode)
        .menu("iris-mode", R::IRIS_MODE, kIrisDriveModes)
        .refusal("setIrisDriveMode(%d) is out of range")
        .factory(1),
    P::readWrite(11, "setMaxShutterValue", &B::setMaxShutterValue, &B::getMaxShutterValue)
        .range("max-shutter", R::MAX_SHUTTER, kLongestShutter, kShortestShutter, U::SHUTTER_DIVISOR)
        .refusal("setMaxShutterValue(%d) is out of range")
        .factory(10000),
    // Gamma 0.45 .. 1.0; its refusal goes to the console only (refuse).
    P::readWrite(12, "setGama", &B::setGama, &B::getGama)
        .range("gamma", R::NONE, 0, kGammaSteps - 1, U::STEP),
    // 50 is the module's factory colour.
    P::readWrite(13, "setChroma", &B::setChroma, &B::getChroma)
        .range("chroma", R::SATURATION, 0, 100)
        .refusal("setChroma(%d) is out of range")
        .factory(kChromaFactory),
    P::readWrite(14, "setWhiteBalance", &B::setWhiteBalance, &B::getWhiteBalance)
        .menu("wb-mode", R::WB_MODE, kWhiteBalances)
        .refusal(kWhiteBalanceFailure),
    // 1 keeps the colour at night.
    P::readWrite(15, "setNightColor", &B::setNightColor, &B::getNightColor)
        .onOff("night-color")
        .refusal("setNightColor(%d) is out of range"),
    P::readWrite(16, "setIrisVoltage", &B::setIrisVoltage, &B::getIrisVoltage)
        .range("iris-voltage", R::NONE, 0, 255, U::RAW)
        .refusal("setIrisVoltage(%d) is out of range")
        .factory(128),
    P::readWrite(17, "setIrisSpeed", &B::setIrisSpeed, &B::getIrisSpeed)
        .range("iris-speed", R::NONE, 1, kIrisSpeedCount)
        .refusal("invalid iris speed value (%d)")
        .factory(3),
    P::readWrite(18, "setFixedShutter", &B::setFixedShutter, &B::getFixedShutter)
        .range("fixed-shutter", R::SHUTTER, kLongestShutter, kShortestShutter, U::SHUTTER_DIVISOR)
        .refusal("setFixedShutter(%d) is out of range")
        .factory(kDefaultFixedShutter),
    P::readWrite(19, "setShutterMode", &B::setShutterMode, &B::getShutterMode)
        .menu("shutter-mode", R::EXPOSURE_MODE, kShutterModes)
        .refusal("setShutterMode(%d) is out of range"),
    // 1: the IR LEDs light at night.
    P::readWrite(22, "setInfrared", &B::setInfrared, &B::getInfrared)
        .onOff("infrared", R::IR_LED_MODE)
        .refusal("setInfrared out of range,p_nInfrared=%d")
        .factory(1),
};

}  // namespace

IBaseIT1SenseController::IBaseIT1SenseController(int p_nModuleId,
                                                 std::initializer_list<IT1ParameterList> p_members)
    : IDNSwitchSenseController(
          p_nModuleId, "IBaseIT1SenseController",
          hooks(&IBaseIT1SenseController::getDayNightValue, &IBaseIT1SenseController::exitNightMode,
                &IBaseIT1SenseController::enterNightMode)),
      m_link(*this, m_pUART, m_nUARTIndex),
      m_n1500Value(0),
      m_n0101Value(0),
      m_n0A01Value(0),
      m_nLowSharpness(0),
      m_nDayToNight(0),
      m_nNightToDay(0),
      m_nMinShutter(kLongestShutter),
      m_nFixedShutter(kDefaultFixedShutter),
      m_parameters(p_members, "%s(%d) failed") {
    m_parameters.append(IT1ParameterList(kFamily));
    m_parameters.setRefusalLog(&IBaseIT1SenseController::refuse);
    describeParametersBy(&m_parameters);
    // The thread decides from the start; the stored setup follows.
    m_nDNSetup = 0;
    setSensorConfigVersion(7);
    setSensorConfigVersion2(2);
}

void IBaseIT1SenseController::refuse(const IT1Parameter& p_row, int p_nValue) {
    // The rows without a text of their own: the gamma went to the console
    // only, the day/night setup refuses without a word.
    if (p_row.pfnSet == &IBaseIT1SenseController::setGama) {
        std::printf("setGama(%d) is out of range\n", p_nValue);
    }
}

int IBaseIT1SenseController::write(const Register& p_register, int p_nValue) {
    return m_link.writeRegister(p_register.nRegister, p_register.nCount, p_nValue);
}

int IBaseIT1SenseController::read(const Register& p_register, int& p_nValue) {
    return m_link.readRegister(p_register.nRegister, p_register.nCount, p_nValue);
}

int IBaseIT1SenseController::setParameterValue(const char* p_pBytes, int p_nLength) {
    return m_link.setParameterValue(p_pBytes, p_nLength);
}

int IBaseIT1SenseController::getParameterValue(const char* p_pRequest, int p_nRequestLength,
                                               char* p_pAnswer, int p_nAnswerLength) {
    return m_link.exchange(p_pRequest, p_nRequestLength, p_pAnswer, p_nAnswerLength);
}

SC_REGISTER_ACCESSORS(IBaseIT1SenseController, Brightness, kBrightness)
SC_REGISTER_ACCESSORS(IBaseIT1SenseController, VideoOutSetup, kVideoOut)
SC_REGISTER_ACCESSORS(IBaseIT1SenseController, MaxAGCValue, kMaxAGC)
SC_REGISTER_ACCESSORS(IBaseIT1SenseController, NightColor, kNightColor)
SC_REGISTER_ACCESSORS(IBaseIT1SenseController, IrisVoltage, kIrisVoltage)

int IBaseIT1SenseController::setSharpness(int p_nValue) {
    if (!m_link.writeRegister(kSharpness, 2, p_nValue | (m_nLowSharpness << 8))) {
        ErrorPrintf("set p_nSharpness(%d) failed", p_nValue);
        return 0;
    }
    return 1;
}

int IBaseIT1SenseController::getSharpness(int& p_nValue) {
    return m_link.readRegister(kSharpness, 1, p_nValue);
}

int IBaseIT1SenseController::setCachedField(std::atomic<int>& p_cache, int p_nRegister, int p_nLow,
                                            int p_nCount, int p_nValue) {
    int byte = RegisterBytes::replaceField(p_cache, 8, p_nValue, p_nLow, p_nCount);
    if (!m_link.writeRegister(p_nRegister, 1, byte)) {
        return 0;
    }
    p_cache = byte;
    return 1;
}

int IBaseIT1SenseController::setMirror(int p_nMirror) {
    if (GlobalEnv::getInstance()->getPrintFlag()) {
        std::printf("mirror : m_n1500Value = %x nMirror = %x\n",
                    RegisterBytes::replaceField(m_n1500Value, 8, p_nMirror, 0, 2), p_nMirror);
    }
    return setCachedField(m_n1500Value, kMirror, 0, 2, p_nMirror);
}

int IBaseIT1SenseController::getMirror(int& p_nMirror) {
    int byte = 0;
    if (!m_link.readRegister(kMirror, 1, byte)) {
        return 0;
    }
    m_n1500Value = byte;
    p_nMirror = RegisterBytes::field(byte, 8, 0, 2);
    return 1;
}

int IBaseIT1SenseController::getMirrorValue(int& p_nMirror) {
    p_nMirror = RegisterBytes::field(m_n1500Value, 8, 0, 2);
    return 1;
}

int IBaseIT1SenseController::setDayNightBit(bool p_bBlackWhite) {
    if (!setCachedField(m_n0101Value, kDayNightRegister, kBlackWhiteBit, 1,
                        p_bBlackWhite ? 1 : 0)) {
        ErrorPrintf(p_bBlackWhite ? "openDayNight failed" : "closeDayNight failed");
        return 0;
    }
    m_nDNState = p_bBlackWhite ? 0 : 1;
    return 1;
}

int IBaseIT1SenseController::openDayNightMode() {
    return setDayNightBit(true);
}

int IBaseIT1SenseController::closeDayNightMode() {
    return setDayNightBit(false);
}

int IBaseIT1SenseController::exitNightMode() {
    std::puts("enter day mode");
    if (!closeDayNightMode()) {
        ErrorPrintf("closeDayNightMode failed");
        return 0;
    }
    return driveLines(true);
}

int IBaseIT1SenseController::enterNightMode() {
    std::puts("enter Night Mode");
    if (!openDayNightMode()) {
        ErrorPrintf("enter night mode failed");
        return 0;
    }
    return driveLines(false);
}

int IBaseIT1SenseController::setDayNightSetup(int p_nSetup) {
    m_nDNSetup = p_nSetup;
    m_nDayNightMode = p_nSetup;
    stopSwitchThread();
    switch (p_nSetup) {
        case 1:
            m_szDecision = "colour: set by the day/night setup";
            return exitNightMode();
        case 2:
            m_szDecision = "black and white: set by the day/night setup";
            return enterNightMode();
        default:
            // The module switches itself again; the thread follows it.
            return openDayNightMode() && setTransitionBack() && startSwitchThread();
    }
}

int IBaseIT1SenseController::getDayNightSetup(int& p_nSetup) {
    p_nSetup = m_nDNSetup;
    return 1;
}

int IBaseIT1SenseController::base_setDayToNightTransition(int p_nValue) {
    return m_link.writeRegister(kDayToNight.nRegister, 1, p_nValue);
}

int IBaseIT1SenseController::base_setNightToDayTransition(int p_nValue) {
    return m_link.writeRegister(kNightToDay.nRegister, 1, p_nValue);
}

int IBaseIT1SenseController::setTransitionBack() {
    return base_setDayToNightTransition(m_nDayToNight) &&
           base_setNightToDayTransition(m_nNightToDay);
}

int IBaseIT1SenseController::setDayToNightTransition(int p_nValue) {
    int nightToDay = m_nNightToDay;
    partnerValue(6, nightToDay);
    if (p_nValue < nightToDay) {
        std::printf("Error : DTN(%d) is less than NTD(%d) \n", p_nValue, nightToDay);
        return 0;
    }
    // Held at 0 while the setup is not the module's own switching.
    if (m_nDNSetup == 0 && !base_setDayToNightTransition(p_nValue)) {
        return 0;
    }
    m_nDayToNight = p_nValue;
    return 1;
}

int IBaseIT1SenseController::getDayToNightTransition(int& p_nValue) {
    p_nValue = m_nDayToNight;
    return 1;
}

int IBaseIT1SenseController::setNightToDayTransition(int p_nValue) {
    int dayToNight = m_nDayToNight;
    partnerValue(5, dayToNight);
    if (p_nValue > dayToNight) {
        std::printf("Error : NTD(%d) is more than DTN(%d)\n", p_nValue, dayToNight);
        return 0;
    }
    if (m_nDNSetup == 0 && !base_setNightToDayTransition(p_nValue)) {
        return 0;
    }
    m_nNightToDay = p_nValue;
    return 1;
}

int IBaseIT1SenseController::getNightToDayTransition(int& p_nValue) {
    p_nValue = m_nNightToDay;
    return 1;
}

bool IBaseIT1SenseController::fixedShutter() const {
    return RegisterBytes::field(m_n0A01Value, 8, kShutterModeBit, 1) == 1;
}

int IBaseIT1SenseController::setMinShutterValue(int p_nValue) {
    int maximum = 0;
    if (partnerValue(11, maximum) && p_nValue > maximum) {
        ErrorPrintf("set MinShutterValue > MaxShutterValue!");
        return 0;
    }
    // A fixed shutter holds the register; the minimum waits for auto.
    if (!fixedShutter() && !m_link.writeRegister(kMinShutter.nRegister, 2, p_nValue)) {
        return 0;
    }
    m_nMinShutter = p_nValue;
    return 1;
}

int IBaseIT1SenseController::getMinShutterValue(int& p_nValue) {
    if (fixedShutter()) {
        p_nValue = m_nMinShutter;
        return 1;
    }
    return read(kMinShutter, p_nValue);
}

int IBaseIT1SenseController::setMaxShutterValue(int p_nValue) {
    int minimum = 0;
    if (partnerValue(8, minimum) && p_nValue < minimum) {
        ErrorPrintf("set MaxShutterValue < MinShutterValue!");
        return 0;
    }
    return m_link.writeRegister(kMaxShutter.nRegister, 2, p_nValue);
}

int IBaseIT1SenseController::getMaxShutterValue(int& p_nValue) {
    return read(kMaxShutter, p_nValue);
}

int IBaseIT1SenseController::setFixedShutter(int p_nValue) {
    if (!fixedShutter()) {
        ErrorPrintf("set fixed shutter failed : current is shutter mode is auto");
        m_nFixedShutter = p_nValue;
        return 1;
    }
    if (!m_link.writeRegister(kFixedShutter.nRegister, 2, p_nValue)) {
        return 0;
    }
    m_nFixedShutter = p_nValue;
    return 1;
}

int IBaseIT1SenseController::getFixedShutter(int& p_nValue) {
    if (!fixedShutter()) {
        p_nValue = m_nFixedShutter;
        return 1;
    }
    return read(kFixedShutter, p_nValue);
}

int IBaseIT1SenseController::setShutterMode(int p_nMode) {
    int shutter = p_nMode == 1 ? m_nFixedShutter : m_nMinShutter;
    return m_link.writeRegister(kMinShutter.nRegister, 2, shutter) &&
           setCachedField(m_n0A01Value, kIrisSetup, kShutterModeBit, 1, p_nMode);
}

int IBaseIT1SenseController::getShutterMode(int& p_nMode) {
    int byte = 0;
    if (!m_link.readRegister(kIrisSetup, 1, byte)) {
        return 0;
    }
    m_n0A01Value = byte;
    p_nMode = RegisterBytes::field(byte, 8, kShutterModeBit, 1);
    return 1;
}

int IBaseIT1SenseController::setIrisDriveMode(int p_nValue) {
    return setCachedField(m_n0A01Value, kIrisSetup, 0, 2, p_nValue);
}

int IBaseIT1SenseController::getIrisDriveMode(int& p_nValue) {
    int byte = 0;
    if (!m_link.readRegister(kIrisSetup, 1, byte)) {
        return 0;
    }
    m_n0A01Value = byte;
    p_nValue = RegisterBytes::field(byte, 8, 0, 2);
    return 1;
}

int IBaseIT1SenseController::setGama(int p_nValue) {
    if (!m_link.writeRegister(kGamma, 1, kGammaValues[p_nValue])) {
        std::printf("set setGama(%d) failed\n", p_nValue);
        return 0;
    }
    return 1;
}

int IBaseIT1SenseController::getGama(int& p_nValue) {
    int byte = 0;
    if (!m_link.readRegister(kGamma, 1, byte)) {
        return 0;
    }
    for (int step = 0; step < kGammaSteps; ++step) {
        if (kGammaValues[step] == byte) {
            p_nValue = step;
            return 1;
        }
    }
    ErrorPrintf("gamma register 0x%02x is no gamma step", byte);
    return 0;
}

int IBaseIT1SenseController::setChroma(int p_nValue) {
    for (const Chroma& chroma : kChroma) {
        if (!m_link.writeRegister(chroma.nRegister, 2,
                                  chroma.nFactory * p_nValue / kChromaFactory)) {
            ErrorPrintf("set %s failed ", chroma.szName);
            return 0;
        }
    }
    return 1;
}

int IBaseIT1SenseController::getChroma(int& p_nValue) {
    int ry1 = 0;
    if (!m_link.readRegister(kChroma[0].nRegister, 2, ry1)) {
        return 0;
    }
    int factory = kChroma[0].nFactory;
    p_nValue = (ry1 * kChromaFactory + factory / 2) / factory;
    return 1;
}

int IBaseIT1SenseController::setWhiteBalance(int p_nWBValue) {
    if (!m_link.writeRegister(kWhiteBalance.nRegister, 1, p_nWBValue)) {
        ErrorPrintf(kWhiteBalanceFailure, p_nWBValue);
        return 0;
    }
    return 1;
}

int IBaseIT1SenseController::getWhiteBalance(int& p_nWBValue) {
    return read(kWhiteBalance, p_nWBValue);
}

int IBaseIT1SenseController::setIrisSpeed(int p_nSpeed) {
    for (int index = 0; index < 4; ++index) {
        if (!m_link.writeRegister(kIrisRegisters[index], 1, kIrisSpeeds[p_nSpeed - 1][index])) {
            return 0;
        }
    }
    return 1;
}

int IBaseIT1SenseController::getIrisSpeed(int& p_nSpeed) {
    int first = 0;
    if (!m_link.readRegister(kIrisRegisters[0], 1, first)) {
        return 0;
    }
    for (int speed = 1; speed <= kIrisSpeedCount; ++speed) {
        if (kIrisSpeeds[speed - 1][0] == first) {
            p_nSpeed = speed;
            return 1;
        }
    }
    ErrorPrintf("invalid iris speed value (%d)", first);
    return 0;
}

int IBaseIT1SenseController::setInfrared(int p_nInfrared) {
    m_nInfraredSetup = p_nInfrared;
    // At night the LEDs follow at once.
    return m_nDNState == 0 ? driveLines(false) : 1;
}

int IBaseIT1SenseController::getInfrared(int& p_nInfrared) {
    p_nInfrared = m_nInfraredSetup;
    return 1;
}

int IBaseIT1SenseController::getDayNightValue(int& p_nState) {
    return m_link.readRegister(kDayNightState, 1, p_nState);
}

int IBaseIT1SenseController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    return setVideoOutSetup(p_nVideoSystem == 1 ? 1 : 0);
}

int IBaseIT1SenseController::setParameterToSensor(int p_nId, int p_nValue) {
    if (m_SensorStatus != ISensorController::InitSuccess) {
        ErrorPrintf("m_BaseSensorStatus != ISensorController::InitSuccess!");
        return 0;
    }
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int IBaseIT1SenseController::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    return m_parameters.read(*this, *this, p_nId, p_nValue) == 1 ? 1 : 0;
}

int IBaseIT1SenseController::initMember(const ModuleConfigure&, ModuleParameterParser&) {
    return 1;
}

int IBaseIT1SenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("____IBaseIT1SenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    if (!initLine(p_config, detail)) {
        return 0;
    }
    int value = 0;
    if (getMirror(value) == 0) {
        ErrorPrintf("Init getMirror Value failed");
    }
    if (getChroma(value) == 0) {
        ErrorPrintf("Init getChroma Value failed");
    }
    if (m_link.readRegister(kLowSharpness, 1, value)) {
        m_nLowSharpness = value;
    } else {
        ErrorPrintf("Init Low Sharpness Value failed");
    }
    if (m_link.readRegister(kIrisSetup, 1, value)) {
        m_n0A01Value = value;
        if (!fixedShutter() && read(kMinShutter, value)) {
            m_nMinShutter = value;
        }
    } else {
        ErrorPrintf("Init Low Shutter Value failed");
    }
    int toNight = 0;
    int toDay = 0;
    if (m_link.readRegister(kDayNightRegister, 1, value) && read(kDayToNight, toNight) &&
        read(kNightToDay, toDay)) {
        m_n0101Value = value;
        m_nDayToNight = toNight;
        m_nNightToDay = toDay;
    } else {
        ErrorPrintf("Init Day Night Failed");
    }
    if (!base_setDayToNightTransition(0)) {
        ErrorPrintf("init base_setDayToNightTransition(0) failed");
    }
    if (!base_setNightToDayTransition(0)) {
        ErrorPrintf("init base_setNightToDayTransition(0) failed");
    }
    if (!initMember(p_config, detail)) {
        return 0;
    }
    startSwitchThread();
    return 1;
}
