#include "HexTextSenseController.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "../../../platform/GlobalEnv.h"

namespace {

// Every setting is followed by this pause, and so is every read.
const long kPauseUs = 30000;
const long kPollSeconds = 1;
const long kRetrySeconds = 3;
const char kInitComplete[] = ":rE1ED0000";
const char kDayNightRead[] = ":RFFE700";

// Camera-mode ids in the cache, as the Hitachi members number them.
const int kCameraModeId = 6;
const int kSensitivityId = 9;
const int kShutterId = 10;

// Each mirror value takes two writes, to registers FF30 and FF31.
const char* const kMirror[][2] = {{":WFF3000", ":WFF3100"},
                                  {":WFF3101", ":WFF3001"},
                                  {":WFF3102", ":WFF3001"},
                                  {":WFF3100", ":WFF3001"}};
static_assert(std::size(kMirror) == std::size(kMirrorFlipModes),
              "a pair of writes for every mirror value");

}  // namespace

template <class Base>
HexTextSenseController<Base>::HexTextSenseController(int p_nModuleId, int p_nMirrorId)
    : Base(p_nModuleId),
      m_szDNFailure("recvData @getDNbody failed"),
      m_bPrintDNValue(false),
      m_nMirrorId(p_nMirrorId),
      m_link(*this, this->m_pUART, this->m_nUARTIndex, this->m_mutex, this->m_pDebugBuf.get()),
      m_pGetDNThread(
          this->addThread(bind_funcobj(this, &HexTextSenseController::getDNbody), "getDN")) {
    this->m_bIsUARTModule = true;
    // The module switches day and night itself; the status only follows it.
    this->m_bDNSwitchEnable = false;
    this->setSensorConfigVersion(0);
    this->setSensorConfigVersion2(0);
}

template <class Base>
bool HexTextSenseController<Base>::printing() {
    return GlobalEnv::getInstance()->getPrintFlag();
}

template <class Base>
std::string HexTextSenseController<Base>::assembleString(const std::string& p_strPrefix,
                                                         unsigned int p_nValue, int p_nWidth) {
    return HexText::assembleString(p_strPrefix, p_nValue, p_nWidth);
}

template <class Base>
int HexTextSenseController<Base>::ascToHex(const std::string& p_strText) {
    return HexText::ascToHex(p_strText);
}

template <class Base>
int HexTextSenseController<Base>::sendData(const std::string& p_strCommand) {
    return m_link.sendData(p_strCommand);
}

template <class Base>
int HexTextSenseController<Base>::recvData(const std::string& p_strCommand, int p_nWidth,
                                           int& p_nValue) {
    return m_link.recvData(p_strCommand, p_nWidth, p_nValue);
}

template <class Base>
int HexTextSenseController<Base>::getDNbody() {
    return pollDayNight(kDayNightRead, 0, 1);
}

template <class Base>
int HexTextSenseController<Base>::pollDayNight(const char* p_szRead, int p_nNight, int p_nDay) {
    int value = 0;
    if (!recvData(p_szRead, 2, value)) {
        this->ErrorPrintf("%s", m_szDNFailure);
        OrvaneTime(kRetrySeconds, 0).wait();
        return 0;
    }
    if (m_bPrintDNValue && printing()) {
        std::printf("nGetValue=%d\n", value);
    }
    if (value != p_nNight && value != p_nDay) {
        this->ErrorPrintf("get nGetValue failed ,nGetValue = %d", value);
        OrvaneTime(kRetrySeconds, 0).wait();
        return 0;
    }
    this->m_nDNState = value == p_nDay ? 1 : 0;
    OrvaneTime(kPollSeconds, 0).wait();
    return 0;
}

