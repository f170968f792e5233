#include "FCBEV7310SenseController.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../../platform/ModuleParameterParser.h"

namespace {

typedef int (ViscaCommandSet::*Setting)(int);

// An id that is one VISCA setting: its operation names for the failure log
// and the module's factory default, which is what a read answers.
struct Row {
    int nId;
    const char* szSetter;
    Setting set;
    int nDefault;
};

const Row kRows[] = {
    {1, "setSharpness", &ViscaCommandSet::setSharpness, 70},
    {2, "setLowLightChromaSuppress", &ViscaCommandSet::setLowLightChromaSuppress, 2},
    {3, "setGamma", &ViscaCommandSet::setGamma, 0},
    {4, "setNoiseReduction", &ViscaCommandSet::setNoiseReduction, 3},
    {5, "setHR", &ViscaCommandSet::setHR, 0},
    {6, "setMirror", &ViscaCommandSet::setMirror, 0},
    {7, "setThreshold", &ViscaCommandSet::setThreshold, 10},
    {8, "setStillImage", &ViscaCommandSet::setStillImage, 0},
    {10, "setExposalMode", &ViscaCommandSet::setExposalMode, 0},
    {11, "setShutter", &ViscaCommandSet::setShutter, 5},
    {12, "setIri", &ViscaCommandSet::setIri, 17},
    {13, "setBright", &ViscaCommandSet::setBright, 15},
    {14, "setGain", &ViscaCommandSet::setGain, 1},
    {15, "setGainLimit", &ViscaCommandSet::setGainLimit, 15},
    {16, "setAutoSlowShutter", &ViscaCommandSet::setAutoSlowShutter, 0},
    {17, "setExpComp", &ViscaCommandSet::setExpComp, -1},
    {18, "setAEResponse", &ViscaCommandSet::setAEResponse, 1},
    {19, "setSpotAE", &ViscaCommandSet::setSpotAE, 0},
    {20, "setSpotAE_X", &ViscaCommandSet::setSpotAE_X, 8},
    {21, "setSpotAE_Y", &ViscaCommandSet::setSpotAE_Y, 8},
    {22, "setBackLight", &ViscaCommandSet::setBackLight, 0},
    {23, "setWBMode", &ViscaCommandSet::setWBMode, 1},
    {24, "setRGain", &ViscaCommandSet::setRGain, 203},
    {25, "setBGain", &ViscaCommandSet::setBGain, 173},
    {27, "setIRCorrection", &ViscaCommandSet::setIRCorrection, 0},
    {28, "setWDMode", &ViscaCommandSet::setWDMode, 1},
    {29, "setDZoom", &ViscaCommandSet::setDZoom, 0},
    {32, "setFocusAutoMode", &ViscaCommandSet::setFocusAutoMode, 0},
    {33, "setAF_Sensitivity", &ViscaCommandSet::setAF_Sensitivity, 1},
    {34, "setFocusNearLimit", &ViscaCommandSet::setFocusNearLimit, 7},
    {37, "OnePushTrigger", &ViscaCommandSet::OnePushTrigger, 0},
    {38, "setDisplay", &ViscaCommandSet::setDisplay, 0},
    {39, "setSens", &ViscaCommandSet::setSens, 0},
    {40, "setBintens", &ViscaCommandSet::setBintens, 3},
    {41, "setWintens", &ViscaCommandSet::setWintens, 0},
    {44, "setShortTimeExp", &ViscaCommandSet::setShortTimeExp, 20},
    {45, "setLensMovement", &ViscaCommandSet::setLensMovement, 5},
    {46, "setLensInterval", &ViscaCommandSet::setLensInterval, 5},
    {47, "setSaturation", &ViscaCommandSet::setSaturation, 40},
    {48, "setHue", &ViscaCommandSet::setHue, 50},
    {49, "setHighSensitivity", &ViscaCommandSet::setHighSensitivity, 0},
    {50, "setBrightRemoteSensor2", &ViscaCommandSet::setBrightRemoteSensor2, 56},
    {56, "setBrightness", &ViscaCommandSet::setBrightness, 50},
    {65, "setDeFog", &ViscaCommandSet::setDeFog, 0},
    {66, "setHLCLv", &ViscaCommandSet::setHLCLv, 0},
    {67, "setHLCMaskLv", &ViscaCommandSet::setHLCMaskLv, 8},
    {68, "setHLC", &ViscaCommandSet::setHLC, 0},
};

// Ids that are the base's own settings.
struct BaseRow {
    int nId;
    int nSetting;
    const char* szSetter;
};

const BaseRow kBaseRows[] = {
    {51, ISensorController::BASE_TNF_MODE, "setTNFMode"},
    {57, ISensorController::BASE_NEAR_LIGHT, "setNearLight"},
    {58, ISensorController::BASE_MIDDLE_LIGHT, "setMiddleLight"},
    {59, ISensorController::BASE_FAR_LIGHT, "setFarLight"},
    {60, ISensorController::BASE_DTN_HOUR, "setDTNTime_H"},
    {61, ISensorController::BASE_DTN_MINUTE, "setDTNTime_M"},
    {62, ISensorController::BASE_NTD_HOUR, "setNTDTime_H"},
    {63, ISensorController::BASE_NTD_MINUTE, "setNTDTime_M"},
    {64, ISensorController::BASE_POWER_MODE, "setPowerMode"},
};

// These ids log a fixed text instead of "<setter> error,value is %d".
const char* fixedFailureText(int p_nId) {
    switch (p_nId) {
        case 60:
            return "setDTNTime_H failed";
        case 61:
            return "setDTNTime_M failed";
        case 62:
            return "setNTDTime_H failed";
        case 63:
            return "setNTDTime_M failed";
        case 65:
            return "setDefog failed";
        case 66:
            return "setHLC_Lv failed";
        case 67:
            return "setHLC_MaskLv failed";
        case 68:
            return "setHLC failed";
        default:
            return nullptr;
    }
}

const Row* findRow(int p_nId) {
    for (const Row& row : kRows) {
        if (row.nId == p_nId) {
            return &row;
        }
    }
    return nullptr;
}

const BaseRow* findBaseRow(int p_nId) {
    for (const BaseRow& row : kBaseRows) {
        if (row.nId == p_nId) {
            return &row;
        }
    }
    return nullptr;
}

const int kBaudRates[] = {9600, 19200, 38400, 115200};
const int kShellTimeout = 30;

int baudIndex(int p_nBaudRate) {
    for (int index = 0; index < 4; ++index) {
        if (kBaudRates[index] == p_nBaudRate) {
            return index;
        }
    }
    return -1;
}

bool isAcknowledge(const char* p_pBytes, int p_nLength) {
    for (int index = 0; index + 3 <= p_nLength; ++index) {
        if (static_cast<unsigned char>(p_pBytes[index]) == 0x90 &&
            (p_pBytes[index + 1] == 0x41 || p_pBytes[index + 1] == 0x42) &&
            static_cast<unsigned char>(p_pBytes[index + 2]) == 0xFF) {
            return true;
        }
    }
    return false;
}

}  // namespace

