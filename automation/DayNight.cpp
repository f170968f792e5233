// Day/night switching of the controller base: the background thread's cycle,
// the judgement by mode and light input, the return-to-day delay, the
// schedule, and the IR-cut / IR-LED / picture sequences.
#include <cstdio>
#include <cstdlib>

#include "../framework/ISensorController.h"

namespace {

const int kStatusDay = 1;
const int kStatusNight = 0;

}  // namespace

int ISensorController::DNChangeThreadBody() {
    paramSchemeSwitchBody();
    doDependOnThread();
    if (m_bDNSwitchEnable) {
        DNSwitchHandle();
    }
    OrvaneTime(1, 0).wait();
    return 0;
}

int ISensorController::DNSwitchHandle() {
    OVMutexManager guard(m_DNMutex);
    int status = -1;
    if (!DNSwitchJudge(status)) {
        m_nLastDayNightMode = m_nDayNightMode;
        return 1;
    }
    set2AParam(status);
    if (m_nDayNightMode == 4) {
        m_nLastDayNightMode = 4;
        m_nDNState = status;
        return 1;
    }
    if (status == kStatusDay) {
        if (enterDayMode()) {
            m_nLastDayNightMode = m_nDayNightMode;
            return 1;
        }
        std::puts("enterDayMode failed");
    }
    if (status == kStatusNight) {
        if (enterNightMode()) {
            m_nLastDayNightMode = m_nDayNightMode;
            return 1;
        }
        std::puts("enterNightMode failed");
    }
    return 0;
}

int ISensorController::DNSwitchJudge(int& p_nStatus) {
    int status = -1;
    switch (m_nDayNightMode) {
        case 0:
            if (!getCurrentDNStatus(status)) {
                std::puts("getCurrentDNStatus false");
                return 0;
            }
            // A module's own level line needs no delay.
            if (m_nIsInfrared != 0 && !m_bNewInfrared) {
                p_nStatus = status;
                return 1;
            }
            if (!isTimeToSwitch(status)) {
                return 0;
            }
            p_nStatus = status;
            return 1;
        case 1:
            p_nStatus = kStatusDay;
            return 1;
        case 2:
            p_nStatus = kStatusNight;
            return 1;
        case 3:
            DNSwitchByTime(status);
            p_nStatus = status;
            return 1;
        case 4:
            if (m_nLastDayNightMode != 4) {
                enterAutoMode();
            }
            if (!getCurrentDNStatus(status)) {
                std::puts("getCurrentDNStatus false");
                return 0;
            }
            p_nStatus = status;
            return 1;
        default:
            ErrorPrintf("====error=====,m_nDayNightMode out of range");
            return 0;
    }
}

int ISensorController::getCurrentDNStatus(int& p_nStatus) {
    if (m_nIsInfrared == 0 || m_bIsUARTModule) {
        if (getDNStatusFromSensor(p_nStatus)) {
            return 1;
        }
        ErrorPrintf("getDNStatusFromSensor failed");
        return 0;
    }
    if (m_nIsInfrared == 1 && !m_bNewInfrared) {
        // In this configuration the IR-cut line carries the module's
        // day/night output.
        return readDayLevel(m_IrCutGpio, p_nStatus);
    }
    if (m_bNewInfrared) {
        if (getDNStatusFromLDR(p_nStatus)) {
            return 1;
        }
        ErrorPrintf("getDNStatusFromLDR failed");
        return 0;
    }
    return 0;
}

int ISensorController::readDayLevel(const GPIOTriple& p_gpio, int& p_nStatus) {
    int level = -1;
    if (!m_pGPIO->getLevel(p_gpio.nGroup, p_gpio.nBit, level)) {
        ErrorPrintf("GPIO(%d) get DNLevel failed value = %d", p_gpio.nBit, level);
        return 0;
    }
    p_nStatus = level == p_gpio.nDayLevel ? kStatusDay : kStatusNight;
    return 1;
}

int ISensorController::getDNStatusFromLDR(int& p_nStatus) {
    return readDayLevel(m_DNLevelGpio, p_nStatus);
}

int ISensorController::isTimeToSwitch(int p_nStatus) {
    if (m_nIsInfrared != 0 && !m_bNewInfrared) {
        return 1;
    }
    if (p_nStatus != m_nLastJudgedStatus) {
        reInitDelayStartTime();
        m_nLastJudgedStatus = p_nStatus;
        if (p_nStatus == kStatusNight) {
            return 1;
        }
    }
    double now = 0.0;
    getCurrentTime(now);
    return static_cast<double>(m_nDNSwitchDelay) <= std::abs(now - m_dDelayStartTime) ? 1 : 0;
}

