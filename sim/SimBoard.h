#ifndef SENSORCONTROL_SIM_SIMBOARD_H
#define SENSORCONTROL_SIM_SIMBOARD_H

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

#include "framework/ISensorController.h"
#include "platform/Devices.h"
#include "sim/SimGPIO.h"

// The simulated camera board behind the device seam: the ISP, the LDR on
// "/dev/adc" and the IR-LED dimmer on "/dev/pwm", all lit by one scene.
//
// Scene light is a brightness from 0 (dark night) to 100 (full day). The
// camera's own IR LEDs add light reflected from the scene: with the LEDs fully
// on the LDR sees `reflection` more brightness units. So a camera that does
// not compensate for its own LEDs sees daylight as soon as it switches them
// on at dusk, and oscillates.

// The ISP. Its command codes come in pairs: an odd set code N stores the
// value that the even get code N+1 reads. Beyond that: code 15 takes the
// picture mode (1 colour, 2 night) and starts the night switch, which code
// 4106 reports finished (0) once the configured delay has passed; code 4102
// reports the light level, 100 - brightness; code 2049 takes the video
// standard. A result code scripted for a command is returned instead of
// performing it.
class SimIsp : public IIspDevice {
public:
    struct Call {
        int nCode;
        int nValue;
    };

    int ioctrl(int p_nCode, void* p_pValue) override;

    void setValue(int p_nGetCode, int p_nValue);
    int value(int p_nGetCode);
    // -1, -2 or -3 make the command fail in that way; 0 clears it.
    void setResult(int p_nCode, int p_nResult);
    void setNightSwitchDelay(double p_dSeconds);
    int pictureMode();
    int videoStandard();
    std::vector<Call> calls();
    void clearCalls();

    // Each command fails at random with probability p_dRate, failed (-1) or
    // invalid (-2), as an ISP that is busy or confused would answer; never
    // "not supported", which is what the ISP is, not a passing fault.
    // Seeded, so a run repeats. 0 stops it. Scripted results go first.
    void setFailureRate(double p_dRate, unsigned int p_nSeed);
    struct Counts {
        size_t nCommands = 0;
        size_t nFailures = 0;  // drawn at random
        size_t nRetries = 0;   // the same command again after it failed
    };
    Counts counts();
    // Every value the ISP holds, by get code.
    std::map<int, int> values();

private:
    friend class SimBoard;
    // A failing result drawn for the command, or 0.
    int randomFailure(int p_nCode, int p_nValue);
    std::mutex m_mutex;
    std::map<int, int> m_values;
    std::map<int, int> m_results;
    std::vector<Call> m_calls;
    double m_dNightSwitchDelay = 0.1;
    double m_dNightSwitchStart = -1.0;
    int m_nPictureMode = 1;
    int m_nVideoStandard = -1;
    std::function<int()> m_lightLevel;
    double m_dFailureRate = 0.0;
    std::mt19937 m_random;
    Counts m_counts;
    Call m_lastFailed = {-1, 0};
};

class SimAdc : public ICharDevice {
public:
    int ioctl(unsigned long p_nRequest, void* p_pArgument) override;
    void setFailing(bool p_bFail);
    int reads();

private:
    friend class SimBoard;
    std::mutex m_mutex;
    std::function<int()> m_raw;
    bool m_bFail = false;
    int m_nReads = 0;
};

class SimPwm : public ICharDevice {
public:
    struct Setting {
        int nChannel;
        unsigned int nDuty;
        unsigned int nPeriod;
        int nEnable;
    };

    int ioctl(unsigned long p_nRequest, void* p_pArgument) override;
    Setting last();
    std::vector<Setting> history();
    // Forgets all but the last setting, for long runs.
    void clearHistory();

private:
    std::mutex m_mutex;
    std::vector<Setting> m_history;
};

class SimBoard {
public:
    // Registers the ISP, "/dev/adc" and "/dev/pwm" with the device layer; the
    // GPIO is the one the controller is given (the IR-LED pin is read from
    // it). The destructor removes the registrations.
    explicit SimBoard(SimGPIO* p_pGpio);
    ~SimBoard();
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    void setBrightness(int p_nBrightness);
    int brightness();
    // Brightness units added at the LDR by the LEDs fully on.
    void setReflection(int p_nReflection);
    // The pin that switches the IR LEDs and its level for LEDs off.
    void setLedPin(const GPIOTriple& p_pin);
    // A day/night level input of a module with its own light sensor: the pin
    // reads its day level while the scene is at least this bright.
    void setDayNightPin(const GPIOTriple& p_pin, int p_nThreshold);
    // The raw reading the LDR gives now: 4 per brightness unit, 0..1023.
    int adcRaw();
    // 0..100: how brightly the IR LEDs shine now (GPIO pin or PWM duty).
    int ledPower();
    // Takes "/dev/adc" away (opening it then fails) or puts it back.
    void removeAdc(bool p_bRemoved);

    SimIsp& isp() { return *m_isp; }
    SimAdc& adc() { return *m_adc; }
    SimPwm& pwm() { return *m_pwm; }

private:
    void updateDayNightPin();

    SimGPIO* m_pGpio;
    std::shared_ptr<SimIsp> m_isp;
    std::shared_ptr<SimAdc> m_adc;
    std::shared_ptr<SimPwm> m_pwm;
    std::mutex m_mutex;
    int m_nBrightness = 100;
    int m_nReflection = 35;
    GPIOTriple m_ledPin;
    bool m_bLedPinSet = false;
    GPIOTriple m_dayNightPin;
    int m_nDayNightThreshold = -1;  // -1: no such pin
};

#endif
