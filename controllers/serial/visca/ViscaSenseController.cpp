#include "ViscaSenseController.h"

#include <cstdio>
#include <cstdlib>

namespace ViscaParameters {

int irisUp(ISensorController&, ViscaCommandSet& p_commands, int) {
    return p_commands.IrisUp();
}

int irisDown(ISensorController&, ViscaCommandSet& p_commands, int) {
    return p_commands.IrisDown();
}

int focusUp(ISensorController&, ViscaCommandSet& p_commands, int) {
    return p_commands.FocusUp();
}

int focusDown(ISensorController&, ViscaCommandSet& p_commands, int) {
    return p_commands.FocusDown();
}

namespace {

typedef ViscaParameter P;
typedef ViscaCommandSet C;
typedef ParameterRole R;
typedef ParameterUnit U;

// Both flips: 61 left-right, 66 up-down.
const ParameterMenuEntry kMirror[] = {{0, "off"}, {1, "mirror"}, {2, "both"}, {3, "flip"}};
const ParameterMenuEntry kExposureModes[] = {
    {0, "auto"}, {1, "manual"}, {2, "shutter-priority"}, {3, "iris-priority"}, {4, "bright"}};
const ParameterMenuEntry kExposureCompensationOff[] = {{-1, "off"}};
// Sent one lower: 0 auto ... 8 sodium lamp.
const ParameterMenuEntry kWhiteBalanceModes[] = {
    {1, "auto"},   {2, "indoor"},       {3, "outdoor"},          {4, "one-push"},   {5, "atw"},
    {6, "manual"}, {7, "outdoor-auto"}, {8, "sodium-lamp-auto"}, {9, "sodium-lamp"}};
// The module's own modes; any other value only restarts the switch delay.
const ParameterMenuEntry kDayNightModes[] = {
    {1, "module"}, {3, "day"}, {4, "night"}, {5, "schedule"}};
// Sent as 03 (off), 02 (on), 00, 01 and 04: the last three by their code.
const ParameterMenuEntry kWideDynamicModes[] = {
    {1, "off"}, {2, "on"}, {3, "mode-0"}, {4, "mode-1"}, {5, "mode-4"}};
const ParameterMenuEntry kFocusModes[] = {{1, "auto"}, {2, "manual"}, {3, "one-push"}};
// How auto focus runs: all the time, at intervals (ids 45 and 46), or after a zoom.
const ParameterMenuEntry kAutoFocusModes[] = {{0, "normal"}, {1, "interval"}, {2, "zoom-trigger"}};
const ParameterMenuEntry kAutoFocusSensitivities[] = {{1, "normal"}, {2, "low"}};

int dayNightMode(ISensorController& p_owner, ViscaCommandSet&, int p_nValue) {
    return p_owner.setDayNightMode(p_nValue);
}

int focusMode(ISensorController& p_owner, ViscaCommandSet&, int p_nValue) {
    return p_owner.setFocusMode(p_nValue);
}

const ViscaParameter kFamily[] = {
    P::setting(1, "setSharpness", &C::setSharpness, 70)
        .range("sharpness", R::SHARPNESS, 0, 100, U::PERCENT),
    P::setting(2, "setLowLightChromaSuppress", &C::setLowLightChromaSuppress, 2)
        .range("low-light-chroma", R::NONE, 0, 3),
    P::setting(3, "setGamma", &C::setGamma, 0).range("gamma", R::NONE, 0, 5),
    P::setting(4, "setNoiseReduction", &C::setNoiseReduction, 3)
        .range("noise-reduction", R::NOISE_REDUCTION_2D, 0, 5),
    P::setting(5, "setHR", &C::setHR, 0).onOff("high-resolution"),
    P::setting(6, "setMirror", &C::setMirror, 0)
        .menu("mirror", R::MIRROR_FLIP, kMirror)
        .refusal("p_nMirror(%d) is out of range"),
    // The level of the module's own IR-cut switching.
    P::setting(7, "setThreshold", &C::setThreshold, 10)
        .range("icr-threshold", R::DTN_THRESHOLD, 0, 28, U::STEP),
    P::setting(8, "setStillImage", &C::setStillImage, 0).onOff("still-image"),
    P::setting(10, "setExposalMode", &C::setExposalMode, 0)
        .menu("exposure-mode", R::EXPOSURE_MODE, kExposureModes),
    P::setting(11, "setShutter", &C::setShutter, 5).range("shutter", R::SHUTTER, 0, 21, U::STEP),
    iris("setIri"),
    P::setting(13, "setBright", &C::setBright, 15).range("bright", R::NONE, 0, 27, U::STEP),
    P::setting(14, "setGain", &C::setGain, 1).range("gain", R::GAIN, 0, 15, U::GAIN_STEP),
    P::setting(15, "setGainLimit", &C::setGainLimit, 15)
        .range("gain-limit", R::MAX_GAIN, 4, 15, U::GAIN_STEP),
    P::setting(16, "setAutoSlowShutter", &C::setAutoSlowShutter, 0).onOff("auto-slow-shutter"),
    P::setting(17, "setExpComp", &C::setExpComp, -1)
        .range("exposure-comp", R::NONE, 0, 14, U::STEP)
        .also(kExposureCompensationOff)
        .refusal("p_nExpComp(%d) is out of range"),
    P::setting(18, "setAEResponse", &C::setAEResponse, 1).range("ae-response", R::NONE, 1, 48),
    P::setting(19, "setSpotAE", &C::setSpotAE, 0).onOff("spot-ae"),
    P::setting(20, "setSpotAE_X", &C::setSpotAE_X, 8).range("spot-x", R::NONE, 0, 15, U::STEP),
    P::setting(21, "setSpotAE_Y", &C::setSpotAE_Y, 8).range("spot-y", R::NONE, 0, 15, U::STEP),
    P::setting(22, "setBackLight", &C::setBackLight, 0)
        .onOff("backlight", R::BACKLIGHT_COMPENSATION),
    P::setting(23, "setWBMode", &C::setWBMode, 1)
        .menu("wb-mode", R::WB_MODE, kWhiteBalanceModes)
        .refusal("p_nWBMode(%d) is out of range"),
    P::setting(24, "setRGain", &C::setRGain, 203).range("red-gain", R::RED_GAIN, 0, 255),
    P::setting(25, "setBGain", &C::setBGain, 173).range("blue-gain", R::BLUE_GAIN, 0, 255),
    P::action(26, "setDayNightMode", dayNightMode, 1)
        .menu("daynight-mode", R::DAY_NIGHT_MODE, kDayNightModes)
        .unchecked(),
    P::setting(27, "setIRCorrection", &C::setIRCorrection, 0).onOff("ir-correction"),
    P::setting(28, "setWDMode", &C::setWDMode, 1).menu("wd-mode", R::WDR_MODE, kWideDynamicModes),
    P::setting(29, "setDZoom", &C::setDZoom, 0).onOff("digital-zoom"),
    P::action(30, "setFocusMode", focusMode, 1).menu("focus-mode", R::FOCUS_MODE, kFocusModes),
    P::setting(32, "setFocusAutoMode", &C::setFocusAutoMode, 0)
        .menu("focus-auto-mode", R::NONE, kAutoFocusModes),
    P::setting(33, "setAF_Sensitivity", &C::setAF_Sensitivity, 1)
        .menu("af-sensitivity", R::NONE, kAutoFocusSensitivities),
    P::setting(34, "setFocusNearLimit", &C::setFocusNearLimit, 7)
        .range("focus-near-limit", R::NONE, 1, 15, U::STEP),
    P::setting(37, "OnePushTrigger", &C::OnePushTrigger, 0).button("one-push"),
    // The 2D frame's four values and the short exposure that goes with them.
    P::setting(38, "setDisplay", &C::setDisplay, 0)
        .range("display", R::NONE, 0, 2)
        .refusal("p_nDisplay(%d) is out of range"),
    P::setting(39, "setSens", &C::setSens, 0)
        .range("sens", R::NONE, 0, 2)
        .refusal("p_nSens(%d) is out of range"),
    P::setting(40, "setBintens", &C::setBintens, 3)
        .range("b-intensity", R::NONE, 0, 3)
        .refusal("p_nBintens(%d) is out of range"),
    P::setting(41, "setWintens", &C::setWintens, 0)
        .range("w-intensity", R::NONE, 0, 2)
        .refusal("p_nWintens(%d) is out of range"),
    P::setting(44, "setShortTimeExp", &C::setShortTimeExp, 20)
        .range("short-exposure", R::NONE, 1, 150)
        .refusal("p_nShortTimeExp(%d) is out of range"),
    P::setting(45, "setLensMovement", &C::setLensMovement, 5)
        .range("lens-movement", R::NONE, 0, 255, U::SECOND),
    P::setting(46, "setLensInterval", &C::setLensInterval, 5)
        .range("lens-interval", R::NONE, 0, 255, U::SECOND),
    P::setting(47, "setSaturation", &C::setSaturation, 40)
        .range("saturation", R::SATURATION, 0, 100, U::PERCENT),
    P::setting(48, "setHue", &C::setHue, 50).range("hue", R::HUE, 0, 100, U::PERCENT),
    P::setting(49, "setHighSensitivity", &C::setHighSensitivity, 0).onOff("high-sensitivity"),
    // The bright level of id 13 on a 0..100 scale.
    P::setting(50, "setBrightRemoteSensor2", &C::setBrightRemoteSensor2, 56)
        .range("bright-remote", R::NONE, 0, 100, U::PERCENT)
        .refusal("p_nBright(%d) is out of range"),
};

const ViscaParameter kFcbUpperIds[] = {
    baseRow(51, ISensorController::BASE_TNF_MODE),
    P::action(52, "IrisUp", irisUp, 0).button("iris-up"),
    P::action(53, "IrisDown", irisDown, 0).button("iris-down"),
    P::action(54, "FocusUp", focusUp, 0).button("focus-up"),
    P::action(55, "FocusDown", focusDown, 0).button("focus-down"),
    brightness(56),
    baseRow(57, ISensorController::BASE_NEAR_LIGHT),
    baseRow(58, ISensorController::BASE_MIDDLE_LIGHT),
    baseRow(59, ISensorController::BASE_FAR_LIGHT),
    baseRow(60, ISensorController::BASE_DTN_HOUR),
    baseRow(61, ISensorController::BASE_DTN_MINUTE),
    baseRow(62, ISensorController::BASE_NTD_HOUR),
    baseRow(63, ISensorController::BASE_NTD_MINUTE),
    baseRow(64, ISensorController::BASE_POWER_MODE),
};

}  // namespace

ViscaParameterList family() {
    return ViscaParameterList(kFamily);
}

ViscaParameterList fcbUpperIds() {
    return ViscaParameterList(kFcbUpperIds);
}

}  // namespace ViscaParameters

