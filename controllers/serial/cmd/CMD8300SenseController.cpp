#include "CMD8300SenseController.h"

#include <cstdio>
#include <iterator>

#include "../../../platform/Shell.h"

namespace {

typedef CmdParameter P;
typedef CmdFrame F;
typedef ParameterRole R;
typedef ParameterUnit U;
using CmdParameters::frame;
using CmdParameters::kSwitch;

const int kDayNightMode = 22;
const int kNightToDay = 31;
const int kDayToNight = 32;

// The module's day/night values and the base's modes they stand for.
const ParameterMenuEntry kDayNightModes[] = {
    {1, "module"}, {3, "day"}, {4, "night"}, {5, "schedule"}};
const int kBaseModesOfValues[] = {4, 1, 2, 3};
static_assert(std::size(kDayNightModes) == std::size(kBaseModesOfValues), "one base mode a value");

const ParameterMenuEntry kExposureModes[] = {
    {0, "auto"}, {1, "manual"}, {2, "shutter-priority"}, {3, "iris-priority"}, {4, "bright"}};

// Exposure modes as the module counts them.
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

// The module's own day/night switching (51 02) or day (51 03), then, a
// second later, the filter (01 03). The library takes 0..3, but 1 and 2
// have no byte of their own and go out as FF, which the module refuses: a
// range with its two meaningful values named, not a menu of four.
const ParameterMenuEntry kInfrared[] = {{0, "auto"}, {3, "day"}};

int infrared(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    static const int kAuto[] = {0x02, 0xFF, 0xFF, 0x03};
    static const int kFilter[] = {0x03, 0xFF, 0xFF, 0x03};
    if (!p_commands.sendShort(0x51, kAuto[p_nValue])) {
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return p_commands.sendShort(0x01, kFilter[p_nValue]);
}

// 0-4 as a limit; 5 lifts it (18 02).
const ParameterMenuEntry kNoNearLimit[] = {{5, "off"}};

int focusNearLimit(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    return p_nValue == 5 ? p_commands.sendShort(0x18, 0x02) : p_commands.sendLong(0x28, p_nValue);
}

// Focus after each zoom (57 02), continuous (57 00), manual.
const ParameterMenuEntry kFocusModes[] = {{1, "zoom-trigger"}, {2, "auto"}, {3, "manual"}};

// 0 is the only bright level below 5.
const ParameterMenuEntry kBrightClosed[] = {{0, "close"}};

const ParameterMenuEntry kWhiteBalance[] = {
    {0, "auto"}, {1, "indoor"}, {2, "outdoor"},     {3, "one-push"},
    {4, "atw"},  {5, "manual"}, {8, "sodium-lamp"}, {9, "sodium-outdoor-auto"}};

// Which of the two noise reduction levels (ids 65, 66) the module runs.

int nightToDay(ISensorController& p_owner, CmdCommandSet&, int p_nValue) {
    return owner(p_owner).setNtoDSensitivity(p_nValue);
}

int dayToNight(ISensorController& p_owner, CmdCommandSet&, int p_nValue) {
    return owner(p_owner).setDtoNSensitivity(p_nValue);
}

const CmdParameter kRows[] = {
    P::action(1, "setSaturation", frame<1>, 80)
        .range("saturation", R::SATURATION, 0, 100, U::PERCENT),
    P::action(2, "setContrast", frame<2>, 27, "setContrast failed,value is %d")
        .range("contrast", R::CONTRAST, 0, 100, U::PERCENT),
    P::action(3, "setSharpness", frame<3>, 27).range("sharpness", R::SHARPNESS, 0, 100, U::PERCENT),
    P::action(4, "setGamma", frame<4>, 1).range("gamma", R::NONE, 0, 5),
    // Taken and kept; nothing goes to the module.
    P::action(5, "setNoiseReductionMode", acceptAny, 1, "setNoiseReductionMode failed")
        .anyValue("noise-reduction-mode", R::NONE),
    P::action(6, "setNRMode", frame<6>, 0, "setNRMode failed,value is %d")
        .menu("nr-mode", R::NONE, kAutoManualModes),
    P::action(7, "setDefog", frame<7>, 0).range("defog", R::DEFOG, 0, 100, U::PERCENT),
    P::action(8, "setMirror", CmdParameters::mirror, 0)
        .menu("mirror", R::MIRROR_FLIP, kMirrorFlipModes),
    P::action(9, "setStillImage", frame<9>, 3).menu("still-image", R::NONE, kSwitch),
    P::action(10, "setExposalMode", frame<10>, 0)
        .menu("exposure-mode", R::EXPOSURE_MODE, kExposureModes)
        .refusal("setExposalMode(%d) is out of range"),
    P::action(11, "setShutter", frame<11>, 5)
        .range("shutter", R::SHUTTER, 0, 21, U::STEP)
        .refusal("setShutter(%d) is out of range"),
    P::action(12, "setIris", frame<12>, 10)
        .range("iris", R::IRIS_LEVEL, 0, 13, U::STEP)
        .refusal("setIris(%d) is out of range"),
    P::action(13, "setBright", frame<13>, 11)
        .range("bright", R::NONE, 5, 31, U::STEP)
        .also(kBrightClosed)
        .refusal("setBright(%d) is out of range"),
    P::action(14, "setGain", frame<14>, 0)
        .range("gain", R::GAIN, 0, 15, U::GAIN_STEP)
        .refusal("setGain(%d) is out of range"),
    P::action(15, "setMaxGain", frame<15>, 15).range("max-gain", R::MAX_GAIN, 4, 15, U::GAIN_STEP),
    P::action(16, "setAutoSlowShutter", frame<16>, 3).menu("auto-slow-shutter", R::NONE, kSwitch),
    P::action(17, "setBackLight", frame<17>, 3)
        .menu("backlight", R::BACKLIGHT_COMPENSATION, kSwitch),
    P::action(18, "setWBMode", frame<18>, 0).menu("wb-mode", R::WB_MODE, kWhiteBalance),
    P::action(19, "setRedGain", frame<19>, 38, "setRedGain failed,value is %d")
        .range("red-gain", R::RED_GAIN, 0, 255, U::RAW)
        .refusal("setRedGain(%d) out of range"),
    P::action(20, "setBlueGain", frame<20>, 34, "setBlueGain failed,value is %d")
        .range("blue-gain", R::BLUE_GAIN, 0, 255, U::RAW)
        .refusal("setBlueGain(%d) out of range"),
    P::action(21, "setInfrared", infrared, 0, "setInfrared failed,value is %d")
        .range("ir-cut-mode", R::NONE, 0, 3)
        .also(kInfrared)
        .refusal("setInfrared(%d) out of range"),
    // Refusals are explained by the controller (explainRefusal).
    P::base(kDayNightMode, ISensorController::BASE_DAYNIGHT_MODE, "setDayNightMode")
        .menu("daynight-mode", R::DAY_NIGHT_MODE, kDayNightModes)
        .factory(1),
    P::action(23, "setWDRMode", frame<23>, 3).menu("wdr-mode", R::WDR_MODE, kSwitch),
    P::action(24, "setHighlightHold", frame<24>, 0).onOff("highlight-hold"),
    P::action(25, "setBrightness", frame<25>, 72)
        .range("brightness", R::BRIGHTNESS, 0, 100, U::PERCENT),
    P::action(26, "setDZoom", frame<26>, 3).menu("digital-zoom", R::NONE, kSwitch),
    P::action(27, "setFocusMode", CmdParameters::focusMode, 2)
        .menu("focus-mode", R::FOCUS_MODE, kFocusModes)
        .refusal("setFocusMode(%d) is out of range"),
    P::action(28, "OnePushTrigger", CmdParameters::onePushTrigger, 0).button("one-push"),
    P::action(29, "setAF_Sensitivity", frame<29>, 2).range("af-sensitivity", R::NONE, 1, 3),
    P::action(30, "setFocusNearLimit", focusNearLimit, 3)
        .range("focus-near-limit", R::NONE, 0, 4, U::STEP)
        .also(kNoNearLimit)
        .refusal("setFocusNearLimit(%d) is out of range"),
    P::action(kNightToDay, "setNtoDSensitivity", nightToDay, 5)
        .range("ntd-sensitivity", R::NTD_THRESHOLD, 5, 116, U::STEP)
        .refusal("setNtoDSensitivity(%d) out of range"),
    // Refusals are explained by the controller (explainRefusal).
    P::action(kDayToNight, "setDtoNSensitivity", dayToNight, 15)
        .range("dtn-sensitivity", R::DTN_THRESHOLD, 15, 126, U::STEP),
    P::base(57, ISensorController::BASE_NEAR_LIGHT, "setNearLight"),
    P::base(58, ISensorController::BASE_MIDDLE_LIGHT, "setMiddleLight",
            "getMiddleLight error,value is %d"),
    P::base(59, ISensorController::BASE_FAR_LIGHT, "setFarLight"),
    P::base(60, ISensorController::BASE_DTN_HOUR, "setDTNTime_H"),
    P::base(61, ISensorController::BASE_DTN_MINUTE, "setDTNTime_M"),
    P::base(62, ISensorController::BASE_NTD_HOUR, "setNTDTime_H"),
    P::base(63, ISensorController::BASE_NTD_MINUTE, "setNTDTime_M"),
    P::base(64, ISensorController::BASE_POWER_MODE, "setPowerMode"),
    // Any level is passed on as its low byte.
    P::action(65, "setAutoNoiseReduction", frame<65>, 1).anyValue("auto-nr", R::NONE),
    P::action(66, "setManualNoiseReduction", frame<66>, 1).anyValue("manual-nr", R::NONE),
};

const unsigned kManual = F::anyOf({1});

const CmdFrame kFrames[] = {
    F::make(1, 0xA1, F::LONG).mapped(CmdParameters::times15),
    F::make(2, 0xA2, F::LONG).mapped(CmdParameters::times15),
    F::make(3, 0x42, F::LONG).mapped(CmdParameters::times15),
    F::make(4, 0x5B, F::SHORT),
    F::make(6, 0xA5, F::SHORT),
    F::make(7, 0xA3, F::SHORT).mapped(CmdParameters::times15),
    F::make(9, 0x62, F::SHORT),
    F::make(10, 0x39, F::SHORT).mapped(exposureByte),
    F::make(11, 0x4A, F::LONG).when(10, kManual | F::anyOf({2})),
    F::make(12, 0x4B, F::LONG).when(10, kManual | F::anyOf({3})),
    F::make(13, 0x4D, F::LONG).when(10, kManual | F::anyOf({4})),
    F::make(14, 0x4C, F::LONG).when(10, kManual),
    F::make(15, 0x2C, F::SHORT),
    F::make(16, 0x5A, F::SHORT),
    F::make(17, 0x33, F::SHORT),
    F::make(18, 0x35, F::SHORT),
    F::make(19, 0x43, F::LONG).when(18, F::anyOf({5})),
    F::make(20, 0x44, F::LONG).when(18, F::anyOf({5})),
    F::make(23, 0x3D, F::SHORT),
    F::make(24, 0xA6, F::SHORT),
    F::make(25, 0xA4, F::LONG).mapped(times14PlusOne),
    F::make(26, 0x06, F::SHORT),
    F::make(29, 0x58, F::SHORT),
    // Automatic and manual noise reduction share the code; the module
    // tells them apart.
    F::make(65, 0x53, F::SHORT),
    F::make(66, 0x53, F::SHORT),
};

}  // namespace

CMD8300SenseController::CMD8300SenseController()
    : CmdSenseController(25, ViscaLink::REPLY_COUNT | ViscaLink::ATTEMPT_LOG, 8, {kRows},
                         {kFrames}),
      m_nNtoDSensitivity(5),
      m_nDtoNSensitivity(15) {
    m_nGeneration = 3;
    m_bSettleBeforeVideoInquiry = true;
    m_commands.explainRefusalsBy(&CMD8300SenseController::explainRefusal);
    registerIds({{1, 27}, {29, 32}, {57, 66}}, {{28, 28}});
}

bool CMD8300SenseController::explainRefusal(ISensorController& p_owner, int p_nId, int p_nValue) {
    CMD8300SenseController& self = owner(p_owner);
    switch (p_nId) {
        case kDayNightMode:
            self.traceDayNightMode(p_nValue);
            self.ErrorPrintf("setDayNightMode(%d) out of range", p_nValue);
            return true;
        case kDayToNight:
            // The gap to the other half is what a value is checked for first.
            if (self.keepsGapToNightToDay(p_nValue)) {
                self.ErrorPrintf("setDtoNSensitivity(%d) out of range", p_nValue);
            }
            return true;
        default:
            return false;
    }
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

void CMD8300SenseController::traceDayNightMode(int p_nMode) {
    std::printf("~~~~~~~~CMD8300SenseController::setDayNightMode %d\n", p_nMode);
}

int CMD8300SenseController::setDayNightMode(int p_nMode) {
    traceDayNightMode(p_nMode);
    for (size_t index = 0; index < std::size(kDayNightModes); ++index) {
        if (kDayNightModes[index].nCode == p_nMode) {
            ISensorController::setDayNightMode(kBaseModesOfValues[index]);
            reInitDelayStartTime();
            return 1;
        }
    }
    return 0;  // not one of the module's values: the table refused it already
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

bool CMD8300SenseController::keepsGapToNightToDay(int p_nDayToNight) {
    int nightToDay = partnerOf(kNightToDay, m_nNtoDSensitivity);
    if (p_nDayToNight - nightToDay < 10) {
        ErrorPrintf("p_nDtoNSensitivity(%d) - m_nNtoDSensitivity(%d) < 10", p_nDayToNight,
                    nightToDay);
        return false;
    }
    return true;
}

int CMD8300SenseController::setDtoNSensitivity(int p_nValue) {
    if (!keepsGapToNightToDay(p_nValue) || !m_commands.sendLong(0x21, p_nValue, 0x01)) {
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
