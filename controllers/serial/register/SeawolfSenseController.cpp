#include "SeawolfSenseController.h"

#include <cstdio>

namespace {

typedef SeawolfSenseController::Item Item;

const Item kResolution = {0x01, 0x01};
const Item kSharpness = {0x01, 0x02};
const Item kSatulation = {0x01, 0x03};
const Item kGama = {0x01, 0x04};
const Item kNoiseReduction = {0x01, 0x05};
const Item kBright = {0x01, 0x06};
const Item kFlip = {0x01, 0x07};
const Item kFluorescent = {0x01, 0x08};
const Item kBLC = {0x02, 0x01};
const Item kShutterlimit = {0x02, 0x02};
const Item kEXPpreference = {0x02, 0x03};
const Item kExparea = {0x02, 0x04};
const Item kMaxGain = {0x02, 0x05};
const Item kGainBoost = {0x02, 0x06};
const Item kWDR = {0x02, 0x07};
const Item kWBmode = {0x03, 0x01};
const Item kPicture = {0x03, 0x02};
const Item kDayToNight = {0x03, 0x03};
const Item kNightToDay = {0x03, 0x04};
const Item kDayNightState = {0x03, 0x05};
const Item kShowFrame = {0x04, 0x01};
const Item kDirection = {0x04, 0x02};
const Item kLensType = {0x04, 0x03};
const Item kVideoSystem = {0x05, 0x01};

const int kDayNightModeId = 14;
const int kModulePicture = 0;  // the module switches by itself
const int kColourPicture = 1;
const int kBlackWhitePicture = 2;
const int kVersionItem = 0x0F;
const int kVersionBytes = 4;
const int kEffectiveTries = 10;
const long kEffectivePauseUs = 200000;

typedef ParameterRow<SeawolfSenseController> P;
typedef SeawolfSenseController W;
typedef ISensorController S;

int showFrame(ISensorController&, SeawolfSenseController& p_target, int) {
    return p_target.setShowFrame(1);
}

int hideFrame(ISensorController&, SeawolfSenseController& p_target, int) {
    return p_target.setShowFrame(0);
}

template <int Direction>
int move(ISensorController&, SeawolfSenseController& p_target, int) {
    return p_target.setDirectionOperator(Direction);
}

typedef ParameterRole R;
typedef ParameterUnit U;

const ParameterMenuEntry kResolutions[] = {{0, "1080p"}, {1, "720p"}, {2, "d1"}};
const ParameterMenuEntry kFlips[] = {{0, "off"}, {1, "mirror"}, {2, "flip"}, {3, "both"}};
const ParameterMenuEntry kFlickerModes[] = {{0, "off"}, {1, "50hz"}, {2, "60hz"}};
const ParameterMenuEntry kExposurePreferences[] = {
    {0, "auto"}, {1, "shutter-first"}, {2, "gain-first"}};
const ParameterMenuEntry kExposureAreas[] = {
    {0, "whole"}, {1, "centre"}, {2, "top"}, {3, "bottom"}, {4, "spot"}};
const ParameterMenuEntry kWhiteBalances[] = {
    {0, "auto"}, {1, "indoor"}, {2, "outdoor"}, {3, "atw"}, {4, "manual"}};
const ParameterMenuEntry kLensTypes[] = {{0, "fixed"}, {1, "varifocal"}, {2, "motorised"}};

// The rows are where the values each item takes live: the table refuses
// anything else before the setter runs (refuse logs why).
const P kRows[] = {
    P::readWrite(1, "setResolution", &W::setResolution, &W::getResolution)
        .menu("resolution", R::NONE, kResolutions),
    P::readWrite(2, "setSharpness", &W::setSharpness, &W::getSharpness)
        .range("sharpness", R::SHARPNESS, 0, 10)
        .factory(5),
    P::readWrite(3, "setSatulation", &W::setSatulation, &W::getSatulation)
        .range("saturation", R::SATURATION, 0, 10)
        .factory(5),
    P::readWrite(4, "setGama", &W::setGama, &W::getGama)
        .range("gamma", R::NONE, 0, 4, U::STEP)
        .factory(1),
    P::readWrite(5, "setNoiseReduction", &W::setNoiseReduction, &W::getNoiseReduction)
        .range("noise-reduction", R::NONE, 0, 3, U::STEP)
        .factory(1),
    P::readWrite(6, "setBright", &W::setBright, &W::getBright)
        .range("brightness", R::BRIGHTNESS, 0, 10)
        .factory(5),
    P::readWrite(7, "setFlip", &W::setFlip, &W::getFlip).menu("flip", R::MIRROR_FLIP, kFlips),
    P::readWrite(8, "setFluorescent", &W::setFluorescent, &W::getFluorescent)
        .menu("anti-flicker", R::ANTI_FLICKER, kFlickerModes),
    P::readWrite(9, "setBLC", &W::setBLC, &W::getBLC).onOff("blc", R::BACKLIGHT_COMPENSATION),
    // The longest exposure, 1/25 s (0) .. 1/10000 s (7).
    P::readWrite(10, "setShutterlimit", &W::setShutterlimit, &W::getShutterlimit)
        .range("shutter-limit", R::MAX_SHUTTER, 0, 7, U::STEP)
        .factory(3),
    P::readWrite(11, "setEXPpreference", &W::setEXPpreference, &W::getEXPpreference)
        .menu("exposure-preference", R::NONE, kExposurePreferences),
    P::readWrite(12, "setExparea", &W::setExparea, &W::getExparea)
        .menu("exposure-area", R::NONE, kExposureAreas),
    P::readWrite(13, "setWBmode", &W::setWBmode, &W::getWBmode)
        .menu("wb-mode", R::WB_MODE, kWhiteBalances),
    // Through setDayNightMode, which checks it for its direct callers too.
    P::base(kDayNightModeId, S::BASE_DAYNIGHT_MODE, "setDayNightMode")
        .menu("daynight-mode", R::DAY_NIGHT_MODE, kBaseDayNightModes),
    P::readWrite(16, "setDayToNightTransition", &W::setDayToNightTransition,
                 &W::getDayToNightTransition)
        .range("dtn-level", R::DTN_THRESHOLD, 0, 255)
        .factory(160),
    P::readWrite(17, "setNightToDayTransition", &W::setNightToDayTransition,
                 &W::getNightToDayTransition)
        .range("ntd-level", R::NTD_THRESHOLD, 0, 255)
        .factory(80),
    P::readWrite(18, "setMaxGain", &W::setMaxGain, &W::getMaxGain)
        .range("max-gain", R::MAX_GAIN, 0, 15, U::GAIN_STEP)
        .factory(8),
    P::readWrite(19, "setGainBoost", &W::setGainBoost, &W::getGainBoost).onOff("gain-boost"),
    P::readWrite(20, "setWDR", &W::setWDR, &W::getWDR).range("wdr", R::WDR_LEVEL, 0, 3, U::STEP),
    // The privacy frame and its moves; the value is ignored.
    P::action(22, "setShowFrame", showFrame, 0).button("show-frame"),
    P::action(23, "setShowFrame", hideFrame, 0).button("hide-frame"),
    P::action(24, "setDirectionOperator", move<1>, 0).button("move-up"),
    P::action(25, "setDirectionOperator", move<2>, 0).button("move-down"),
    P::action(26, "setDirectionOperator", move<3>, 0).button("move-left"),
    P::action(27, "setDirectionOperator", move<4>, 0).button("move-right"),
    P::action(28, "setDirectionOperator", move<5>, 0).button("move-stop"),
    P::readWrite(29, "setLensType", &W::setLensType, &W::getLensType)
        .menu("lens-type", R::NONE, kLensTypes),
    P::base(30, S::BASE_TNF_MODE, "setTNFMode"),
};

}  // namespace

