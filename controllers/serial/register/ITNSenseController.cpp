#include "ITNSenseController.h"

#include <cstdio>

namespace {

typedef ITNSenseController::Setting Setting;

const Setting kWDR = {"setWDR", 0x1F0000, 1, 0, 3};
const Setting kBrightness = {"setBrightness", 0x1A0005, 1, 0, 255};
const Setting kSharpness = {"setSharpness", 0x1A0006, 1, 0, 15};
const Setting kChroma = {"setChroma", 0x1A0003, 1, 0, 255};
const Setting kMirror = {"setMirror", 0x000004, 1, 0, 3};
const Setting kFixShutter = {"setFixShutter", 0x150032, 2, 1, 10000};
const Setting kMaxShutter = {"setMaxShutter", 0x15000E, 2, 1, 10000};
const Setting kMinShutter = {"setMinShutter", 0x15000C, 2, 1, 10000};
const Setting kMaxGain = {"setMaxGain", 0x150010, 2, 0, 1023};
const Setting kDayToNight = {"setDayToNightTransition", 0x1B0558, 2, 0, 1023};
const Setting kNightToDay = {"setNightToDayTransition", 0x1B055A, 2, 0, 1023};
const Setting kNightColor = {"setNightColor", 0x1A0002, 1, 0, 1};
const Setting kWBMode = {"setWBMode", 0x170000, 1, 0, 4};
const Setting kAutoIris = {"setAutoIris", 0x1500C4, 1, 0, 1};
const Setting kVoltage = {"setVoltage", 0x13001B, 1, 0, 255};
const Setting kIrisSpeed = {"setIrisSpeed", 0x130018, 1, 1, 10};
const Setting kAE = {"setAE", 0x150002, 1, 0, 255};
const Setting kSpecific = {"setSpecific", 0x17009E, 1, 0, 7};
const Setting kSurrounding = {"setSurrounding", 0x150025, 1, 0, 3};
const Setting kNoiseReduction = {"setNoiseReduction", 0x1A0007, 1, 0, 3};
const Setting kGamma = {"setGAMA", 0x1C0000, 1, 0, 4};
const Setting kPicture = {"setPicture", 0x1A0001, 1, 0, 1};

const int kSpotAE = 0x150024;
const int kAETable = 0x1500BC;
const int kDayNightValue = 0x2A0240;
const int kFlickerTables[3][4] = {{15, 30, 60, 10000}, {25, 50, 100, 100}, {30, 60, 120, 120}};
const int kResetAfterFailedReads = 3;
const int kDefaultFixShutter = 50;

typedef ParameterRow<ITNSenseController> P;
typedef ITNSenseController N;

const P kRows[] = {
    P::readWrite(1, "setWDR", &N::setWDR, &N::getWDR),
    P::readWrite(2, "setBrightness", &N::setBrightness, &N::getBrightness),
    P::readWrite(3, "setSharpness", &N::setSharpness, &N::getSharpness),
    P::readWrite(4, "setChroma", &N::setChroma, &N::getChroma),
    P::readWrite(5, "setMirror", &N::setMirror, &N::getMirror),
    P::readWrite(6, "setShutter", &N::setShutter, &N::getShutter),
    P::readWrite(7, "setFixShutter", &N::setFixShutter, &N::getFixShutter),
    P::readWrite(8, "setMaxShutter", &N::setMaxShutter, &N::getMaxShutter),
    P::readWrite(9, "setMinShutter", &N::setMinShutter, &N::getMinShutter),
    P::readWrite(10, "setDNMode", &N::setDNMode, &N::getDNMode),
    P::readWrite(11, "setMaxGain", &N::setMaxGain, &N::getMaxGain),
    P::readWrite(12, "setDayToNightTransition", &N::setDayToNightTransition,
                 &N::getDayToNightTransition),
    P::readWrite(13, "setNightToDayTransition", &N::setNightToDayTransition,
                 &N::getNightToDayTransition),
    P::readWrite(14, "setNightColor", &N::setNightColor, &N::getNightColor),
    P::readWrite(15, "setWBMode", &N::setWBMode, &N::getWBMode),
    P::readWrite(16, "setAutoIris", &N::setAutoIris, &N::getAutoIris),
    P::readWrite(17, "setVoltage", &N::setVoltage, &N::getVoltage),
    P::readWrite(18, "setIrisSpeed", &N::setIrisSpeed, &N::getIrisSpeed),
    P::readWrite(19, "setAE", &N::setAE, &N::getAE),
    P::readWrite(20, "setPreventFlash", &N::setPreventFlash, &N::getPreventFlash),
    P::readWrite(21, "setSpecific", &N::setSpecific, &N::getSpecific),
    P::readWrite(22, "setSurrounding", &N::setSurrounding, &N::getSurrounding),
    P::readWrite(23, "setSpotAE_X", &N::setSpotAE_X, &N::getSpotAE_X),
    P::readWrite(24, "setSpotAE_Y", &N::setSpotAE_Y, &N::getSpotAE_Y),
    P::readWrite(25, "setNoiseReduction", &N::setNoiseReduction, &N::getNoiseReduction),
    P::readWrite(26, "setGAMA", &N::setGAMA, &N::getGAMA),
};

}  // namespace