template <class Base>
int HexTextSenseController<Base>::initController(int, const ModuleConfigure& p_config) {
    this->m_bIsUARTModule = true;
    ModuleParameterParser detail;
    std::string device;
    if (!SerialSetup::readConfig(*this, p_config, "get RS232Parameter from senseParameter failed",
                                 detail, device, m_line) ||
        !this->readDetailNumber(detail, "isInfrared", "get isInfrared from detail failed",
                                this->m_nIsInfrared) ||
        !readModuleDetail(detail)) {
        return 0;
    }
    this->m_nUARTIndex = this->m_pUART->open(device);
    if (this->m_nUARTIndex < 0) {
        this->ErrorPrintf("open UART(%s) failed", device.c_str());
        return 0;
    }
    if (!SerialSetup::configurePort(*this, *this->m_pUART, this->m_nUARTIndex, m_line.nBaudRate,
                                    m_line)) {
        return 0;
    }
    prepareModule();
    return startThreads();
}

template <class Base>
int HexTextSenseController<Base>::readModuleDetail(const ModuleParameterParser&) {
    return 1;
}

template <class Base>
int HexTextSenseController<Base>::startThreads() {
    if (!this->startThread(m_pGetDNThread)) {
        return 0;
    }
    if (printing()) {
        std::printf("thread start success\n");
    }
    return 1;
}

template <class Base>
int HexTextSenseController<Base>::NotifySensorInitComplate() {
    return sendData(kInitComplete);
}

template <class Base>
int HexTextSenseController<Base>::getMirrorValue(int& p_nMirror) {
    return this->getParameter(m_nMirrorId, p_nMirror);
}

template <class Base>
int HexTextSenseController<Base>::setParameterToSensor(int p_nId, int p_nValue) {
    if (this->m_SensorStatus != ISensorController::InitSuccess) {
        return 0;
    }
    // The scheme window ids; the zoom-module base would take every id.
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    int result = writeParameter(p_nId, p_nValue);
    if (result == -1) {
        return base;
    }
    if (result == 0) {
        return 0;
    }
    OrvaneTime(0, kPauseUs).wait();
    return 1;
}

template <class Base>
int HexTextSenseController<Base>::getParameterFromSensor(int p_nId, int& p_nValue) {
    if (this->m_SensorStatus != ISensorController::InitSuccess) {
        return 0;
    }
    if (ISensorController::getParameterFromSensor(p_nId, p_nValue)) {
        return 1;
    }
    if (readParameter(p_nId, p_nValue) != 1) {
        return 0;
    }
    OrvaneTime(0, kPauseUs).wait();
    return 1;
}

template <class Base>
const typename HexTextSenseController<Base>::RefusalText* HexTextSenseController<Base>::refusalText(
    int p_nId) const {
    static const RefusalText kMirrorText = {0, "mirror value out of range", false};
    return p_nId == m_nMirrorId ? &kMirrorText : nullptr;
}

template <class Base>
void HexTextSenseController<Base>::logRefusal(const char* p_szSetter, int p_nValue,
                                              const ParameterDescriptor& p_desc) {
    // The line names the values from first to last, whatever the kind.
    int first = p_desc.nMin;
    int last = p_desc.nMax;
    if (p_desc.eKind == ParameterKind::ON_OFF) {
        first = 0;
        last = 1;
    } else if (p_desc.eKind == ParameterKind::MENU && p_desc.nEntries > 0) {
        first = last = p_desc.pEntries[0].nCode;
        for (int index = 1; index < p_desc.nEntries; ++index) {
            first = std::min(first, p_desc.pEntries[index].nCode);
            last = std::max(last, p_desc.pEntries[index].nCode);
        }
    }
    this->ErrorPrintf("%s(%d) is out of range %d..%d", p_szSetter, p_nValue, first, last);
    const RefusalText* own = refusalText(p_desc.nId);
    if (own == nullptr) {
        return;
    }
    if (!own->bPrinted) {
        this->ErrorPrintf("%s", own->szText);
    } else if (printing()) {
        std::printf(own->szText, p_nValue);
    }
}

template <class Base>
int HexTextSenseController<Base>::cached(int p_nId, int& p_nValue) {
    if (this->getParameter(p_nId, p_nValue)) {
        return 1;
    }
    this->ErrorPrintf("getParameter(%d) failed", p_nId);
    return 0;
}

