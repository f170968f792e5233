#include "CMD8300SenseController.h"

#include <cstdio>

#include "../../../platform/Shell.h"

namespace {

typedef CmdParameter P;
typedef CmdFrame F;
using CmdParameters::frame;

const int kNightToDay = 31;
const int kDayToNight = 32;

// Exposure modes 0 auto, 1 manual, 2 shutter priority, 3 iris priority, 4
// bright.
int exposureByte(int p_nValue) {
    static const int kModes[] = {0x00, 0x03, 0x0A, 0x0B, 0x0D};
    return kModes[p_nValue];
}

int times14PlusOne(int p_nValue) {
    return p_nValue * 14 / 100 + 1;
}

CMD8300SenseController& owner(ISensorController& p_owner) {
    return static_cast<CMD8300SenseController&>(p_owner);
}

int acceptAny(ISensorController&, CmdCommandSet&, int) {
    return 1;
}

// 51 then, a second later, 01: 0 -> 02/03, 3 -> 03/03; 1 and 2 have no
// byte of their own and go out as FF.
int infrared(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    static const int kAuto[] = {0x02, 0xFF, 0xFF, 0x03};
    static const int kFilter[] = {0x03, 0xFF, 0xFF, 0x03};
    if (p_nValue < 0 || p_nValue > 3) {
        return p_commands.refuse("setInfrared(%d) out of range", p_nValue);
    }
    if (!p_commands.sendShort(0x51, kAuto[p_nValue])) {
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return p_commands.sendShort(0x01, kFilter[p_nValue]);
}

// 0-4 as a limit; 5 lifts it (18 02).
int focusNearLimit(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    if (p_nValue < 0 || p_nValue > 5) {
        return p_commands.refuse("setFocusNearLimit(%d) is out of range", p_nValue);
    }
    return p_nValue == 5 ? p_commands.sendShort(0x18, 0x02) : p_commands.sendLong(0x28, p_nValue);
}

int nightToDay(ISensorController& p_owner, CmdCommandSet&, int p_nValue) {
    return owner(p_owner).setNtoDSensitivity(p_nValue);
}

int dayToNight(ISensorController& p_owner, CmdCommandSet&, int p_nValue) {
    return owner(p_owner).setDtoNSensitivity(p_nValue);
}

const CmdParameter kRows[] = {
    P::action(1, "setSaturation", frame<1>, 80),
    P::action(2, "setContrast", frame<2>, 27, "setContrast failed,value is %d"),
    P::action(3, "setSharpness", frame<3>, 27),
    P::action(4, "setGamma", frame<4>, 1),
    P::action(5, "setNoiseReductionMode", acceptAny, 1, "setNoiseReductionMode failed"),
    P::action(6, "setNRMode", frame<6>, 0, "setNRMode failed,value is %d"),
    P::action(7, "setDefog", frame<7>, 0),
    P::action(8, "setMirror", CmdParameters::mirror, 0),
    P::action(9, "setStillImage", frame<9>, 3),
    P::action(10, "setExposalMode", frame<10>, 0),
    P::action(11, "setShutter", frame<11>, 5),
    P::action(12, "setIris", frame<12>, 10),
    P::action(13, "setBright", frame<13>, 11),
    P::action(14, "setGain", frame<14>, 0),
    P::action(15, "setMaxGain", frame<15>, 15),
    P::action(16, "setAutoSlowShutter", frame<16>, 3),
    P::action(17, "setBackLight", frame<17>, 3),
    P::action(18, "setWBMode", frame<18>, 0),
    P::action(19, "setRedGain", frame<19>, 38, "setRedGain failed,value is %d"),
    P::action(20, "setBlueGain", frame<20>, 34, "setBlueGain failed,value is %d"),
    P::action(21, "setInfrared", infrared, 0, "setInfrared failed,value is %d"),
    P::base(22, ISensorController::BASE_DAYNIGHT_MODE, "setDayNightMode"),
    P::action(23, "setWDRMode", frame<23>, 3),
    P::action(24, "setHighlightHold", frame<24>, 0),
    P::action(25, "setBrightness", frame<25>, 72),
    P::action(26, "setDZoom", frame<26>, 3),
    P::action(27, "setFocusMode", CmdParameters::focusMode, 2),
    P::action(28, "OnePushTrigger", CmdParameters::onePushTrigger, 0),
    P::action(29, "setAF_Sensitivity", frame<29>, 2),
    P::action(30, "setFocusNearLimit", focusNearLimit, 3),
    P::action(kNightToDay, "setNtoDSensitivity", nightToDay, 5),
    P::action(kDayToNight, "setDtoNSensitivity", dayToNight, 15),
    P::base(57, ISensorController::BASE_NEAR_LIGHT, "setNearLight"),
    P::base(58, ISensorController::BASE_MIDDLE_LIGHT, "setMiddleLight",
            "getMiddleLight error,value is %d"),
    P::base(59, ISensorController::BASE_FAR_LIGHT, "setFarLight"),
    P::base(60, ISensorController::BASE_DTN_HOUR, "setDTNTime_H"),
    P::base(61, ISensorController::BASE_DTN_MINUTE, "setDTNTime_M"),
    P::base(62, ISensorController::BASE_NTD_HOUR, "setNTDTime_H"),
    P::base(63, ISensorController::BASE_NTD_MINUTE, "setNTDTime_M"),
    P::base(64, ISensorController::BASE_POWER_MODE, "setPowerMode"),
    P::action(65, "setAutoNoiseReduction", frame<65>, 1),
    P::action(66, "setManualNoiseReduction", frame<66>, 1),
};

const unsigned kManual = F::anyOf({1});

const CmdFrame kFrames[] = {
    F::make(1, 0xA1, F::LONG, 0, 100).mapped(CmdParameters::times15),
    F::make(2, 0xA2, F::LONG, 0, 100).mapped(CmdParameters::times15),
    F::make(3, 0x42, F::LONG, 0, 100).mapped(CmdParameters::times15),
    F::make(4, 0x5B, F::SHORT, 0, 5),
    F::make(6, 0xA5, F::SHORT, 0, 1),
    F::make(7, 0xA3, F::SHORT, 0, 100).mapped(CmdParameters::times15),
    F::make(9, 0x62, F::SHORT, 2, 3),
    F::make(10, 0x39, F::SHORT, 0, 4)
        .mapped(exposureByte)
        .refusing("setExposalMode(%d) is out of range"),
    F::make(11, 0x4A, F::LONG, 0, 21)
        .when(10, kManual | F::anyOf({2}))
        .refusing("setShutter(%d) is out of range"),
    F::make(12, 0x4B, F::LONG, 0, 13)
        .when(10, kManual | F::anyOf({3}))
        .refusing("setIris(%d) is out of range"),
    F::make(13, 0x4D, F::LONG, 0, 31)
        .only(F::anyOf({0}) | F::span(5, 31))
        .when(10, kManual | F::anyOf({4}))
        .refusing("setBright(%d) is out of range"),
    F::make(14, 0x4C, F::LONG, 0, 15).when(10, kManual).refusing("setGain(%d) is out of range"),
    F::make(15, 0x2C, F::SHORT, 4, 15),
    F::make(16, 0x5A, F::SHORT, 2, 3),
    F::make(17, 0x33, F::SHORT, 2, 3),
    F::make(18, 0x35, F::SHORT, 0, 9).only(F::span(0, 5) | F::span(8, 9)),
    F::make(19, 0x43, F::LONG, 0, 255)
        .when(18, F::anyOf({5}))
        .refusing("setRedGain(%d) out of range"),
    F::make(20, 0x44, F::LONG, 0, 255)
        .when(18, F::anyOf({5}))
        .refusing("setBlueGain(%d) out of range"),
    F::make(23, 0x3D, F::SHORT, 2, 3),
    F::make(24, 0xA6, F::SHORT, 0, 1),
    F::make(25, 0xA4, F::LONG, 0, 100).mapped(times14PlusOne),
    F::make(26, 0x06, F::SHORT, 2, 3),
    F::make(29, 0x58, F::SHORT, 1, 3),
    // Automatic and manual noise reduction share the code; the module
    // tells them apart.
    F::unchecked(65, 0x53, F::SHORT),
    F::unchecked(66, 0x53, F::SHORT),
};

}  // namespace

CMD8300SenseController::CMD8300SenseController()
    : CmdSenseController(25, ViscaLink::REPLY_COUNT | ViscaLink::ATTEMPT_LOG, 8, {kRows},
                         {kFrames}),
      m_nNtoDSensitivity(5),
      m_nDtoNSensitivity(15) {
    m_nGeneration = 3;
    m_bSettleBeforeVideoInquiry = true;
    registerIds({{1, 27}, {29, 32}, {57, 66}}, {{28, 28}});
}

int CMD8300SenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("__CMD8300SenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    return readSerialConfig(p_config, true, detail) && openUART();
}

int CMD8300SenseController::openUART() {
    std::printf("RS485(%s) param is (%d,%d,%d,%d)\n", m_strDevice.c_str(), m_line.nBaudRate,
                m_line.nDataBits, m_line.nParity, m_line.nStopBits);
    return openPort();
}

void CMD8300SenseController::closeUART() {
    if (m_nUARTIndex >= 0) {
        m_pUART->close(m_nUARTIndex);
    }
}

int CMD8300SenseController::updateSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    const char* script = p_nVideoSystem == 1   ? "cmd8300_PAL.sh"
                         : p_nVideoSystem == 0 ? "cmd8300_NTSC.sh"
                                               : nullptr;
    if (script != nullptr) {
        std::string command = std::string("cp /mnt/mtd/hd1/system/modules/sensor/cmd8300/") +
                              script + " /mnt/mtd/code/config_file/sensorInit.sh -rf";
        sy_system(command.c_str(), 30);
    }
    return 1;
}

