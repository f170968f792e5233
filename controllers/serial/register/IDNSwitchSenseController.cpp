#include "IDNSwitchSenseController.h"

#include <cstdio>

namespace {

const long kPauseSeconds = 1;
const long kFailurePauseSeconds = 3;

void pause(long p_nSeconds) {
    OrvaneTime(p_nSeconds, 0).wait();
}

}  // namespace

IDNSwitchSenseController::IDNSwitchSenseController(int p_nModuleId, const char* p_szOwner,
                                                   const Hooks& p_hooks)
    : IRegisterSenseController(p_nModuleId),
      m_szDecision("none yet"),
      m_szOwner(p_szOwner),
      m_hooks(p_hooks),
      m_pSwitchThread(addThread(bind_funcobj(this, &IDNSwitchSenseController::switchThreadBody),
                                "DayNightSwitchThread")) {
    // The switch thread decides; the base's cycle stays out of the way.
    m_bDNSwitchEnable = false;
    m_nInfraredLevel = -1;
}

int IDNSwitchSenseController::startSwitchThread() {
    if (m_pSwitchThread->IsRunning()) {
        return 1;
    }
    m_nInfraredLevel = -1;
    // The first judgement after a (re)start counts as long held: the picture
    // takes the module's state at once, and the switch delay guards only
    // what changes while the thread runs.
    double now = 0;
    getCurrentTime(now);
    m_nLastJudgedStatus = 1;
    m_dDelayStartTime = now - m_nDNSwitchDelay - 1;
    if (!startThread(m_pSwitchThread)) {
        ErrorPrintf("start %s DayNightSwitchThread failed", m_szOwner);
        return 0;
    }
    InitPrintf("start %s DayNightSwitchThread success", m_szOwner);
    return 1;
}

int IDNSwitchSenseController::stopSwitchThread() {
    return m_pSwitchThread->stop();
}

int IDNSwitchSenseController::switchThreadBody() {
    if (m_nIsInfrared == 0) {
        autoThreadFunc();
    } else {
        externalTriggerThreadFunc();
    }
    return 0;
}

int IDNSwitchSenseController::switchTo(int p_nState, const char* p_szFailure, long p_nPause) {
    if (p_nState == m_nDNState) {
        return 1;
    }
    if (p_nState == 1 ? switchToDay() : switchToNight()) {
        return 1;
    }
    ErrorPrintf("%s", p_szFailure);
    pause(p_nPause);
    return 0;
}

int IDNSwitchSenseController::autoThreadFunc() {
    int state = -1;
    if (!(this->*m_hooks.pfnGetDayNightValue)(state)) {
        ErrorPrintf("getDayNightValue error");
        m_szDecision = "the module's state is unreadable";
        pause(kPauseSeconds);
        return 0;
    }
    if (state != 0 && state != 1) {
        ErrorPrintf("nDayOrNight is out of range!");
        pause(kPauseSeconds);
        return 0;
    }
    bool day = state == 1;
    if (!isTimeToSwitch(state)) {
        m_szDecision = "day reported, waiting out the switch delay";
    } else if (state != m_nDNState) {
        if (!switchTo(state, day ? "exitNightMode failed" : "enterNightMode failed",
                      kPauseSeconds)) {
            return 0;
        }
        if (!(day ? setDayLevel() : setNightLevel())) {
            ErrorPrintf(day ? "setDayLevel() error" : "setNightLevel() error");
            pause(kPauseSeconds);
            return 0;
        }
        m_szDecision =
            day ? "colour: the module reports day" : "black and white: the module reports night";
    }
    pause(kPauseSeconds);
    return 1;
}

int IDNSwitchSenseController::externalTriggerThreadFunc() {
    int level = -1;
    if (m_bNewInfrared) {
        if (!m_pGPIO->getLevel(m_DNLevelGpio.nGroup, m_DNLevelGpio.nBit, level)) {
            ErrorPrintf("GPIO(%d) get DNLevel failed value = %d", m_DNLevelGpio.nBit, level);
            m_szDecision = "the day/night level line is unreadable";
            pause(kFailurePauseSeconds);
            return 0;
        }
        m_nInfraredLevel = level;
        int state = level == m_DNLevelGpio.nDayLevel ? 1 : 0;
        if (!isTimeToSwitch(state)) {
            m_szDecision = "day level, waiting out the switch delay";
        } else if (switchTo(state,
                            state == 1 ? "Effio exitNightMode error" : "Effio enterNightMode error",
                            kFailurePauseSeconds)) {
            m_szDecision = state == 1 ? "colour: the level line is at its day level"
                                      : "black and white: the level line is at its night level";
        } else {
            return 0;
        }
        pause(kPauseSeconds);
        return 1;
    }
    if (!m_pGPIO->getLevel(m_IrCutGpio.nGroup, m_IrCutGpio.nBit, level)) {
        ErrorPrintf("--------getLevel() error------");
        m_szDecision = "the level input is unreadable";
        pause(kFailurePauseSeconds);
        return 0;
    }
    if (level != m_nInfraredLevel) {
        bool day = level == m_IrCutGpio.nDayLevel;
        std::printf(day ? "begin to turn to Color,level = %d\n"
                        : "begin to turn to BlackWhite,level = %d\n",
                    level);
        if (!(day ? switchToDay() : switchToNight())) {
            pause(kFailurePauseSeconds);  // the old level stays: the switch is tried again
            return 0;
        }
        std::puts(day ? "exitNightMode success" : "enterNightMode success");
        m_nInfraredLevel = level;
        m_szDecision = day ? "colour: the level input changed to its day level"
                           : "black and white: the level input changed to its night level";
    }
    pause(kPauseSeconds);
    return 1;
}

int IDNSwitchSenseController::driveLines(bool p_bDay) {
    bool leds = m_bNewInfrared && m_bInfraredLightLine;
    bool filter = m_nIsInfrared == 0 || m_bNewInfrared;
    int ledLevel = p_bDay || !infraredEnabled() ? m_InfraredLightGpio.nDayLevel
                                                : 1 - m_InfraredLightGpio.nDayLevel;
    int filterLevel = p_bDay ? m_IrCutGpio.nDayLevel : 1 - m_IrCutGpio.nDayLevel;
    // LEDs off before the filter goes in; the filter out before they light.
    for (int step = 0; step < 2; ++step) {
        bool ledStep = (step == 0) == p_bDay;
        if (ledStep && leds &&
            !setLevelOrWarn(m_InfraredLightGpio, ledLevel, "gpio set infrared failed")) {
            return 0;
        }
        if (!ledStep && filter &&
            !setLevelOrWarn(m_IrCutGpio, filterLevel, "gpio set filter failed")) {
            return 0;
        }
    }
    return 1;
}

int IDNSwitchSenseController::setLevelLine(bool p_bDay) {
    if (!m_bDNLevelLine || m_nIsInfrared != 0) {
        return 1;
    }
    int level = p_bDay ? m_DNLevelGpio.nDayLevel : 1 - m_DNLevelGpio.nDayLevel;
    return m_pGPIO->setLevel(m_DNLevelGpio.nGroup, m_DNLevelGpio.nBit, level) != 0;
}

int IDNSwitchSenseController::setDayLevel() {
    return setLevelLine(true);
}

int IDNSwitchSenseController::setNightLevel() {
    return setLevelLine(false);
}