SeawolfSenseController::SeawolfSenseController()
    : IRegisterSenseController(12),
      m_link(*this, m_pUART, m_nUARTIndex, m_mutex),
      m_parameters({ParameterList<SeawolfSenseController>(kRows),
                    dayNightScheduleRows<SeawolfSenseController>()},
                   "%s(%d) failed") {
    m_parameters.setRefusalLog(&SeawolfSenseController::refuse);
    describeParametersBy(&m_parameters);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 14);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 16, 20);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 29, 30);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 57, 61);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 22, 28);
    setSensorConfigVersion(8);
    setSensorConfigVersion2(2);
}

void SeawolfSenseController::refuse(const ParameterRow<SeawolfSenseController>& p_row,
                                    int p_nValue) {
    // A transition out of order with its partner is refused for that first.
    if ((p_row.nId == 16 || p_row.nId == 17) && !transitionInOrder(p_row.nId, p_nValue)) {
        return;
    }
    ErrorPrintf("%s(%d) is out of range", p_row.szSetter, p_nValue);
}

int SeawolfSenseController::transitionInOrder(int p_nId, int p_nValue) {
    int other = 0;
    if (p_nId == 16 && partnerValue(17, other) && p_nValue < other) {
        ErrorPrintf("day-to-night transition %d is below night-to-day %d", p_nValue, other);
        return 0;
    }
    if (p_nId == 17 && partnerValue(16, other) && p_nValue > other) {
        ErrorPrintf("night-to-day transition %d is above day-to-night %d", p_nValue, other);
        return 0;
    }
    return 1;
}