int CMD8300SenseController::setDayNightMode(int p_nMode) {
    std::printf("~~~~~~~~CMD8300SenseController::setDayNightMode %d\n", p_nMode);
    // The module's values to the base's modes: 1 -> 4, 3 -> 1, 4 -> 2, 5 -> 3.
    static const int kModes[] = {-1, 4, -1, 1, 2, 3};
    int mode = p_nMode >= 0 && p_nMode <= 5 ? kModes[p_nMode] : -1;
    if (mode < 0) {
        ErrorPrintf("setDayNightMode(%d) out of range", p_nMode);
        return 0;
    }
    ISensorController::setDayNightMode(mode);
    reInitDelayStartTime();
    return 1;
}

int CMD8300SenseController::getDayNightMode(int& p_nMode) {
    p_nMode = 1;
    return 1;
}

int CMD8300SenseController::getDNStatusFromSensor(int& p_nStatus) {
    char reply[4] = {0};
    int result = readDayNight(reply, p_nStatus);
    if (result == 0) {
        ErrorPrintf("get dn failed");
    } else if (result < 0) {
        ErrorPrintf("get daynight value out of range value = %d",
                    static_cast<unsigned char>(reply[2]));
    }
    return result == 1 ? 1 : 0;
}

int CMD8300SenseController::turnPictureToDay() {
    return switchPicture(2, 0x02, 0x02, true);
}

