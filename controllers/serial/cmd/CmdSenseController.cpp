#include "CmdSenseController.h"

#include <cstdio>
#include <cstdlib>

namespace {

typedef CmdParameter P;
typedef CmdFrame F;
using CmdParameters::frame;

// The maximum gain in steps of the module's gain table: 0 stays 0, then
// groups of three and two values alternate (1-3 -> 1, 4-5 -> 2, 6-8 -> 3 ...).
int maxGainStep(int p_nValue) {
    if (p_nValue == 0) {
        return 0;
    }
    int pairs = (p_nValue - 1) / 5;
    return 2 * pairs + ((p_nValue - 1) % 5 < 3 ? 1 : 2);
}

typedef ParameterRole R;
typedef ParameterUnit U;
using CmdParameters::kSwitch;

const ParameterMenuEntry kExposureModes[] = {
    {0, "auto"}, {1, "shutter-priority"}, {2, "iris-priority"}, {3, "manual"}};
// As the base runs them; 0 is the module's own switching (the base's 4).
const ParameterMenuEntry kDayNightModes[] = {
    {0, "module"}, {1, "day"}, {2, "night"}, {3, "schedule"}};
// Focus after each zoom (57 02), continuous (57 00), manual.
const ParameterMenuEntry kFocusModes[] = {{0, "zoom-trigger"}, {1, "auto"}, {2, "manual"}};
const ParameterMenuEntry kWhiteBalance[] = {{0, "auto"}, {4, "atw"}, {9, "sodium-outdoor-auto"}};

const CmdParameter kFamily[] = {
    P::action(0, "setExposalMode", CmdParameters::exposalMode, 0)
        .menu("exposure-mode", R::EXPOSURE_MODE, kExposureModes),
    P::action(1, "setBrightness", frame<1>, 50)
        .range("brightness", R::BRIGHTNESS, 0, 100, U::PERCENT),
    CmdParameters::sharpness(40),
    P::action(3, "setSaturation", frame<3>, 90)
        .range("saturation", R::SATURATION, 0, 100, U::PERCENT),
    P::action(4, "setMirror", CmdParameters::mirror, 0)
        .menu("mirror", R::MIRROR_FLIP, kMirrorFlipModes),
    CmdParameters::iris(16),
    P::action(6, "setPhotometry", frame<6>, 2).menu("photometry", R::NONE, kSwitch),
    P::action(7, "setShutter", frame<7>, 0).range("shutter", R::SHUTTER, 0, 18, U::STEP),
    P::action(9, "setWDRMode", frame<9>, 3).menu("wdr-mode", R::WDR_MODE, kSwitch),
    P::action(10, "setDefog", frame<10>, 3).menu("defog", R::DEFOG, kSwitch),
    P::action(11, "setNoiseReduction", frame<11>, 6)
        .range("noise-reduction", R::NOISE_REDUCTION_2D, 0, 6),
    // Any mode is kept; the base runs the ones it knows.
    P::base(12, ISensorController::BASE_DAYNIGHT_MODE, "setDayNightMode")
        .menu("daynight-mode", R::DAY_NIGHT_MODE, kDayNightModes)
        .unchecked()
        .factory(0),
    CmdParameters::threshold(10),
    P::action(14, "setMaxGain", frame<14>, 30).range("max-gain", R::MAX_GAIN, 0, 38),
    // Other values are taken and send nothing.
    P::action(15, "setFocusMode", CmdParameters::focusMode, 1)
        .menu("focus-mode", R::FOCUS_MODE, kFocusModes)
        .unchecked(),
    P::action(16, "setFocusNearLimit", frame<16>, 2)
        .range("focus-near-limit", R::NONE, 0, 4, U::STEP),
    P::action(17, "setSensitivity", frame<17>, 2).range("af-sensitivity", R::NONE, 1, 6),
    P::base(18, ISensorController::BASE_TNF_MODE, "setTNFMode"),
    P::action(19, "setWBMode", frame<19>, 4).menu("wb-mode", R::WB_MODE, kWhiteBalance),
    P::action(20, "setShutdownLimit", frame<20>, 0)
        .range("shutdown-limit", R::NONE, 0, 12, U::STEP),
    P::action(52, "IrisUp", CmdParameters::irisUp, 0).button("iris-up", R::IRIS_LEVEL),
    P::action(53, "IrisDown", CmdParameters::irisDown, 0).button("iris-down", R::IRIS_LEVEL),
    P::action(54, "FocusUp", CmdParameters::focusUp, 0).button("focus-up", R::FOCUS_POSITION),
    P::action(55, "FocusDown", CmdParameters::focusDown, 0).button("focus-down", R::FOCUS_POSITION),
    P::base(56, ISensorController::BASE_POWER_MODE, "setPowerMode"),
    P::base(57, ISensorController::BASE_NEAR_LIGHT, "setNearLight"),
    P::base(58, ISensorController::BASE_MIDDLE_LIGHT, "setMiddleLight",
            "getMiddleLight error,value is %d"),
    P::base(59, ISensorController::BASE_FAR_LIGHT, "setFarLight"),
    P::base(60, ISensorController::BASE_DTN_HOUR, "setDTNTime_H", "setDTNTime_H failed"),
    P::base(61, ISensorController::BASE_DTN_MINUTE, "setDTNTime_M", "setDTNTime_M failed"),
    P::base(62, ISensorController::BASE_NTD_HOUR, "setNTDTime_H", "setNTDTime_H failed"),
    P::base(63, ISensorController::BASE_NTD_MINUTE, "setNTDTime_M", "setNTDTime_M failed"),
    P::action(64, "OnePushTrigger", CmdParameters::onePushTrigger, 0, "OnePushTrigger failed\n")
        .button("one-push", R::NONE),
};

const CmdFrame kFamilyFrames[] = {
    F::make(0, 0x39, F::SHORT).mapped(CmdParameters::exposureByte),
    F::make(1, 0x4E, F::LONG).mapped(CmdParameters::times14),
    F::make(2, 0x42, F::LONG).mapped(CmdParameters::times14),
    F::make(3, 0x49, F::LONG).mapped(CmdParameters::times14),
    F::make(5, 0x4B, F::LONG).when(0, F::anyOf({2})),
    F::make(6, 0xA2, F::SHORT),
    F::make(7, 0x4A, F::LONG).when(0, F::anyOf({1})),
    F::make(9, 0x3D, F::SHORT),
    F::make(10, 0xA1, F::SHORT),
    F::make(11, 0x53, F::SHORT),
    F::make(13, 0x21, F::LONG).withoutInfrared(),
    F::make(14, 0x2C, F::SHORT).mapped(maxGainStep),
    F::make(16, 0x28, F::LONG),
    F::make(17, 0x58, F::SHORT).mapped(CmdParameters::minusOne),
    F::make(19, 0x35, F::SHORT),
    F::make(20, 0xA3, F::LONG),
};

const int kVideoRegister = 0x72;

// The lamp board's day/night frame: 0 automatic, 1 night, 2 day.
std::string lampBoardFrame(int p_nState) {
    return Visca::boardFrame(Visca::bytes({0x01, 0x1E, 0x02, 0x00, p_nState}));
}

}  // namespace