FCBEV7310SenseController::FCBEV7310SenseController()
    : ISensorController(85),
      m_nGeneration(0),
      m_nExposalMode(0),
      m_nVideoSystemChanged(0),
      m_nFocusMode(0),
      m_nToDayADCVal(0),
      m_nToNightADCVal(0),
      m_pLensAlgorithm(new CameraLensZMAAlgorithm()),
      m_szRecvBuf(),
      m_link(*this, m_pUART, m_nUARTIndex, m_mutex, ViscaLink::FRAMED),
      m_commands(*this, *m_pSensorCache) {
    m_bIsUARTModule = true;
    static const int kRanges[][2] = {{1, 8}, {10, 30}, {32, 34}, {38, 41}, {44, 51}, {57, 68}};
    for (const auto& range : kRanges) {
        m_pIdManager->addParameterId(ID_TYPE_COMMON, range[0], range[1]);
    }
    setSensorConfigVersion(0);
    setSensorConfigVersion2(0);
}

FCBEV7310SenseController::~FCBEV7310SenseController() {
    stopBackgroundThread();
}

int FCBEV7310SenseController::sendRaw(const std::string& p_strFrame) {
    return setParameterValue(p_strFrame.data(), static_cast<int>(p_strFrame.size()));
}

int FCBEV7310SenseController::inquire(const std::string& p_strFrame, char* p_pReply,
                                      int p_nLength) {
    return getParameterValue(p_strFrame.data(), static_cast<int>(p_strFrame.size()), p_pReply,
                             p_nLength);
}

