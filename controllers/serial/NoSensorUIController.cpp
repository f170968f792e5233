#include "NoSensorUIController.h"

#include <cstdio>
#include <string>

namespace {

// 81 09 04 01 FF asks for the IR-cut state; the reply is 90 50 0s FF.
const char kIrCutInquiry[] = {'\x81', '\x09', '\x04', '\x01', '\xFF'};
const int kReplyLength = 4;
const int kReplyWait = 3;
const int kIrCutOut = 0x02;  // night picture
const int kIrCutIn = 0x03;   // day picture
const long kPollSeconds = 1;
const long kRetrySeconds = 3;

// Its reads leave every value as the caller had it, so the factory file
// holds 0 for the window the base would answer with a whole day.
constexpr ParameterDescriptor kWindow[] = {
    ISensorController::schemeWindowDescriptor(500, 0),
    ISensorController::schemeWindowDescriptor(501, 0),
    ISensorController::schemeWindowDescriptor(502, 0),
    ISensorController::schemeWindowDescriptor(503, 0),
    ISensorController::schemeWindowDescriptor(504, 0),
};
const ParameterDescriptorList kWindowDescriptions(kWindow);

}  // namespace

NoSensorUIController::NoSensorUIController(int p_nModuleId)
    : ISensorController(p_nModuleId),
      m_pGetDNThread(addThread(bind_funcobj(this, &NoSensorUIController::getDNbody), "getDN")) {
    m_bIsUARTModule = true;
    describeParametersBy(&kWindowDescriptions);
    // The module switches day and night itself; the status only follows it.
    m_bDNSwitchEnable = false;
}

int NoSensorUIController::getMirrorValue(int&) {
    return 1;
}

int NoSensorUIController::getParameterFromSensor(int, int&) {
    return 1;
}

int NoSensorUIController::setParameterToSensor(int, int) {
    return 1;
}

int NoSensorUIController::setSensorVideoSystem(int, const VideoResolution&) {
    return 1;
}

int NoSensorUIController::NotifySensorInitComplate() {
    return 1;
}

int NoSensorUIController::initFactorySetting() {
    return 1;
}

int NoSensorUIController::setParameterValue(const char* p_pBytes, int p_nLength) {
    OVMutexManager guard(m_sendMutex);
    int written = m_pUART->write(m_nUARTIndex, p_pBytes, p_nLength);
    if (written != p_nLength) {
        std::string command(p_pBytes, static_cast<size_t>(p_nLength > 0 ? p_nLength : 0));
        std::printf("sendData !! send data failed , sendcommand=%s  ,nRet=%d\n", command.c_str(),
                    written);
        return 0;
    }
    return 1;
}

int NoSensorUIController::getDNbody() {
    if (!setParameterValue(kIrCutInquiry, sizeof(kIrCutInquiry))) {
        OrvaneTime(kRetrySeconds, 0).wait();
        return 0;
    }
    char reply[kReplyLength] = {0};
    int received = m_pUART->read(m_nUARTIndex, reply, kReplyLength, kReplyWait);
    if (received != kReplyLength) {
        std::printf("recv @getDNbody failed,nRet = %d\n", received);
        OrvaneTime(kRetrySeconds, 0).wait();
        return 0;
    }
    switch (reply[2]) {
        case kIrCutOut:
            m_nDNState = 0;
            break;
        case kIrCutIn:
            m_nDNState = 1;
            break;
        default:
            std::printf("get daynight value out of range value = %d\n", reply[2]);
            OrvaneTime(kRetrySeconds, 0).wait();
            return 0;
    }
    OrvaneTime(kPollSeconds, 0).wait();
    return 0;
}

int NoSensorUIController::initController(int, const ModuleConfigure& p_config) {
    std::printf("NoSenseUIController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    std::string device;
    if (!SerialSetup::readConfig(*this, p_config, "get RS232Parameter from senseParameter failed",
                                 detail, device, m_line) ||
        !SerialSetup::openPort(*this, *m_pUART, m_nUARTIndex, device, m_line)) {
        return 0;
    }
    return startThread(m_pGetDNThread);
}