int SeawolfSenseController::write(const Item& p_item, int p_nValue) {
    return m_link.setItem(p_item.nGroup, p_item.nItem, p_nValue);
}

int SeawolfSenseController::read(const Item& p_item, int& p_nValue) {
    return m_link.getItem(p_item.nGroup, p_item.nItem, p_nValue);
}

SC_REGISTER_ACCESSORS(SeawolfSenseController, Resolution, kResolution)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Sharpness, kSharpness)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Satulation, kSatulation)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Gama, kGama)
SC_REGISTER_ACCESSORS(SeawolfSenseController, NoiseReduction, kNoiseReduction)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Bright, kBright)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Flip, kFlip)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Fluorescent, kFluorescent)
SC_REGISTER_ACCESSORS(SeawolfSenseController, BLC, kBLC)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Shutterlimit, kShutterlimit)
SC_REGISTER_ACCESSORS(SeawolfSenseController, EXPpreference, kEXPpreference)
SC_REGISTER_ACCESSORS(SeawolfSenseController, Exparea, kExparea)
SC_REGISTER_ACCESSORS(SeawolfSenseController, WBmode, kWBmode)
SC_REGISTER_ACCESSORS(SeawolfSenseController, MaxGain, kMaxGain)
SC_REGISTER_ACCESSORS(SeawolfSenseController, GainBoost, kGainBoost)
SC_REGISTER_ACCESSORS(SeawolfSenseController, WDR, kWDR)
SC_REGISTER_ACCESSORS(SeawolfSenseController, LensType, kLensType)

int SeawolfSenseController::setDayToNightTransition(int p_nValue) {
    return transitionInOrder(16, p_nValue) && write(kDayToNight, p_nValue);
}

int SeawolfSenseController::getDayToNightTransition(int& p_nValue) {
    return read(kDayToNight, p_nValue);
}

int SeawolfSenseController::setNightToDayTransition(int p_nValue) {
    return transitionInOrder(17, p_nValue) && write(kNightToDay, p_nValue);
}

int SeawolfSenseController::getNightToDayTransition(int& p_nValue) {
    return read(kNightToDay, p_nValue);
}

int SeawolfSenseController::setShowFrame(int p_nShow) {
    return write(kShowFrame, p_nShow);
}

int SeawolfSenseController::setDirectionOperator(int p_nDirection) {
    return write(kDirection, p_nDirection);
}