int FCBEV7310SenseController::setParameterValue(const char* p_pBytes, int p_nLength) {
    return m_link.sendCommand(p_pBytes, p_nLength);
}

int FCBEV7310SenseController::getParameterValue(const char* p_pRequest, int p_nRequestLength,
                                                char* p_pAnswer, int p_nAnswerLength) {
    return m_link.sendInquiry(p_pRequest, p_nRequestLength, p_pAnswer, p_nAnswerLength);
}

int FCBEV7310SenseController::getMirrorValue(int& p_nMirror) {
    return getParameter(6, p_nMirror);
}

int FCBEV7310SenseController::getStillImageValue(int& p_nValue) {
    return getParameter(8, p_nValue);
}

int FCBEV7310SenseController::getCameraFocusMode(int& p_nMode) {
    p_nMode = m_nFocusMode;
    return 1;
}

int FCBEV7310SenseController::set2AParam(int) {
    return 1;
}

int FCBEV7310SenseController::setRunAutoIris() {
    return 1;
}

int FCBEV7310SenseController::StopIris() {
    return 1;
}

int FCBEV7310SenseController::IrisUp() {
    return m_commands.IrisUp();
}

int FCBEV7310SenseController::IrisDown() {
    return m_commands.IrisDown();
}

int FCBEV7310SenseController::getDNStatusFromSensor(int&) {
    return 1;
}

int FCBEV7310SenseController::setParameterToSensor(int p_nId, int p_nValue) {
    if (m_SensorStatus != InitSuccess) {
        ErrorPrintf("m_BaseSensorStatus != ISensorController::InitSuccess!");
        return 0;
    }
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    if (p_nId < 1 || p_nId > 68) {
        return 0;
    }
    int result = 0;
    const char* setter = nullptr;
    if (const Row* row = findRow(p_nId)) {
        setter = row->szSetter;
        result = (m_commands.*(row->set))(p_nValue);
    } else if (const BaseRow* baseRow = findBaseRow(p_nId)) {
        setter = baseRow->szSetter;
        result = setBaseSetting(baseRow->nSetting, p_nValue);
    } else {
        switch (p_nId) {
            case 26:
                setter = "setDayNightMode";
                result = setDayNightMode(p_nValue);
                break;
            case 30:
                setter = "setFocusMode";
                result = setFocusMode(p_nValue);
                break;
            case 52:
                setter = "IrisUp";
                result = m_commands.IrisUp();
                break;
            case 53:
                setter = "IrisDown";
                result = m_commands.IrisDown();
                break;
            case 54:
                setter = "FocusUp";
                result = m_commands.FocusUp();
                break;
            case 55:
                setter = "FocusDown";
                result = m_commands.FocusDown();
                break;
            default:  // 9, 31, 35, 36, 42, 43: not this module's
                return 0;
        }
    }
    if (!result) {
        const char* fixed = fixedFailureText(p_nId);
        if (fixed != nullptr) {
            ErrorPrintf("%s", fixed);
        } else {
            ErrorPrintf("%s error,value is %d", setter, p_nValue);
        }
        return 0;
    }
    if (p_nId == 10) {
        m_nExposalMode = p_nValue;
    }
    return 1;
}