ITNSenseController::ITNSenseController()
    : IDNSwitchSenseController(
          15, "ITNSenseController",
          hooks(&ITNSenseController::getDayNightValue, &ITNSenseController::enterDayMode,
                &ITNSenseController::enterNightMode)),
      m_link(*this, m_pUART, m_nUARTIndex),
      m_nFixShutter(kDefaultFixShutter),
      m_nShutterMode(0),
      m_nExposureLevel(-1),
      m_nFailedReads(0),
      m_parameters({ParameterList<ITNSenseController>(kRows)}, "%s(%d) failed") {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 26);
    m_nDNSetup = 0;
    setSensorConfigVersion(5);
    setSensorConfigVersion2(3);
}

int ITNSenseController::write(const Setting& p_setting, int p_nValue) {
    if (p_nValue < p_setting.nMin || p_nValue > p_setting.nMax) {
        ErrorPrintf("%s(%d) is out of range", p_setting.szSetter, p_nValue);
        return 0;
    }
    return m_link.writeRegister(p_setting.nAddress, p_setting.nCount, p_nValue);
}

int ITNSenseController::read(const Setting& p_setting, int& p_nValue) {
    return m_link.readRegister(p_setting.nAddress, p_setting.nCount, p_nValue);
}

SC_REGISTER_ACCESSORS(ITNSenseController, WDR, kWDR)
SC_REGISTER_ACCESSORS(ITNSenseController, Brightness, kBrightness)
SC_REGISTER_ACCESSORS(ITNSenseController, Sharpness, kSharpness)
SC_REGISTER_ACCESSORS(ITNSenseController, Chroma, kChroma)
SC_REGISTER_ACCESSORS(ITNSenseController, MaxShutter, kMaxShutter)
SC_REGISTER_ACCESSORS(ITNSenseController, MinShutter, kMinShutter)
SC_REGISTER_ACCESSORS(ITNSenseController, MaxGain, kMaxGain)
SC_REGISTER_ACCESSORS(ITNSenseController, DayToNightTransition, kDayToNight)
SC_REGISTER_ACCESSORS(ITNSenseController, NightToDayTransition, kNightToDay)
SC_REGISTER_ACCESSORS(ITNSenseController, NightColor, kNightColor)
SC_REGISTER_ACCESSORS(ITNSenseController, WBMode, kWBMode)
SC_REGISTER_ACCESSORS(ITNSenseController, AutoIris, kAutoIris)
SC_REGISTER_ACCESSORS(ITNSenseController, Voltage, kVoltage)
SC_REGISTER_ACCESSORS(ITNSenseController, IrisSpeed, kIrisSpeed)
SC_REGISTER_ACCESSORS(ITNSenseController, AE, kAE)
SC_REGISTER_ACCESSORS(ITNSenseController, Specific, kSpecific)
SC_REGISTER_ACCESSORS(ITNSenseController, Surrounding, kSurrounding)
SC_REGISTER_ACCESSORS(ITNSenseController, NoiseReduction, kNoiseReduction)
SC_REGISTER_ACCESSORS(ITNSenseController, GAMA, kGamma)