int ViscaRegisteredDescriptions::describe(int p_nId, ParameterDescriptor& p_descriptor) const {
    return m_ids.getIdType(p_nId) != 0 && m_table.describe(p_nId, p_descriptor);
}

int ViscaRegisteredDescriptions::describeNext(int p_nAfter,
                                              ParameterDescriptor& p_descriptor) const {
    int after = p_nAfter;
    while (m_table.describeNext(after, p_descriptor)) {
        if (m_ids.getIdType(p_descriptor.nId) != 0) {
            return 1;
        }
        after = p_descriptor.nId;
    }
    return 0;
}

namespace {

// Ids above this are no member's; reads of unlisted ids up to it answer 0.
const int kLastId = 68;
const int kSyncRegister = 0x56;
const int kVideoStandardRegister = 0x72;

// An acknowledgement anywhere in what the port gave.
bool holdsAcknowledge(const char* p_pBytes, int p_nLength) {
    for (int index = 0; index + 3 <= p_nLength; ++index) {
        if (static_cast<unsigned char>(p_pBytes[index]) == 0x90 &&
            (p_pBytes[index + 1] == 0x41 || p_pBytes[index + 1] == 0x42) &&
            static_cast<unsigned char>(p_pBytes[index + 2]) == 0xFF) {
            return true;
        }
    }
    return false;
}

// The lamp board's day/night frame: 0 automatic, 1 night, 2 day.
std::string lampBoardFrame(int p_nState) {
    return Visca::boardFrame(Visca::bytes({0x01, 0x1E, 0x02, 0x00, p_nState}));
}

}  // namespace