int FCBEV7310SenseController::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (m_SensorStatus != InitSuccess) {
        ErrorPrintf("m_BaseSensorStatus != ISensorController::InitSuccess!");
        return 0;
    }
    p_nValue = 0;
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    if (p_nId < 1 || p_nId > 68) {
        return 0;
    }
    if (const Row* row = findRow(p_nId)) {
        p_nValue = p_nId == 34 && m_nIsInfrared == 1 ? 14 : row->nDefault;
        return 1;
    }
    if (const BaseRow* baseRow = findBaseRow(p_nId)) {
        if (!getBaseSetting(baseRow->nSetting, p_nValue)) {
            ErrorPrintf("get%s error,value is %d", baseRow->szSetter + 3, p_nValue);
            return 0;
        }
        return 1;
    }
    p_nValue = p_nId == 26 || p_nId == 30 ? 1 : 0;
    return 1;
}

int FCBEV7310SenseController::setDayNightMode(int p_nMode) {
    // The module's modes: 1 its own automatic, 3 day, 4 night, 5 schedule.
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
            reInitDelayStartTime();
            return 1;
    }
}

int FCBEV7310SenseController::getDayNightMode(int& p_nMode) {
    switch (m_nDayNightMode) {
        case 1:
            p_nMode = 3;
            break;
        case 2:
            p_nMode = 4;
            break;
        case 3:
            p_nMode = 5;
            break;
        default:
            p_nMode = 1;
            break;
    }
    return 1;
}

int FCBEV7310SenseController::setFocusMode(int p_nMode) {
    return m_commands.setFocusMode(p_nMode, m_nFocusMode);
}

int FCBEV7310SenseController::ZoomIn(int p_nSpeed) {
    if (p_nSpeed < 0 || p_nSpeed > 8) {
        return 0;
    }
    return m_commands.send(0x07, Visca::bytes({0x20 | p_nSpeed}));
}

int FCBEV7310SenseController::ZoomOut(int p_nSpeed) {
    if (p_nSpeed < 0 || p_nSpeed > 8) {
        return 0;
    }
    return m_commands.send(0x07, Visca::bytes({0x30 | p_nSpeed}));
}

int FCBEV7310SenseController::StopZoomContrl() {
    return m_commands.send(0x07, Visca::bytes({0}));
}

int FCBEV7310SenseController::FocusFar(int p_nSpeed) {
    if (!setFocusMode(3)) {
        return 0;
    }
    return m_commands.send(0x08, Visca::bytes({0x20 | (p_nSpeed & 15)}));
}

int FCBEV7310SenseController::FocusNear(int p_nSpeed) {
    if (!setFocusMode(3)) {
        return 0;
    }
    return m_commands.send(0x08, Visca::bytes({0x30 | (p_nSpeed & 15)}));
}

int FCBEV7310SenseController::StopFocusContrl() {
    if (m_nFocusMode != 2) {
        return 0;
    }
    return m_commands.send(0x08, Visca::bytes({0}));
}

int FCBEV7310SenseController::setZoomValue(int p_nZoom) {
    return m_commands.send(0x47, Visca::nibbles(static_cast<unsigned int>(p_nZoom), 4));
}

int FCBEV7310SenseController::setFocusValue(int p_nFocus) {
    return m_commands.send(0x48, Visca::nibbles(static_cast<unsigned int>(p_nFocus), 4));
}

int FCBEV7310SenseController::setZoomAndFocusValue(int p_nZoom, int p_nFocus) {
    return m_commands.send(0x47, Visca::nibbles(static_cast<unsigned int>(p_nZoom), 4) +
                                     Visca::nibbles(static_cast<unsigned int>(p_nFocus), 4));
}