SC_REGISTER_ACCESSORS(ITNSenseController, Mirror, kMirror)

int ITNSenseController::getMirrorValue(int& p_nMirror) {
    return getParameter(5, p_nMirror) ? 1 : getMirror(p_nMirror);
}

int ITNSenseController::setShutter(int p_nMode) {
    if (p_nMode < 0 || p_nMode > 1) {
        ErrorPrintf("setShutter(%d) is out of range", p_nMode);
        return 0;
    }
    if (!m_link.writeRegister(kFixShutter.nAddress, 2, p_nMode == 1 ? m_nFixShutter.load() : 0)) {
        return 0;
    }
    m_nShutterMode = p_nMode;
    return 1;
}

int ITNSenseController::getShutter(int& p_nMode) {
    int value = 0;
    if (!read(kFixShutter, value)) {
        return 0;
    }
    m_nShutterMode = value != 0 ? 1 : 0;
    p_nMode = m_nShutterMode;
    return 1;
}

int ITNSenseController::setFixShutter(int p_nValue) {
    if (p_nValue < kFixShutter.nMin || p_nValue > kFixShutter.nMax) {
        ErrorPrintf("%s(%d) is out of range", kFixShutter.szSetter, p_nValue);
        return 0;
    }
    // In auto the value waits for the fixed mode.
    if (m_nShutterMode == 1 && !write(kFixShutter, p_nValue)) {
        return 0;
    }
    m_nFixShutter = p_nValue;
    return 1;
}

int ITNSenseController::getFixShutter(int& p_nValue) {
    if (m_nShutterMode == 0) {
        p_nValue = m_nFixShutter;
        return 1;
    }
    return read(kFixShutter, p_nValue);
}

int ITNSenseController::setPreventFlash(int p_nValue) {
    if (p_nValue < 0 || p_nValue > 2) {
        ErrorPrintf("setPreventFlash(%d) is out of range", p_nValue);
        return 0;
    }
    char table[8];
    for (int step = 0; step < 4; ++step) {
        RegisterBytes::putBigEndian16(table + 2 * step, kFlickerTables[p_nValue][step]);
    }
    return m_link.writeBytes(kAETable, table, sizeof(table));
}

int ITNSenseController::getPreventFlash(int& p_nValue) {
    char table[6];
    if (!m_link.readBytes(kAETable, sizeof(table), table)) {
        return 0;
    }
    for (int row = 0; row < 3; ++row) {
        if (ITNLink::FlipChar(table) == kFlickerTables[row][0] &&
            ITNLink::FlipChar(table + 2) == kFlickerTables[row][1] &&
            ITNLink::FlipChar(table + 4) == kFlickerTables[row][2]) {
            p_nValue = row;
            return 1;
        }
    }
    ErrorPrintf("the AE table is none of the flicker tables");
    return 0;
}

int ITNSenseController::setSpot(int p_nX, int p_nY) {
    return m_link.writeRegister(kSpotAE, 1, (p_nX << 4) | p_nY);
}

int ITNSenseController::setSpotAE_X(int p_nValue) {
    int spot = 0;
    if (p_nValue < 0 || p_nValue > 15) {
        ErrorPrintf("setSpotAE_X(%d) is out of range", p_nValue);
        return 0;
    }
    return m_link.readRegister(kSpotAE, 1, spot) && setSpot(p_nValue, spot & 0x0F);
}

int ITNSenseController::getSpotAE_X(int& p_nValue) {
    int spot = 0;
    if (!m_link.readRegister(kSpotAE, 1, spot)) {
        return 0;
    }
    p_nValue = spot >> 4;
    return 1;
}

int ITNSenseController::setSpotAE_Y(int p_nValue) {
    int spot = 0;
    if (p_nValue < 0 || p_nValue > 15) {
        ErrorPrintf("setSpotAE_Y(%d) is out of range", p_nValue);
        return 0;
    }
    return m_link.readRegister(kSpotAE, 1, spot) && setSpot(spot >> 4, p_nValue);
}