namespace CmdParameters {

CmdParameterList family() {
    return CmdParameterList(kFamily);
}

CmdFrames familyFrames() {
    return CmdFrames(kFamilyFrames);
}

}  // namespace CmdParameters

template <class Base>
CmdSenseController<Base>::CmdSenseController(int p_nModuleId, int p_nHabits, int p_nMirrorId,
                                             std::initializer_list<CmdParameterList> p_rows,
                                             std::initializer_list<CmdFrames> p_frames)
    : Base(p_nModuleId),
      m_nGeneration(0),
      m_bSettleBeforeVideoInquiry(false),
      m_link(*this, this->m_pUART, this->m_nUARTIndex, this->m_mutex, ViscaLink::SINGLE_READ,
             p_nHabits),
      m_commands(*this, *this->m_pSensorCache, m_nGeneration, this->m_nIsInfrared, p_frames),
      m_nMirrorId(p_nMirrorId),
      m_parameters(p_rows) {
    m_parameters.setRefusalLog(&CmdCommandSet::refused);
    m_commands.describedBy(&m_parameters);
    this->describeParametersBy(&m_parameters);
    this->m_bIsUARTModule = true;
    this->setSensorConfigVersion(0);
    this->setSensorConfigVersion2(0);
}

template <class Base>
int CmdSenseController<Base>::setParameterValue(const char* p_pBytes, int p_nLength) {
    return m_link.sendCommand(p_pBytes, p_nLength);
}

template <class Base>
int CmdSenseController<Base>::getParameterValue(const char* p_pRequest, int p_nRequestLength,
                                                char* p_pAnswer, int p_nAnswerLength) {
    return m_link.sendInquiry(p_pRequest, p_nRequestLength, p_pAnswer, p_nAnswerLength);
}

