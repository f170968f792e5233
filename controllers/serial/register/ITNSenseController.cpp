#include "ITNSenseController.h"

#include <cstdio>

namespace {

typedef ITNSenseController::Setting Setting;

const Setting kWDR = {0x1F0000, 1};
const Setting kBrightness = {0x1A0005, 1};
const Setting kSharpness = {0x1A0006, 1};
const Setting kChroma = {0x1A0003, 1};
const Setting kMirror = {0x000004, 1};
const Setting kFixShutter = {0x150032, 2};
const Setting kMaxShutter = {0x15000E, 2};
const Setting kMinShutter = {0x15000C, 2};
const Setting kMaxGain = {0x150010, 2};
const Setting kDayToNight = {0x1B0558, 2};
const Setting kNightToDay = {0x1B055A, 2};
const Setting kNightColor = {0x1A0002, 1};
const Setting kWBMode = {0x170000, 1};
const Setting kAutoIris = {0x1500C4, 1};
const Setting kVoltage = {0x13001B, 1};
const Setting kIrisSpeed = {0x130018, 1};
const Setting kAE = {0x150002, 1};
const Setting kSpecific = {0x17009E, 1};
const Setting kSurrounding = {0x150025, 1};
const Setting kNoiseReduction = {0x1A0007, 1};
const Setting kGamma = {0x1C0000, 1};
const Setting kPicture = {0x1A0001, 1};

const int kSpotAE = 0x150024;
const int kAETable = 0x1500BC;
const int kDayNightValue = 0x2A0240;
const int kFlickerTables[3][4] = {{15, 30, 60, 10000}, {25, 50, 100, 100}, {30, 60, 120, 120}};
const int kResetAfterFailedReads = 3;
const int kDefaultFixShutter = 50;
// The shutter registers hold N of 1/N s.
const int kLongestShutter = 1;
const int kShortestShutter = 10000;

typedef ParameterRow<ITNSenseController> P;
typedef ITNSenseController N;
typedef ParameterRole R;
typedef ParameterUnit U;

const ParameterMenuEntry kWDRModes[] = {{0, "off"}, {1, "low"}, {2, "middle"}, {3, "high"}};
const ParameterMenuEntry kMirrors[] = {{0, "off"}, {1, "horizontal"}, {2, "vertical"}, {3, "both"}};
const ParameterMenuEntry kShutterModes[] = {{0, "auto"}, {1, "fixed"}};
// 0: the thread follows the module's own judgement; 1 colour, 2 black and
// white, held.
const ParameterMenuEntry kDayNightModes[] = {{0, "auto"}, {1, "day"}, {2, "night"}};
const ParameterMenuEntry kWhiteBalances[] = {
    {0, "auto"}, {1, "indoor"}, {2, "outdoor"}, {3, "atw"}, {4, "manual"}};
// The flicker tables, in their order.
const ParameterMenuEntry kFlickerModes[] = {{0, "off"}, {1, "50hz"}, {2, "60hz"}};

// The rows are where the values each setter takes live: the table refuses
// anything else before the setter runs ("setWDR(4) is out of range").
const P kRows[] = {
    P::readWrite(1, "setWDR", &N::setWDR, &N::getWDR).menu("wdr", R::WDR_MODE, kWDRModes),
    P::readWrite(2, "setBrightness", &N::setBrightness, &N::getBrightness)
        .range("brightness", R::BRIGHTNESS, 0, 255)
        .factory(128),
    P::readWrite(3, "setSharpness", &N::setSharpness, &N::getSharpness)
        .range("sharpness", R::SHARPNESS, 0, 15)
        .factory(8),
    P::readWrite(4, "setChroma", &N::setChroma, &N::getChroma)
        .range("chroma", R::SATURATION, 0, 255)
        .factory(128),
    P::readWrite(5, "setMirror", &N::setMirror, &N::getMirror)
        .menu("mirror", R::MIRROR_FLIP, kMirrors),
    P::readWrite(6, "setShutter", &N::setShutter, &N::getShutter)
        .menu("shutter-mode", R::EXPOSURE_MODE, kShutterModes),
    P::readWrite(7, "setFixShutter", &N::setFixShutter, &N::getFixShutter)
        .range("fixed-shutter", R::SHUTTER, kLongestShutter, kShortestShutter, U::SHUTTER_DIVISOR)
        .factory(kDefaultFixShutter),
    P::readWrite(8, "setMaxShutter", &N::setMaxShutter, &N::getMaxShutter)
        .range("max-shutter", R::MAX_SHUTTER, kLongestShutter, kShortestShutter, U::SHUTTER_DIVISOR)
        .factory(10000),
    P::readWrite(9, "setMinShutter", &N::setMinShutter, &N::getMinShutter)
        .range("min-shutter", R::MIN_SHUTTER, kLongestShutter, kShortestShutter, U::SHUTTER_DIVISOR)
        .factory(25),
    P::readWrite(10, "setDNMode", &N::setDNMode, &N::getDNMode)
        .menu("daynight-mode", R::DAY_NIGHT_MODE, kDayNightModes),
    P::readWrite(11, "setMaxGain", &N::setMaxGain, &N::getMaxGain)
        .range("max-gain", R::MAX_GAIN, 0, 1023, U::GAIN_STEP)
        .factory(480),
    P::readWrite(12, "setDayToNightTransition", &N::setDayToNightTransition,
                 &N::getDayToNightTransition)
        .range("dtn-level", R::DTN_THRESHOLD, 0, 1023)
        .factory(600),
    P::readWrite(13, "setNightToDayTransition", &N::setNightToDayTransition,
                 &N::getNightToDayTransition)
        .range("ntd-level", R::NTD_THRESHOLD, 0, 1023)
        .factory(300),
    // 1 keeps the colour at night.
    P::readWrite(14, "setNightColor", &N::setNightColor, &N::getNightColor).onOff("night-color"),
    P::readWrite(15, "setWBMode", &N::setWBMode, &N::getWBMode)
        .menu("wb-mode", R::WB_MODE, kWhiteBalances),
    P::readWrite(16, "setAutoIris", &N::setAutoIris, &N::getAutoIris)
        .onOff("auto-iris", R::IRIS_MODE)
        .factory(1),
    P::readWrite(17, "setVoltage", &N::setVoltage, &N::getVoltage)
        .range("iris-voltage", R::NONE, 0, 255, U::RAW)
        .factory(128),
    P::readWrite(18, "setIrisSpeed", &N::setIrisSpeed, &N::getIrisSpeed)
        .range("iris-speed", R::NONE, 1, 10)
        .factory(5),
    // The exposure's target level.
    P::readWrite(19, "setAE", &N::setAE, &N::getAE).range("ae-level", R::NONE, 0, 255).factory(128),
    P::readWrite(20, "setPreventFlash", &N::setPreventFlash, &N::getPreventFlash)
        .menu("anti-flicker", R::ANTI_FLICKER, kFlickerModes),
    P::readWrite(21, "setSpecific", &N::setSpecific, &N::getSpecific)
        .range("scene-preset", R::NONE, 0, 7),
    // The weighting of a bright background.
    P::readWrite(22, "setSurrounding", &N::setSurrounding, &N::getSurrounding)
        .range("surrounding", R::BACKLIGHT_COMPENSATION, 0, 3)
        .factory(1),
    // The spot the exposure is measured at, on a 16 x 16 grid.
    P::readWrite(23, "setSpotAE_X", &N::setSpotAE_X, &N::getSpotAE_X)
        .range("spot-x", R::NONE, 0, 15)
        .factory(8),
    P::readWrite(24, "setSpotAE_Y", &N::setSpotAE_Y, &N::getSpotAE_Y)
        .range("spot-y", R::NONE, 0, 15)
        .factory(8),
    P::readWrite(25, "setNoiseReduction", &N::setNoiseReduction, &N::getNoiseReduction)
        .range("noise-reduction", R::NONE, 0, 3, U::STEP)
        .factory(1),
    P::readWrite(26, "setGAMA", &N::setGAMA, &N::getGAMA).range("gamma", R::NONE, 0, 4, U::STEP),
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
    m_parameters.setRefusalLog(&ITNSenseController::refuse);
    describeParametersBy(&m_parameters);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 26);
    m_nDNSetup = 0;
    setSensorConfigVersion(5);
    setSensorConfigVersion2(3);
}

void ITNSenseController::refuse(const ParameterRow<ITNSenseController>& p_row, int p_nValue) {
    ErrorPrintf("%s(%d) is out of range", p_row.szSetter, p_nValue);
}

int ITNSenseController::write(const Setting& p_setting, int p_nValue) {
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
    OVMutexManager guard(m_spotMutex);
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
    OVMutexManager guard(m_spotMutex);
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