int FCBEV7310SenseController::getZoomValue(int& p_nZoom, int& p_nRatio) {
    char reply[7] = {0};
    if (!inquire(Visca::inquiry(0x47), reply, 7) || (reply[0] & 0x0F) != 0 || reply[1] != 0x50 ||
        static_cast<unsigned char>(reply[6]) != 0xFF) {
        clearUartBuffer();
        return 0;
    }
    p_nZoom = static_cast<int>(Visca::fromNibbles(reply + 2, 4));
    Visca::zoomRatio(p_nZoom, p_nRatio);
    return 1;
}

int FCBEV7310SenseController::getFocusValue(int& p_nFocus) {
    char reply[7] = {0};
    if (!inquire(Visca::inquiry(0x48), reply, 7)) {
        return 0;
    }
    p_nFocus = static_cast<int>(Visca::fromNibbles(reply + 2, 4));
    return 1;
}

int FCBEV7310SenseController::getDayNightState(int& p_nState) {
    char reply[4] = {0};
    if (!inquire(Visca::inquiry(0x01), reply, 4) || (reply[0] & 0x0F) != 0 ||
        static_cast<unsigned char>(reply[3]) != 0xFF || (reply[2] != 0x02 && reply[2] != 0x03)) {
        return 0;
    }
    p_nState = reply[2] == 0x02 ? 1 : 0;
    return 1;
}

int FCBEV7310SenseController::getCurrentGain(int& p_nGain) {
    char reply[7] = {0};
    if (!inquire(Visca::inquiry(0x4C), reply, 7)) {
        ErrorPrintf("get currentGain failed,nRet=%d", 0);
        return 0;
    }
    if (static_cast<unsigned char>(reply[0]) != 0x90 || reply[1] != 0x50 ||
        static_cast<unsigned char>(reply[6]) != 0xFF) {
        ErrorPrintf("get currentGain failed");
        recodeArray(reply, 7);
        return 0;
    }
    p_nGain = (static_cast<int>(Visca::fromNibbles(reply + 4, 2)) - 1) * 2;
    return 1;
}