template <class Base>
int CmdSenseController<Base>::send(const std::string& p_strFrame) {
    return setParameterValue(p_strFrame.data(), static_cast<int>(p_strFrame.size()));
}

template <class Base>
int CmdSenseController<Base>::inquire(const std::string& p_strInquiry, char* p_pReply,
                                      int p_nLength) {
    return getParameterValue(p_strInquiry.data(), static_cast<int>(p_strInquiry.size()), p_pReply,
                             p_nLength);
}

template <class Base>
int CmdSenseController<Base>::writeRaw(const std::string& p_strFrame) {
    return this->m_pUART->write(this->m_nUARTIndex, p_strFrame.data(),
                                static_cast<int>(p_strFrame.size()));
}

template <class Base>
int CmdSenseController<Base>::getMirrorValue(int& p_nMirror) {
    return this->getParameter(m_nMirrorId, p_nMirror);
}

template <class Base>
int CmdSenseController<Base>::setParameterToSensor(int p_nId, int p_nValue) {
    if (this->m_SensorStatus != ISensorController::InitSuccess) {
        return 0;
    }
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    int result = m_parameters.write(*this, m_commands, p_nId, p_nValue);
    if (result == 1) {
        OrvaneTime(0, 30000).wait();
    }
    return result;
}

template <class Base>
int CmdSenseController<Base>::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (this->m_SensorStatus != ISensorController::InitSuccess) {
        return 0;
    }
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    if (m_parameters.read(*this, p_nId, p_nValue) != 1) {
        return 0;
    }
    OrvaneTime(0, 30000).wait();
    return 1;
}

template <class Base>
int CmdSenseController<Base>::NotifySensorInitComplate() {
    int written = writeRaw(Visca::command(0x22));
    if (written == 5) {
        return 1;
    }
    this->ErrorPrintf("send @NotifySensorInitComplate failed,nRet=%d", written);
    OrvaneTime(1, 0).wait();
    return 0;
}

template <class Base>
int CmdSenseController<Base>::IrisUp() {
    return m_commands.sendShort(0x0B, 0x02);
}

template <class Base>
int CmdSenseController<Base>::IrisDown() {
    return m_commands.sendShort(0x0B, 0x03);
}

template <class Base>
int CmdSenseController<Base>::sendFocusMode(int p_nIndex) {
    switch (p_nIndex) {
        case 0:
            return m_commands.sendShort(0x38, 0x02) && m_commands.sendShort(0x57, 0x02);
        case 1:
            return m_commands.sendShort(0x38, 0x02) && m_commands.sendShort(0x57, 0x00);
        case 2:
            return m_commands.sendShort(0x38, 0x03);
        default:
            return 1;
    }
}

template <class Base>
int CmdSenseController<Base>::setFocusMode(int p_nMode) {
    return sendFocusMode(p_nMode);
}

template <class Base>
int CmdSenseController<Base>::setDayNightMode(int p_nMode) {
    ISensorController::setDayNightMode(p_nMode == 0 ? 4 : p_nMode);
    this->reInitDelayStartTime();
    return 1;
}

template <class Base>
int CmdSenseController<Base>::readDayNight(char* p_pReply, int& p_nStatus) {
    if (!inquire(Visca::inquiry(0x01), p_pReply, 4)) {
        return 0;
    }
    if (p_pReply[2] != 0x02 && p_pReply[2] != 0x03) {
        return -1;
    }
    p_nStatus = p_pReply[2] == 0x03 ? 1 : 0;
    return 1;
}

template <class Base>
int CmdSenseController<Base>::getDNStatusFromSensor(int& p_nStatus) {
    char reply[4] = {0};
    int result = readDayNight(reply, p_nStatus);
    if (result == 0) {
        this->ErrorPrintf("get dn failed ");
    } else if (result < 0) {
        this->ErrorPrintf(
            "get daynight value out of range:0x%x,0x%x,0x%x,0x%x",
            static_cast<unsigned char>(reply[0]), static_cast<unsigned char>(reply[1]),
            static_cast<unsigned char>(reply[2]), static_cast<unsigned char>(reply[3]));
    }
    return result == 1 ? 1 : 0;
}