template <class Base>
ViscaSenseController<Base>::ViscaSenseController(
    int p_nModuleId, ViscaLink::Reader p_eReader,
    std::initializer_list<ViscaParameterList> p_modules)
    : Base(p_nModuleId),
      m_nVideoSystemChanged(0),
      m_nFocusMode(0),
      m_link(*this, this->m_pUART, this->m_nUARTIndex, this->m_mutex, p_eReader),
      m_commands(*this, *this->m_pSensorCache),
      m_parameters(p_modules),
      m_descriptions(m_parameters, *this->m_pIdManager) {
    m_parameters.append(ViscaParameters::family());
    this->describeParametersBy(&m_descriptions);
    this->m_bIsUARTModule = true;
    this->setSensorConfigVersion(0);
    this->setSensorConfigVersion2(0);
}

template <class Base>
int ViscaSenseController<Base>::sendRaw(const std::string& p_strFrame) {
    return setParameterValue(p_strFrame.data(), static_cast<int>(p_strFrame.size()));
}

template <class Base>
int ViscaSenseController<Base>::inquire(const std::string& p_strFrame, char* p_pReply,
                                        int p_nLength) {
    return getParameterValue(p_strFrame.data(), static_cast<int>(p_strFrame.size()), p_pReply,
                             p_nLength);
}