template <class Base>
int HexTextSenseController<Base>::write(const char* p_szPrefix, int p_nValue, int p_nWidth) {
    return sendData(assembleString(p_szPrefix, static_cast<unsigned int>(p_nValue), p_nWidth));
}

template <class Base>
int HexTextSenseController<Base>::sendAll(std::initializer_list<const char*> p_commands) {
    for (const char* command : p_commands) {
        if (!sendData(command)) {
            return 0;
        }
    }
    return 1;
}

template <class Base>
int HexTextSenseController<Base>::setMirror(int p_nMirror) {
    const auto* writes = pick(kMirror, p_nMirror);
    return writes != nullptr && sendAll({(*writes)[0], (*writes)[1]});
}

template <class Base>
int HexTextSenseController<Base>::getFixShutterValue(int p_nIndex) {
    return p_nIndex >= 0 && p_nIndex <= kLastFixShutter ? p_nIndex + 2 : -1;
}

template <class Base>
int HexTextSenseController<Base>::setCameraMode(int p_nMode) {
    if (printing()) {
        std::printf("set cameramode %d \n", p_nMode);
    }
    int sensitivity = 0;
    int shutter = 0;
    if ((p_nMode == 2 || p_nMode == 3) && !cached(kSensitivityId, sensitivity)) {
        return 0;
    }
    if (p_nMode == 4 && !cached(kShutterId, shutter)) {
        return 0;
    }
    return writeCameraMode(p_nMode, sensitivity, shutter);
}

template <class Base>
int HexTextSenseController<Base>::setDNSensitivity(int p_nSensitivity) {
    int mode = 0;
    if (!cached(kCameraModeId, mode)) {
        return 0;
    }
    // The sensitivity lives in the camera mode's register; the other modes
    // have none.
    if (mode != 2 && mode != 3) {
        return 1;
    }
    return writeCameraMode(mode, p_nSensitivity, 0);
}

template <class Base>
int HexTextSenseController<Base>::writeCameraMode(int p_nMode, int p_nSensitivity, int p_nShutter) {
    switch (p_nMode) {
        case 0:
            return sendAll({":WFCC800", ":WFFE6C0"});
        case 1:
            return sendAll({":WFCC801", ":WFFE6C0"});
        case 2:
            return sendData(p_nSensitivity == 3 ? ":WFCC820" : ":WFCC810");
        case 3:
            return sendData(p_nSensitivity == 3   ? ":WFCC831"
                            : p_nSensitivity == 2 ? ":WFCC821"
                                                  : ":WFCC811");
        case 4: {
            // The cached shutter is the member's own: the Hitachi-compatible
            // module takes any register value there, the mode only indexes.
            int code = getFixShutterValue(p_nShutter);
            if (code < 0) {
                this->ErrorPrintf("%s(%d) is out of range %d..%d", "getFixShutterValue", p_nShutter,
                                  0, kLastFixShutter);
                return 0;
            }
            return sendData(":WFCC807") && write(":WFCC9", code);
        }
        default:
            return 0;
    }
}

template <class Base>
int HexTextSenseController<Base>::readRegister(const char* p_szRegister, int& p_nValue,
                                               const char* p_szFailure) {
    if (!recvData(std::string(":R") + p_szRegister + "00", 2, p_nValue)) {
        this->ErrorPrintf("%s", p_szFailure);
        return 0;
    }
    return 1;
}

template <class Base>
int HexTextSenseController<Base>::changeVideoRegister(const char* p_szRegister, int p_nTarget,
                                                      long p_nSeconds) {
    int current = 0;
    if (!readRegister(p_szRegister, current, "get video system failed")) {
        return 0;
    }
    if (printing()) {
        std::printf("getVideoSystemMode=%d\n", current);
    }
    if (current == p_nTarget) {
        return 1;
    }
    std::puts("video system change");
    if (!write((std::string(":W") + p_szRegister).c_str(), p_nTarget)) {
        return 0;
    }
    OrvaneTime(p_nSeconds, 0).wait();
    return 1;
}

template class HexTextSenseController<ISensorController>;
template class HexTextSenseController<IKeelZoomSensorController>;
