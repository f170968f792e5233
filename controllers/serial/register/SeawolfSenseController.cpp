#include "SeawolfSenseController.h"

#include <cstdio>

namespace {

typedef SeawolfSenseController::Item Item;

const Item kResolution = {"setResolution", 0x01, 0x01, 2};
const Item kSharpness = {"setSharpness", 0x01, 0x02, 10};
const Item kSatulation = {"setSatulation", 0x01, 0x03, 10};
const Item kGama = {"setGama", 0x01, 0x04, 4};
const Item kNoiseReduction = {"setNoiseReduction", 0x01, 0x05, 3};
const Item kBright = {"setBright", 0x01, 0x06, 10};
const Item kFlip = {"setFlip", 0x01, 0x07, 3};
const Item kFluorescent = {"setFluorescent", 0x01, 0x08, 2};
const Item kBLC = {"setBLC", 0x02, 0x01, 1};
const Item kShutterlimit = {"setShutterlimit", 0x02, 0x02, 7};
const Item kEXPpreference = {"setEXPpreference", 0x02, 0x03, 2};
const Item kExparea = {"setExparea", 0x02, 0x04, 4};
const Item kMaxGain = {"setMaxGain", 0x02, 0x05, 15};
const Item kGainBoost = {"setGainBoost", 0x02, 0x06, 1};
const Item kWDR = {"setWDR", 0x02, 0x07, 3};
const Item kWBmode = {"setWBmode", 0x03, 0x01, 4};
const Item kPicture = {"setDayNightMode", 0x03, 0x02, 2};
const Item kDayToNight = {"setDayToNightTransition", 0x03, 0x03, 255};
const Item kNightToDay = {"setNightToDayTransition", 0x03, 0x04, 255};
const Item kDayNightState = {"getDayNightValue", 0x03, 0x05, 1};
const Item kShowFrame = {"setShowFrame", 0x04, 0x01, 1};
const Item kDirection = {"setDirectionOperator", 0x04, 0x02, 5};
const Item kLensType = {"setLensType", 0x04, 0x03, 2};
const Item kVideoSystem = {"setVideoSystem", 0x05, 0x01, 1};

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

const P kRows[] = {
    P::readWrite(1, "setResolution", &W::setResolution, &W::getResolution),
    P::readWrite(2, "setSharpness", &W::setSharpness, &W::getSharpness),
    P::readWrite(3, "setSatulation", &W::setSatulation, &W::getSatulation),
    P::readWrite(4, "setGama", &W::setGama, &W::getGama),
    P::readWrite(5, "setNoiseReduction", &W::setNoiseReduction, &W::getNoiseReduction),
    P::readWrite(6, "setBright", &W::setBright, &W::getBright),
    P::readWrite(7, "setFlip", &W::setFlip, &W::getFlip),
    P::readWrite(8, "setFluorescent", &W::setFluorescent, &W::getFluorescent),
    P::readWrite(9, "setBLC", &W::setBLC, &W::getBLC),
    P::readWrite(10, "setShutterlimit", &W::setShutterlimit, &W::getShutterlimit),
    P::readWrite(11, "setEXPpreference", &W::setEXPpreference, &W::getEXPpreference),
    P::readWrite(12, "setExparea", &W::setExparea, &W::getExparea),
    P::readWrite(13, "setWBmode", &W::setWBmode, &W::getWBmode),
    P::base(14, S::BASE_DAYNIGHT_MODE, "setDayNightMode"),
    P::readWrite(16, "setDayToNightTransition", &W::setDayToNightTransition,
                 &W::getDayToNightTransition),
    P::readWrite(17, "setNightToDayTransition", &W::setNightToDayTransition,
                 &W::getNightToDayTransition),
    P::readWrite(18, "setMaxGain", &W::setMaxGain, &W::getMaxGain),
    P::readWrite(19, "setGainBoost", &W::setGainBoost, &W::getGainBoost),
    P::readWrite(20, "setWDR", &W::setWDR, &W::getWDR),
    P::action(22, "setShowFrame", showFrame, 0),
    P::action(23, "setShowFrame", hideFrame, 0),
    P::action(24, "setDirectionOperator", move<1>, 0),
    P::action(25, "setDirectionOperator", move<2>, 0),
    P::action(26, "setDirectionOperator", move<3>, 0),
    P::action(27, "setDirectionOperator", move<4>, 0),
    P::action(28, "setDirectionOperator", move<5>, 0),
    P::readWrite(29, "setLensType", &W::setLensType, &W::getLensType),
    P::base(30, S::BASE_TNF_MODE, "setTNFMode"),
};

}  // namespace

SeawolfSenseController::SeawolfSenseController()
    : IRegisterSenseController(12),
      m_link(*this, m_pUART, m_nUARTIndex, m_mutex),
      m_parameters({ParameterList<SeawolfSenseController>(kRows),
                    dayNightScheduleRows<SeawolfSenseController>()},
                   "%s(%d) failed") {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 14);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 16, 20);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 29, 30);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 57, 61);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 22, 28);
    setSensorConfigVersion(8);
    setSensorConfigVersion2(2);
}

int SeawolfSenseController::write(const Item& p_item, int p_nValue) {
    if (p_nValue < 0 || p_nValue > p_item.nMax) {
        ErrorPrintf("%s(%d) is out of range", p_item.szSetter, p_nValue);
        return 0;
    }
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
    int other = 0;
    if (partnerValue(17, other) && p_nValue < other) {
        ErrorPrintf("day-to-night transition %d is below night-to-day %d", p_nValue, other);
        return 0;
    }
    return write(kDayToNight, p_nValue);
}

int SeawolfSenseController::getDayToNightTransition(int& p_nValue) {
    return read(kDayToNight, p_nValue);
}

int SeawolfSenseController::setNightToDayTransition(int p_nValue) {
    int other = 0;
    if (partnerValue(16, other) && p_nValue > other) {
        ErrorPrintf("night-to-day transition %d is above day-to-night %d", p_nValue, other);
        return 0;
    }
    return write(kNightToDay, p_nValue);
}

int SeawolfSenseController::getNightToDayTransition(int& p_nValue) {
    return read(kNightToDay, p_nValue);
}

int SeawolfSenseController::setShowFrame(int p_nShow) {
    return write(kShowFrame, p_nShow);
}

int SeawolfSenseController::setDirectionOperator(int p_nDirection) {
    if (p_nDirection < 1) {
        ErrorPrintf("setDirectionOperator(%d) is out of range", p_nDirection);
        return 0;
    }
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
    if (p_nMode < 0 || p_nMode > 4) {
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