template <class Base>
int ViscaSenseController<Base>::setParameterValue(const char* p_pBytes, int p_nLength) {
    return m_link.sendCommand(p_pBytes, p_nLength);
}

template <class Base>
int ViscaSenseController<Base>::getParameterValue(const char* p_pRequest, int p_nRequestLength,
                                                  char* p_pAnswer, int p_nAnswerLength) {
    return m_link.sendInquiry(p_pRequest, p_nRequestLength, p_pAnswer, p_nAnswerLength);
}

template <class Base>
int ViscaSenseController<Base>::getMirrorValue(int& p_nMirror) {
    return this->getParameter(6, p_nMirror);
}

template <class Base>
int ViscaSenseController<Base>::getStillImageValue(int& p_nValue) {
    return this->getParameter(8, p_nValue);
}

template <class Base>
int ViscaSenseController<Base>::getCameraFocusMode(int& p_nMode) {
    p_nMode = m_nFocusMode;
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::setFocusMode(int p_nMode) {
    return m_commands.setFocusMode(p_nMode, m_nFocusMode);
}

template <class Base>
int ViscaSenseController<Base>::set2AParam(int) {
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::setRunAutoIris() {
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::StopIris() {
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::getDNStatusFromSensor(int&) {
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::setParameterToSensor(int p_nId, int p_nValue) {
    if (this->m_SensorStatus != ISensorController::InitSuccess) {
        this->ErrorPrintf("m_BaseSensorStatus != ISensorController::InitSuccess!");
        return 0;
    }
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    int result = m_parameters.write(*this, m_commands, p_nId, p_nValue);
    return result == -1 ? 0 : result;
}

template <class Base>
int ViscaSenseController<Base>::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (this->m_SensorStatus != ISensorController::InitSuccess) {
        this->ErrorPrintf("m_BaseSensorStatus != ISensorController::InitSuccess!");
        return 0;
    }
    p_nValue = 0;
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    if (p_nId < 1 || p_nId > kLastId) {
        return 0;
    }
    int found = m_parameters.read(*this, p_nId, p_nValue);
    if (found != 1) {
        return found == -1 ? 1 : 0;  // an id no member has reads as 0
    }
    // With an infrared lamp the focus may come nearer.
    const ViscaParameter* row = m_parameters.find(p_nId);
    if (row->eKind == ViscaParameter::SETTING &&
        row->pfnSet == &ViscaCommandSet::setFocusNearLimit && this->m_nIsInfrared == 1) {
        p_nValue = 14;
    }
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::setDayNightMode(int p_nMode) {
    // The module's modes to the base's: 1 -> 4, 3 -> 1, 4 -> 2, 5 -> 3.
    switch (p_nMode) {
        case 1:
            return ISensorController::setDayNightMode(4);
        case 3:
            return ISensorController::setDayNightMode(1);
        case 4:
            return ISensorController::setDayNightMode(2);
        case 5:
            return ISensorController::setDayNightMode(3);
        default:
            this->reInitDelayStartTime();
            return 1;
    }
}

template <class Base>
int ViscaSenseController<Base>::getDayNightMode(int& p_nMode) {
    static const int kModuleModes[] = {1, 3, 4, 5, 1};
    int mode = this->m_nDayNightMode;
    p_nMode = mode >= 0 && mode <= 4 ? kModuleModes[mode] : 1;
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::getDayNightState(int& p_nState) {
    char reply[4] = {0};
    if (!inquire(Visca::inquiry(0x01), reply, 4) || (reply[0] & 0x0F) != 0 ||
        static_cast<unsigned char>(reply[3]) != 0xFF || (reply[2] != 0x02 && reply[2] != 0x03)) {
        return 0;
    }
    p_nState = reply[2] == 0x02 ? 1 : 0;
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::getCurrentGain(int& p_nGain) {
    char reply[7] = {0};
    if (!inquire(Visca::inquiry(0x4C), reply, 7)) {
        this->ErrorPrintf("get currentGain failed,nRet=%d", 0);
        return 0;
    }
    if (static_cast<unsigned char>(reply[0]) != 0x90 || reply[1] != 0x50 ||
        static_cast<unsigned char>(reply[6]) != 0xFF) {
        this->ErrorPrintf("get currentGain failed");
        this->recodeArray(reply, 7);
        return 0;
    }
    p_nGain = (static_cast<int>(Visca::fromNibbles(reply + 4, 2)) - 1) * 2;
    return 1;
}

template <class Base>
int ViscaSenseController<Base>::turnPictureToDay() {
    if (this->m_nIsInfrared != 0) {
        return sendRaw(lampBoardFrame(2));
    }
    if (!m_commands.send(0x01, Visca::bytes({0x03}))) {  // IR-cut filter in
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return m_commands.send(0x51, Visca::bytes({0x03}));
}

template <class Base>
int ViscaSenseController<Base>::turnPictureToNight() {
    if (this->m_nIsInfrared != 0) {
        return sendRaw(lampBoardFrame(1));
    }
    if (!m_commands.send(0x01, Visca::bytes({0x02}))) {  // IR-cut filter out
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return m_commands.send(0x51, Visca::bytes({0x03}));
}

template <class Base>
int ViscaSenseController<Base>::enterAutoMode() {
    if (this->m_nIsInfrared != 0) {
        return sendRaw(lampBoardFrame(0));
    }
    std::puts("enter auto mode");
    if (!m_commands.send(0x01, Visca::bytes({0x03}))) {
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return m_commands.send(0x51, Visca::bytes({0x02}));
}

template <class Base>
int ViscaSenseController<Base>::NotifySensorInitComplate() {
    char reply[7] = {0};
    return inquire(Visca::inquiry(0x22), reply, 7);
}

template <class Base>
int ViscaSenseController<Base>::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    OrvaneTime(0, 100).wait();
    char reply[5] = {0};
    inquire(Visca::inquiry(0x24, Visca::bytes({kVideoStandardRegister})), reply, 5);
    int wanted = p_nVideoSystem == 1 ? 8 : 6;
    if (reply[3] == wanted) {
        std::puts("Video system not change!");
        if (m_nVideoSystemChanged != 1) {
            return 1;
        }
    } else {
        std::printf("set video system,nValue=%d,szRecv[3]=%d\n", wanted, reply[3]);
        std::puts(p_nVideoSystem == 1 ? "____set PAL" : "____set NTSC");
        m_commands.send(0x24, Visca::bytes({kVideoStandardRegister, 0x00, wanted}));
        m_nVideoSystemChanged = 1;
    }
    // The new standard (or sync source) takes effect once the camera
    // restarts; nothing else may talk to it meanwhile.
    OVMutexManager guard(this->m_mutex);
    const std::string reset = Visca::command(0x19, Visca::bytes({0x03}));
    if (this->m_pUART->write(this->m_nUARTIndex, reset.data(), static_cast<int>(reset.size())) !=
        static_cast<int>(reset.size())) {
        OrvaneTime(1, 0).wait();
        return 0;
    }
    char answer[6] = {0};
    int length = this->m_pUART->read(this->m_nUARTIndex, answer, 6, 5);
    if (!holdsAcknowledge(answer, length)) {
        length = this->m_pUART->read(this->m_nUARTIndex, answer, 6, 5);
    }
    if (holdsAcknowledge(answer, length)) {
        std::puts("Restarting sensor.....Wait 20s");
        OrvaneTime(20, 0).wait();
        this->clearUartBuffer();
        return 1;
    }
    this->ErrorPrintf("restart sensor recv failed");
    this->ErrorPrintf("recv:0x%x,0x%x,0x%x", static_cast<unsigned char>(answer[0]),
                      static_cast<unsigned char>(answer[1]), static_cast<unsigned char>(answer[2]));
    return 0;
}

template <class Base>
int ViscaSenseController<Base>::checkSync(bool p_bTrace) {
    char reply[5] = {0};
    const std::string inquiry = Visca::inquiry(0x24, Visca::bytes({kSyncRegister}));
    if (!inquire(inquiry, reply, 5) && !inquire(inquiry, reply, 5)) {
        this->ErrorPrintf("get sync failed");
        return 0;
    }
    if (p_bTrace) {
        std::printf("_szRecv[3]=%d\n", reply[3]);
    }
    switch (reply[3]) {
        case 0:
            std::puts("Open inter-sync");
            // The register is read at start-up: marking the standard as
            // changed makes the video-standard step that follows restart it.
            if (!m_commands.send(0x24, Visca::bytes({kSyncRegister, 0x00, 0x01}))) {
                return 0;
            }
            m_nVideoSystemChanged = 1;
            return 1;
        case 1:
            std::puts("it's inter-sync");
            return 1;
        default:
            this->ErrorPrintf("get sync error!");
            return 0;
    }
}

template <class Base>
int ViscaSenseController<Base>::readModuleConfig(const ModuleConfigure& p_config,
                                                 const char* p_szMissingLine,
                                                 ModuleParameterParser& p_detail,
                                                 std::string& p_strDevice) {
    return SerialSetup::readConfig(*this, p_config, p_szMissingLine, p_detail, p_strDevice,
                                   m_line) &&
                   this->readDetailNumber(p_detail, "isInfrared",
                                          "get isInfrared from detail failed", this->m_nIsInfrared)
               ? 1
               : 0;
}

template <class Base>
int ViscaSenseController<Base>::openPort(const std::string& p_strDevice) {
    return SerialSetup::openPort(*this, *this->m_pUART, this->m_nUARTIndex, p_strDevice, m_line);
}

template class ViscaSenseController<ISensorController>;
template class ViscaSenseController<IKeelZoomSensorController>;
