#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IDNSWITCHSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IDNSWITCHSENSECONTROLLER_H

#include <atomic>
#include <memory>

#include "IRegisterSenseController.h"

/// A register module whose controller switches day and night itself, from a
/// "DayNightSwitchThread" of its own (the IT1 family and ITN), instead of the
/// base's day/night cycle. Each pass of the thread:
///  - infrared mode 0 (autoThreadFunc): reads the module's day/night state
///    and, once isTimeToSwitch allows, turns the picture to colour (day) or
///    black and white (night), then signals the state on the day/night-level
///    line when the detail names one;
///  - infrared mode not 0 (externalTriggerThreadFunc): follows a GPIO level
///    input: the day/night-level line ("isNewInfrared"), or the "GPIO" line
///    read as an input, switching only when its level changes;
/// then pauses 1 s (3 s after a failed read or switch).
///
/// The lines a switch drives:
///
/// | Line                          | Driven when                                               |
/// |-------------------------------|-----------------------------------------------------------|
/// | "GPIO" (IR-cut filter)        | infrared mode 0, or "isNewInfrared" (otherwise it is the  |
/// |                               | module's level input)                                     |
/// | "GPIOInfraredLight" (IR LEDs) | "isNewInfrared" and the line is named; on at night only   |
/// |                               | while infrared is enabled                                 |
///
/// A switch to the state already entered sends nothing.
class SC_EXPORT IDNSwitchSenseController : public IRegisterSenseController {
public:
    /// 1 when running afterwards.
    int startSwitchThread();
    /// Stops the switch thread; 1.
    int stopSwitchThread();
    /// Whether the switch thread runs.
    bool isSwitchThreadRunning() const { return m_pSwitchThread->IsRunning() != 0; }
    /// One pass of the thread, with its pause.
    int switchThreadBody();
    /// A pass in infrared mode 0: by the module's state.
    int autoThreadFunc();
    /// A pass in the other infrared modes: by a GPIO level input.
    int externalTriggerThreadFunc();
    /// The GPIO level the thread saw last (-1 before the first).
    int getLastLevel() const { return m_nInfraredLevel; }
    /// What the thread did last, for hosts and tools that show it.
    const char* lastDecision() const { return m_szDecision.load(); }

    /// The base's day picture at start-up is the module's colour picture with
    /// its lines; the lines are switched with the picture.
    int turnPictureToDay() override { return switchToDay(); }
    int turnPictureToNight() override { return switchToNight(); }
    int SwitchInfraredIrCutToDay() override { return 1; }
    int SwitchInfraredIrCutToNight() override { return 1; }

    /// The module's side of a switch, as the member implements it: its own
    /// judgement (1 day, 0 night), and the picture to colour and to black
    /// and white with the lines driven. Plain member functions, not virtual
    /// ones: the thread must not look at the object's type while its
    /// destructor runs, before it stops the thread.
    struct Hooks {
        /// Reads the module's day/night state.
        int (IDNSwitchSenseController::*pfnGetDayNightValue)(int& p_nState);
        /// Turns the picture to day.
        int (IDNSwitchSenseController::*pfnSwitchToDay)();
        /// Turns the picture to night.
        int (IDNSwitchSenseController::*pfnSwitchToNight)();
    };

protected:
    /// p_szOwner names the class in the thread's start message.
    IDNSwitchSenseController(int p_nModuleId, const char* p_szOwner, const Hooks& p_hooks);
    // Stops the thread; the most derived destructor must call it first.

    /// A member's own functions as hooks.
    template <class Member>
    static Hooks hooks(int (Member::*p_getDayNightValue)(int&), int (Member::*p_toDay)(),
                       int (Member::*p_toNight)()) {
        typedef IDNSwitchSenseController S;
        return Hooks{static_cast<int (S::*)(int&)>(p_getDayNightValue),
                     static_cast<int (S::*)()>(p_toDay), static_cast<int (S::*)()>(p_toNight)};
    }
    /// The member's day switch.
    int switchToDay() { return (this->*m_hooks.pfnSwitchToDay)(); }
    /// The member's night switch.
    int switchToNight() { return (this->*m_hooks.pfnSwitchToNight)(); }

    /// The IR LEDs and the IR-cut filter for the state entered, as the table
    /// above says; failures logged, followed by a 1-s pause.
    int driveLines(bool p_bDay);
    /// The day/night-level line as an output, in infrared mode 0.
    int setDayLevel();
    /// Signals night on the day/night-level line.
    int setNightLevel();
    /// 1 when infrared is enabled (id 22 of the IT1 family).
    bool infraredEnabled() const { return m_nInfraredSetup != 0; }

    /// What the thread did last.
    std::atomic<const char*> m_szDecision;

private:
    int setLevelLine(bool p_bDay);
    /// The switch when the state differs from the one entered.
    int switchTo(int p_nState, const char* p_szFailure, long p_nPause);

    const char* m_szOwner;
    Hooks m_hooks;
    GThread* m_pSwitchThread;  // the base owns it
};

#endif