int FCBEV7310SenseController::turnPictureToDay() {
    if (m_nIsInfrared != 0) {
        return sendRaw(Visca::boardFrame(Visca::bytes({0x01, 0x1E, 0x02, 0x00, 0x02})));
    }
    if (!m_commands.send(0x01, Visca::bytes({0x03}))) {  // IR-cut filter in
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return m_commands.send(0x51, Visca::bytes({0x03}));
}

int FCBEV7310SenseController::turnPictureToNight() {
    if (m_nIsInfrared != 0) {
        return sendRaw(Visca::boardFrame(Visca::bytes({0x01, 0x1E, 0x02, 0x00, 0x01})));
    }
    if (!m_commands.send(0x01, Visca::bytes({0x02}))) {  // IR-cut filter out
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return m_commands.send(0x51, Visca::bytes({0x03}));
}

int FCBEV7310SenseController::enterAutoMode() {
    if (m_nIsInfrared != 0) {
        return sendRaw(Visca::boardFrame(Visca::bytes({0x01, 0x1E, 0x02, 0x00, 0x00})));
    }
    std::puts("enter auto mode");
    if (!m_commands.send(0x01, Visca::bytes({0x03}))) {
        return 0;
    }
    OrvaneTime(1, 0).wait();
    return m_commands.send(0x51, Visca::bytes({0x02}));
}

int FCBEV7310SenseController::NotifySensorInitComplate() {
    char reply[7] = {0};
    return inquire(Visca::inquiry(0x22), reply, 7);
}

int FCBEV7310SenseController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    OrvaneTime(0, 100).wait();
    char reply[5] = {0};
    inquire(Visca::inquiry(0x24, Visca::bytes({0x72})), reply, 5);
    int wanted = p_nVideoSystem == 1 ? 8 : 6;
    if (reply[3] == wanted) {
        std::puts("Video system not change!");
        if (m_nVideoSystemChanged != 1) {
            return 1;
        }
    } else {
        std::printf("set video system,nValue=%d,szRecv[3]=%d\n", wanted, reply[3]);
        std::puts(p_nVideoSystem == 1 ? "____set PAL" : "____set NTSC");
        m_commands.send(0x24, Visca::bytes({0x72, 0x00, wanted}));
        m_nVideoSystemChanged = 1;
    }
    // The new standard takes effect once the camera restarts; nothing else
    // may talk to it meanwhile.
    OVMutexManager guard(m_mutex);
    const std::string reset = Visca::command(0x19, Visca::bytes({0x03}));
    if (m_pUART->write(m_nUARTIndex, reset.data(), static_cast<int>(reset.size())) !=
        static_cast<int>(reset.size())) {
        OrvaneTime(1, 0).wait();
        return 0;
    }
    char answer[6] = {0};
    int length = m_pUART->read(m_nUARTIndex, answer, 6, 5);
    if (!isAcknowledge(answer, length)) {
        length = m_pUART->read(m_nUARTIndex, answer, 6, 5);
    }
    if (isAcknowledge(answer, length)) {
        std::puts("Restarting sensor.....Wait 20s");
        OrvaneTime(20, 0).wait();
        clearUartBuffer();
        return 1;
    }
    ErrorPrintf("restart sensor recv failed");
    ErrorPrintf("recv:0x%x,0x%x,0x%x", static_cast<unsigned char>(answer[0]),
                static_cast<unsigned char>(answer[1]), static_cast<unsigned char>(answer[2]));
    return 0;
}

int FCBEV7310SenseController::getCameraBaudRate(int& p_nIndex) {
    char reply[5] = {0};
    if (!inquire(Visca::inquiry(0x24, Visca::bytes({0x00})), reply, 5)) {
        return 0;
    }
    if (static_cast<unsigned char>(reply[0]) != 0x90 ||
        static_cast<unsigned char>(reply[4]) != 0xFF) {
        std::printf("getCameraBaudRate szRecvBuf error\n");
        return 0;
    }
    p_nIndex = reply[3];
    return 1;
}

int FCBEV7310SenseController::setCameraBuadRate(int p_nIndex) {
    return m_commands.send(0x24, Visca::bytes({0x00, 0x00, p_nIndex}));
}

int FCBEV7310SenseController::restartCamera() {
    OVMutexManager guard(m_mutex);
    const std::string frame = Visca::boardFrame(Visca::bytes({0x05, 0x03, 0x01, 0x01}));
    if (m_pUART->write(m_nUARTIndex, frame.data(), static_cast<int>(frame.size())) !=
        static_cast<int>(frame.size())) {
        OrvaneTime(1, 0).wait();
        return 0;
    }
    std::puts("Restarting sensor");
    OrvaneTime(20, 0).wait();
    clearUartBuffer();
    return 1;
}

int FCBEV7310SenseController::configurePort(int p_nBaudRate) {
    if (!m_pUART->setParameter(m_nUARTIndex, p_nBaudRate, m_line.nDataBits, m_line.nStopBits,
                               m_line.nParity)) {
        ErrorPrintf(
            "m_pUART->setParameter(m_nUARTIndex,m_nBaudarate,m_nDataBits,m_nStopBits,m_nParity) "
            "failed\n");
        return 0;
    }
    return 1;
}

int FCBEV7310SenseController::changeCameraBuadrate(int p_nBaudRate) {
    int wanted = baudIndex(p_nBaudRate);
    if (wanted < 0) {
        std::printf("p_nBuadrate out of range, p_nBuadrate = %d\n", p_nBaudRate);
        return 0;
    }
    int index = -1;
    if (getCameraBaudRate(index) && index == wanted) {
        return 1;
    }
    // The camera talks at a rate of its own: find it, then move it to ours.
    for (int candidate = 0; candidate < 4; ++candidate) {
        if (!configurePort(kBaudRates[candidate])) {
            return 0;
        }
        if (getCameraBaudRate(index) && index == candidate) {
            std::printf("the camera baudrate is %d\n", kBaudRates[candidate]);
            setCameraBuadRate(wanted);
            restartCamera();
            return configurePort(p_nBaudRate);
        }
    }
    return 0;
}

int FCBEV7310SenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("FCBEV7310SenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    if (!detail.parse(p_config.getDetail())) {
        ErrorPrintf("parse detail failed");
        return 0;
    }
    std::string device;
    if (!detail.getValue("RS485", device)) {
        ErrorPrintf("get RS232DeviceName from detail failed");
        return 0;
    }
    std::string text;
    if (!detail.getValue("isInfrared", text)) {
        ErrorPrintf("get isInfrared from detail failed");
        return 0;
    }
    m_nIsInfrared = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    if (m_nIsInfrared == 1) {
        if (!detail.getValue("isNewInfrared", text)) {
            ErrorPrintf("get isNewInfrared from detail failed");
            return 0;
        }
        m_bNewInfrared = std::strtol(text.c_str(), nullptr, 10) != 0;
        if (detail.getValue("toDayADCVal", text)) {
            std::sscanf(text.c_str(), "%d", &m_nToDayADCVal);
        } else {
            ErrorPrintf("get toDayADCVal from senseParameter failed");
        }
        if (detail.getValue("toNightADCVal", text)) {
            std::sscanf(text.c_str(), "%d", &m_nToNightADCVal);
        } else {
            ErrorPrintf("get toNightADCVal from senseParameter failed");
        }
        int delay = 0;
        if (detail.getValue("toDayDelay", text) && std::sscanf(text.c_str(), "%d", &delay) == 1) {
            setDNSwitchDelay(delay);
        } else {
            ErrorPrintf("get toDayDelay from senseParameter failed");
        }
    }
    if (!detail.getValue("generation", text)) {
        ErrorPrintf("get generation from detail failed");
        return 0;
    }
    m_nGeneration = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    std::printf("m_nGeneration=%d\n", m_nGeneration);
    ModuleParameterParser parameters;
    if (!parameters.parse(p_config.getParameters())) {
        ErrorPrintf("parse senseParameter failed");
        return 0;
    }
    if (!parameters.getValue("RS485", text)) {
        ErrorPrintf("get RS232Parameter from senseParameter failed");
        return 0;
    }
    int count = m_line.parse(text);
    if (count < 4) {
        ErrorPrintf("parse RS485 param failed,nRet=%d", count);
        return 0;
    }
    m_nUARTIndex = m_pUART->open(device);
    if (m_nUARTIndex < 0) {
        ErrorPrintf("open uart (%s) failed", device.c_str());
        return 0;
    }
    if (!configurePort(m_line.nBaudRate)) {
        return 0;
    }
    if (!changeCameraBuadrate(m_line.nBaudRate)) {
        ErrorPrintf("changeCameraBuadrate(%d)failed\n", m_line.nBaudRate);
    }
    clearUartBuffer();
    ZMAParamFileToArray objZMAFileToArray;
    if (!objZMAFileToArray.setFilePath("/hd1/program/config/ZMAParam.txt")) {
        return 0;
    }
    if (!objZMAFileToArray.get(m_objZMAParam)) {
        ErrorPrintf("objZMAFileToArray.get(m_objZMAParam;) failed\n");
        return 0;
    }
    m_pLensAlgorithm->setZMAParam(m_objZMAParam);
    if (!detail.getValue("DCDay", m_strDCDay)) {
        ErrorPrintf("get DCDay from senseParameter failed");
    }
    if (!detail.getValue("DCNight", m_strDCNight)) {
        ErrorPrintf("get DCNight from senseParameter failed");
    }
    return 1;
}