int ITNSenseController::getSpotAE_Y(int& p_nValue) {
    int spot = 0;
    if (!m_link.readRegister(kSpotAE, 1, spot)) {
        return 0;
    }
    p_nValue = spot & 0x0F;
    return 1;
}

int ITNSenseController::setPicture(int p_nBlackWhite) {
    if (!write(kPicture, p_nBlackWhite)) {
        return 0;
    }
    m_nDNState = p_nBlackWhite ? 0 : 1;
    return 1;
}

int ITNSenseController::enterDayMode() {
    std::puts("enter day mode");
    return setPicture(0) && driveLines(true);
}

int ITNSenseController::enterNightMode() {
    std::puts("enter Night Mode");
    return setPicture(1) && driveLines(false);
}

int ITNSenseController::setDNMode(int p_nMode) {
    if (p_nMode < 0 || p_nMode > 2) {
        ErrorPrintf("setDNMode(%d) is out of range", p_nMode);
        return 0;
    }
    m_nDNSetup = p_nMode;
    m_nDayNightMode = p_nMode;
    if (isSwitchThreadRunning()) {
        stopSwitchThread();
    }
    switch (p_nMode) {
        case 1:
            m_szDecision = "colour: set by the day/night mode";
            return enterDayMode();
        case 2:
            m_szDecision = "black and white: set by the day/night mode";
            return enterNightMode();
        default:
            return startSwitchThread();
    }
}

int ITNSenseController::getDNMode(int& p_nMode) {
    p_nMode = m_nDNSetup;
    return 1;
}

int ITNSenseController::resetSensor() {
    ErrorPrintf("resetSensor: the module does not answer, its picture is set again");
    m_link.recvLeftData();
    return m_nDNState == 0 ? setPicture(1) : setPicture(0);
}

int ITNSenseController::getDayNightValue(int& p_nState) {
    char value[6];
    if (!m_link.readBytes(kDayNightValue, sizeof(value), value)) {
        if (++m_nFailedReads >= kResetAfterFailedReads) {
            m_nFailedReads = 0;
            resetSensor();
        }
        return 0;
    }
    m_nFailedReads = 0;
    m_nExposureLevel = static_cast<int>(ITNLink::changToInt(value));
    p_nState = ITNLink::FlipChar(value + 4);
    return 1;
}

int ITNSenseController::setParameterValue(const char* p_pBytes, int p_nLength) {
    if (p_nLength < 2 || p_nLength > 16) {
        return 0;
    }
    char command[16];
    for (int index = 0; index < p_nLength; ++index) {
        command[index] = p_pBytes[index];
    }
    return m_link.setParameterValue(command, p_nLength);
}

int ITNSenseController::getParameterValue(const char* p_pRequest, int p_nRequestLength,
                                          char* p_pAnswer, int p_nAnswerLength) {
    if (p_nRequestLength < 2 || p_nRequestLength > 16) {
        return 0;
    }
    char command[16];
    for (int index = 0; index < p_nRequestLength; ++index) {
        command[index] = p_pRequest[index];
    }
    return m_link.getParameterValue(command, p_nRequestLength, p_pAnswer, p_nAnswerLength);
}

int ITNSenseController::setSensorVideoSystem(int, const VideoResolution&) {
    return 1;
}

int ITNSenseController::setParameterToSensorBase(int p_nId, int p_nValue) {
    int result = m_parameters.write(*this, *this, p_nId, p_nValue);
    return result == -1 ? 0 : result;
}

int ITNSenseController::setParameterToSensor(int p_nId, int p_nValue) {
    if (m_SensorStatus != ISensorController::InitSuccess) {
        ErrorPrintf("m_BaseSensorStatus != ISensorController::InitSuccess!");
        return 0;
    }
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    return base != -1 ? base : setParameterToSensorBase(p_nId, p_nValue);
}

int ITNSenseController::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    return m_parameters.read(*this, *this, p_nId, p_nValue) == 1 ? 1 : 0;
}

int ITNSenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("____ITNSenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    if (!initLine(p_config, detail)) {
        return 0;
    }
    int mode = 0;
    if (!getShutter(mode)) {
        ErrorPrintf("Init getShutter Value failed");
    }
    startSwitchThread();
    return 1;
}