int ISensorController::DNSwitchByTime(int& p_nStatus) {
    m_CurrentDeviceTime = OVDeviceTime::getCurrentTime();
    int now = m_CurrentDeviceTime.hour * 100 + m_CurrentDeviceTime.minute;
    if (m_nDTNTime > m_nNTDTime) {
        p_nStatus = (now >= m_nDTNTime || now < m_nNTDTime) ? kStatusNight : kStatusDay;
        return 1;
    }
    if (m_nDTNTime < m_nNTDTime) {
        p_nStatus = (m_nDTNTime <= now && now < m_nNTDTime) ? kStatusNight : kStatusDay;
        return 1;
    }
    std::puts("Error @ DNSwitchByTime");
    return 0;
}

int ISensorController::enterDayMode() {
    if (m_nDNState == kStatusDay && m_nLastDayNightMode == m_nDayNightMode) {
        return 1;
    }
    std::puts("!!!enterDayMode");
    if (m_nHDRMode == 3) {
        updateHDRMode(1);
    }
    if (!SwitchInfraredIrCutToDay()) {
        ErrorPrintf("SwitchInfraredIrCutToDay failed\n");
        return 0;
    }
    if (!turnPictureToDay()) {
        ErrorPrintf("turnPictureToDay failed\n");
        return 0;
    }
    m_nDNState = kStatusDay;
    return 1;
}

int ISensorController::enterNightMode() {
    if (m_nDNState == kStatusNight && m_nLastDayNightMode == m_nDayNightMode) {
        return 1;
    }
    std::puts("!!!enterNightMode");
    if (m_nHDRMode == 3) {
        updateHDRMode(2);
    }
    if (!turnPictureToNight()) {
        ErrorPrintf("turnPictureToNight failed\n");
        return 0;
    }
    if (!SwitchInfraredIrCutToNight()) {
        ErrorPrintf("SwitchInfraredIrCutToNight failed\n");
        return 0;
    }
    m_nDNState = kStatusNight;
    return 1;
}

int ISensorController::setLevelOrWarn(const GPIOTriple& p_gpio, int p_nLevel,
                                      const char* p_szFailure) {
    if (m_pGPIO->setLevel(p_gpio.nGroup, p_gpio.nBit, p_nLevel)) {
        return 1;
    }
    ErrorPrintf("%s", p_szFailure);
    // A broken line must not turn the thread into a busy loop.
    OrvaneTime(1, 0).wait();
    return 0;
}

int ISensorController::SwitchInfraredIrCutToNight() {
    if (m_bIsUARTModule) {
        return 1;
    }
    if ((m_nIsInfrared == 0 || m_nIsInfrared == 2 || m_bNewInfrared) &&
        !setLevelOrWarn(m_IrCutGpio, 1 - m_IrCutGpio.nDayLevel, "gpio set filter failed")) {
        return 0;
    }
    OrvaneTime(0, 100000).wait();
    if (m_bNewInfrared && m_nIsInfrared != 2 &&
        !setLevelOrWarn(m_InfraredLightGpio, 1 - m_InfraredLightGpio.nDayLevel,
                        "gpio set infrared failed")) {
        return 0;
    }
    return 1;
}

int ISensorController::SwitchInfraredIrCutToDay() {
    if (m_bIsUARTModule) {
        return 1;
    }
    if (m_bNewInfrared && m_nIsInfrared != 2 &&
        !setLevelOrWarn(m_InfraredLightGpio, m_InfraredLightGpio.nDayLevel,
                        "gpio set infrared failed")) {
        return 0;
    }
    OrvaneTime(0, 100000).wait();
    if ((m_nIsInfrared == 0 || m_nIsInfrared == 2 || m_bNewInfrared) &&
        !setLevelOrWarn(m_IrCutGpio, m_IrCutGpio.nDayLevel, "gpio set filter failed")) {
        return 0;
    }
    return 1;
}

int ISensorController::setDayNightMode(int p_nMode) {
    OVMutexManager guard(m_DNMutex);
    if (p_nMode == 0) {
        turnToAutoDayNightMode();
    } else if (p_nMode >= 1 && p_nMode <= 3) {
        turnToManualDayNightMode();
    }
    m_nDayNightMode = p_nMode;
    // The next cycle enters the state in full, also when the mode is the one
    // it had: a module may have taken part of an earlier change whose answer
    // got lost, and a mode written again puts its picture right.
    m_nLastDayNightMode = -1;
    reInitDelayStartTime();
    return 1;
}

int ISensorController::getDayNightMode(int& p_nMode) {
    p_nMode = m_nDNDefault;
    std::printf("getDayNightMode:%d\n", p_nMode);
    return 1;
}

int ISensorController::getDNStatusFromSensor(int&) {
    return 1;
}

int ISensorController::getDayNightState(int&) {
    return 0;
}

int ISensorController::turnPictureToDay() {
    return 1;
}