int CMD8300SenseController::turnPictureToNight() {
    return switchPicture(1, 0x03, 0x03, true);
}

int CMD8300SenseController::enterAutoMode() {
    std::puts("enter auto mode");
    return switchPicture(0, 0x02, 0x03, true);
}

int CMD8300SenseController::setFocusMode(int p_nMode) {
    if (p_nMode < 1 || p_nMode > 3) {
        ErrorPrintf("setFocusMode(%d) is out of range", p_nMode);
        return 0;
    }
    return sendFocusMode(p_nMode - 1);
}

void CMD8300SenseController::doDependOnThread() {
    setGainValue();
}

int CMD8300SenseController::setGainValue() {
    return 0;
}

int CMD8300SenseController::partnerOf(int p_nPartnerId, int p_nSent) {
    int value = 0;
    if (m_bBulkUpdate && m_pSensorLastValueCache->getSensorValue(p_nPartnerId, value)) {
        return value;
    }
    return p_nSent;
}

int CMD8300SenseController::setNtoDSensitivity(int p_nValue) {
    if (p_nValue < 5 || p_nValue > 116) {
        return m_commands.refuse("setNtoDSensitivity(%d) out of range", p_nValue);
    }
    int dayToNight = partnerOf(kDayToNight, m_nDtoNSensitivity);
    if (dayToNight - p_nValue < 10) {
        ErrorPrintf("m_nDtoNSensitivity(%d) - p_nNtoDSensitivity(%d) < 10", dayToNight, p_nValue);
        return 0;
    }
    if (!m_commands.sendLong(0x21, p_nValue)) {
        return 0;
    }
    m_nNtoDSensitivity = p_nValue;
    return 1;
}

int CMD8300SenseController::setDtoNSensitivity(int p_nValue) {
    int nightToDay = partnerOf(kNightToDay, m_nNtoDSensitivity);
    if (p_nValue - nightToDay < 10) {
        ErrorPrintf("p_nDtoNSensitivity(%d) - m_nNtoDSensitivity(%d) < 10", p_nValue, nightToDay);
        return 0;
    }
    if (p_nValue < 15 || p_nValue > 126) {
        return m_commands.refuse("setDtoNSensitivity(%d) out of range", p_nValue);
    }
    if (!m_commands.sendLong(0x21, p_nValue, 0x01)) {
        return 0;
    }
    m_nDtoNSensitivity = p_nValue;
    return 1;
}

int CMD8300SenseController::restartModule() {
    OrvaneTime(1, 0).wait();
    const std::string restart = Visca::command(0x19, Visca::bytes({0x03}));
    return awaitRestart(writeRaw(restart), static_cast<int>(restart.size()));
}