template <class Base>
int CmdSenseController<Base>::switchPicture(int p_nBoard, int p_nAuto, int p_nFilter,
                                            bool p_bTwiceAfterPause) {
    if (this->m_nIsInfrared != 0) {
        return send(lampBoardFrame(p_nBoard));
    }
    int result = m_commands.sendShort(0x51, p_nAuto);
    if (!result || p_nFilter < 0) {
        return result;
    }
    if (p_bTwiceAfterPause) {
        OrvaneTime(1, 0).wait();
        if (!m_commands.sendShort(0x01, p_nFilter)) {
            return 0;
        }
    }
    return m_commands.sendShort(0x01, p_nFilter);
}

template <class Base>
int CmdSenseController<Base>::turnPictureToDay() {
    return switchPicture(2, 0x03, 0x03);
}

template <class Base>
int CmdSenseController<Base>::turnPictureToNight() {
    return switchPicture(1, 0x03, 0x02);
}

template <class Base>
int CmdSenseController<Base>::enterAutoMode() {
    return switchPicture(0, 0x02, -1);
}

template <class Base>
int CmdSenseController<Base>::videoTarget(int p_nVideoSystem) {
    return p_nVideoSystem == 1 ? 8 : p_nVideoSystem == 0 ? 6 : 0;
}

template <class Base>
int CmdSenseController<Base>::writeVideoSystem(int, int p_nTarget) {
    return sendVideoRegister(p_nTarget);
}

template <class Base>
int CmdSenseController<Base>::sendVideoRegister(int p_nValue) {
    return send(Visca::command(0x24, Visca::bytes({kVideoRegister}) + Visca::nibbles(p_nValue, 2)));
}

template <class Base>
int CmdSenseController<Base>::restartModule() {
    // The restart board frame (FE 05 03 01 01 0A FF); the module does not
    // answer it.
    const std::string restart = Visca::boardFrame(Visca::bytes({0x05, 0x03, 0x01, 0x01}));
    return awaitRestart(writeRaw(restart), static_cast<int>(restart.size()));
}

template <class Base>
int CmdSenseController<Base>::awaitRestart(int p_nWritten, int p_nLength) {
    if (p_nWritten != p_nLength) {
        OrvaneTime(1, 0).wait();
        return 0;
    }
    std::puts("Restarting sensor");
    OrvaneTime(20, 0).wait();
    this->clearUartBuffer();
    return 1;
}

template <class Base>
int CmdSenseController<Base>::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    if (m_bSettleBeforeVideoInquiry) {
        OrvaneTime(0, 100).wait();
    }
    char reply[5] = {0};
    if (!inquire(Visca::inquiry(0x24, Visca::bytes({kVideoRegister})), reply, 5)) {
        this->ErrorPrintf("get sensor video system failed");
        return 0;
    }
    int target = videoTarget(p_nVideoSystem);
    int current = static_cast<unsigned char>(reply[3]);
    if (current == target) {
        std::puts("Video system not change!");
        return 1;
    }
    std::printf("set video system,nValue=%d,szRecv[3]=%d\n", target, current);
    if (!writeVideoSystem(p_nVideoSystem, target)) {
        return 0;
    }
    return restartModule();
}

template <class Base>
int CmdSenseController<Base>::readSerialConfig(const ModuleConfigure& p_config, bool p_bGeneration,
                                               ModuleParameterParser& p_detail) {
    if (!SerialSetup::readConfig(*this, p_config, "get RS232Parameter from senseParameter failed",
                                 p_detail, m_strDevice, m_line) ||
        !this->readDetailNumber(p_detail, "isInfrared", "get isInfrared from detail failed",
                                this->m_nIsInfrared)) {
        return 0;
    }
    if (p_bGeneration) {
        if (!this->readDetailNumber(p_detail, "generation", "get generation from detail failed",
                                    m_nGeneration)) {
            return 0;
        }
        std::printf("m_nGeneration=%d\n", m_nGeneration);
    }
    return 1;
}

template <class Base>
int CmdSenseController<Base>::openPort() {
    return SerialSetup::openPort(*this, *this->m_pUART, this->m_nUARTIndex, m_strDevice, m_line);
}

template <class Base>
void CmdSenseController<Base>::registerIds(std::initializer_list<std::pair<int, int> > p_common,
                                           std::initializer_list<std::pair<int, int> > p_setOnly) {
    for (const auto& range : p_common) {
        this->m_pIdManager->addParameterId(ID_TYPE_COMMON, range.first, range.second);
    }
    for (const auto& range : p_setOnly) {
        this->m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, range.first, range.second);
    }
}

template class CmdSenseController<ISensorController>;
template class CmdSenseController<IKeelZoomSensorController>;