int ISensorController::turnPictureToNight() {
    return 1;
}

int ISensorController::turnToAutoDayNightMode() {
    return 1;
}

int ISensorController::turnToManualDayNightMode() {
    return 1;
}

int ISensorController::enterAutoMode() {
    return 1;
}

int ISensorController::updateHDRMode(int) {
    return 1;
}

void ISensorController::doDependOnThread() {}

int ISensorController::getCurrentTime(double& p_dSeconds) {
    p_dSeconds = OVDeviceTime::getSeconds();
    return 1;
}

int ISensorController::reInitDelayStartTime() {
    getCurrentTime(m_dDelayStartTime);
    return 1;
}

int ISensorController::setDNSwitchDelay(int p_nSeconds) {
    m_nDNSwitchDelay = p_nSeconds;
    return 1;
}

int ISensorController::getDNSwitchDelay(int& p_nSeconds) {
    p_nSeconds = 5;
    return 1;
}

int ISensorController::setTimeChecked(std::atomic<int>& p_nTarget, int p_nOther, int p_nNewValue,
                                      const char* p_szMessage) {
    if (m_bInitFinished && !m_bBulkUpdate && p_nNewValue == p_nOther) {
        ErrorPrintf("failed:DTNTIME == NTDTIME,value = %d\n", p_nOther);
        return 0;
    }
    std::printf(p_szMessage, p_nNewValue);
    p_nTarget = p_nNewValue;
    return 1;
}

int ISensorController::setDTNTime_H(int p_nHour) {
    return setTimeChecked(m_nDTNTime, m_nNTDTime, m_nDTNTime % 100 + p_nHour * 100,
                          "set DTN time:%d\n");
}

int ISensorController::setDTNTime_M(int p_nMinute) {
    return setTimeChecked(m_nDTNTime, m_nNTDTime, m_nDTNTime / 100 * 100 + p_nMinute * 10,
                          "set DTN time:%d\n");
}

int ISensorController::setNTDTime_H(int p_nHour) {
    return setTimeChecked(m_nNTDTime, m_nDTNTime, m_nNTDTime % 100 + p_nHour * 100,
                          "set NTD time:%d\n");
}

int ISensorController::setNTDTime_M(int p_nMinute) {
    return setTimeChecked(m_nNTDTime, m_nDTNTime, m_nNTDTime / 100 * 100 + p_nMinute * 10,
                          "set NTD time:%d\n");
}

int ISensorController::getDTNTime_H(int& p_nHour) {
    p_nHour = 18;
    return 1;
}

int ISensorController::getDTNTime_M(int& p_nMinute) {
    p_nMinute = 0;
    return 1;
}

int ISensorController::getNTDTime_H(int& p_nHour) {
    p_nHour = 6;
    return 1;
}

int ISensorController::getNTDTime_M(int& p_nMinute) {
    p_nMinute = 0;
    return 1;
}

int ISensorController::sendLampFrame(const char* p_szSetter, int p_nCode, int p_nValue,
                                     unsigned int p_nMax) {
    if (static_cast<unsigned int>(p_nValue) > p_nMax) {
        ErrorPrintf("%s(%d) out of range", p_szSetter, p_nValue);
        return 0;
    }
    if (m_nIsInfrared == 0) {
        return 1;
    }
    // FE 01 1E 02 code value checksum FF
    char frame[8] = {
        '\xFE', '\x01', '\x1E', '\x02', static_cast<char>(p_nCode), static_cast<char>(p_nValue),
        0,      '\xFF'};
    computeSum(frame, sizeof(frame));
    return setParameterValue(frame, sizeof(frame));
}

int ISensorController::setNearLight(int p_nBrightness) {
    return sendLampFrame("setNearLight", 6, p_nBrightness, LAMP_LEVEL_MAX);
}

int ISensorController::setMiddleLight(int p_nBrightness) {
    return sendLampFrame("setMiddleLight", 7, p_nBrightness, LAMP_LEVEL_MAX);
}

int ISensorController::setFarLight(int p_nBrightness) {
    return sendLampFrame("setFarLight", 8, p_nBrightness, LAMP_LEVEL_MAX);
}

int ISensorController::setPowerMode(int p_nMode) {
    return sendLampFrame("setPowerMode", 1, p_nMode, LAMP_POWER_MODE_MAX);
}

int ISensorController::getNearLight(int& p_nBrightness) {
    p_nBrightness = 50;
    return 1;
}

int ISensorController::getMiddleLight(int& p_nBrightness) {
    p_nBrightness = 50;
    return 1;
}

int ISensorController::getFarLight(int& p_nBrightness) {
    p_nBrightness = 50;
    return 1;
}

int ISensorController::getPowerMode(int& p_nMode) {
    p_nMode = 0;
    return 1;
}