int SeawolfSenseController::getDayNightValue(int& p_nState) {
    return read(kDayNightState, p_nState);
}

int SeawolfSenseController::getDNStatusFromSensor(int& p_nStatus) {
    int state = -1;
    if (!getDayNightValue(state) || (state != 0 && state != 1)) {
        return 0;
    }
    p_nStatus = state;
    return 1;
}

int SeawolfSenseController::turnPictureToDay() {
    return write(kPicture, kColourPicture);
}

int SeawolfSenseController::turnPictureToNight() {
    return write(kPicture, kBlackWhitePicture);
}

int SeawolfSenseController::setDayNightMode(int p_nMode) {
    // Hosts call this directly too: the row's menu checks both ways in.
    const ParameterTable<SeawolfSenseController>::Row* modes = m_parameters.find(kDayNightModeId);
    if (modes != nullptr && !modes->takes(p_nMode)) {
        ErrorPrintf("setDayNightMode(%d) is out of range", p_nMode);
        return 0;
    }
    // Mode 4 is the module's own switching; leaving it, the base's thread
    // switches the picture in its next cycle.
    if (p_nMode == 4 && !write(kPicture, kModulePicture)) {
        return 0;
    }
    return ISensorController::setDayNightMode(p_nMode);
}

int SeawolfSenseController::waitForEffective(int p_nGroup, int p_nItem, int p_nValue) {
    for (int attempt = 0; attempt < kEffectiveTries; ++attempt) {
        int value = -1;
        if (m_link.getItem(p_nGroup, p_nItem, value) && value == p_nValue) {
            return 1;
        }
        OrvaneTime(0, kEffectivePauseUs).wait();
    }
    ErrorPrintf("waitForEffective(0x%02x,0x%02x) timed out", p_nGroup, p_nItem);
    return 0;
}

int SeawolfSenseController::setVideoSystem(int p_nVideoSystem) {
    int system = p_nVideoSystem == 1 ? 1 : 0;
    int current = -1;
    if (read(kVideoSystem, current) && current == system) {
        return 1;
    }
    return write(kVideoSystem, system) &&
           waitForEffective(kVideoSystem.nGroup, kVideoSystem.nItem, system);
}

int SeawolfSenseController::getSensorSoftVersion(std::string& p_strVersion) {
    char version[kVersionBytes] = {0};
    int length = 0;
    if (!m_link.getParameterValue(kVersionItem, version, kVersionBytes, length) ||
        length != kVersionBytes) {
        return 0;
    }
    char text[24];
    std::snprintf(text, sizeof(text), "%d.%d.%d.%d", RegisterBytes::at(version, 0),
                  RegisterBytes::at(version, 1), RegisterBytes::at(version, 2),
                  RegisterBytes::at(version, 3));
    p_strVersion = text;
    return 1;
}

int SeawolfSenseController::getCameraVerInf(std::string& p_strVersion) {
    return getSensorSoftVersion(p_strVersion);
}

int SeawolfSenseController::getMirrorValue(int& p_nMirror) {
    return getParameter(7, p_nMirror) ? 1 : getFlip(p_nMirror);
}

int SeawolfSenseController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    return setVideoSystem(p_nVideoSystem);
}

int SeawolfSenseController::setParameterToSensorBase(int p_nId, int p_nValue) {
    return m_parameters.write(*this, *this, p_nId, p_nValue);
}

int SeawolfSenseController::setParameterToSensor(int p_nId, int p_nValue) {
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    return base != -1 ? base : setParameterToSensorBase(p_nId, p_nValue);
}

int SeawolfSenseController::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    return m_parameters.read(*this, *this, p_nId, p_nValue) == 1 ? 1 : 0;
}

int SeawolfSenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("____SeawolfSenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    if (!initLine(p_config, detail)) {
        return 0;
    }
    std::string version;
    if (getSensorSoftVersion(version)) {
        InitPrintf("Seawolf soft version %s", version.c_str());
    }
    return 1;
}
