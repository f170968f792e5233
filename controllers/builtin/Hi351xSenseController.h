#ifndef SENSORCONTROL_CONTROLLERS_BUILTIN_HI351XSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_BUILTIN_HI351XSENSECONTROLLER_H

#include "../../framework/ISensorController.h"
#include "../../framework/ParameterTable.h"

/// The SoC's own image sensor (module id 60): parameters 1-47 go to the ISP
/// through OvEwfi_Api_Ioctrl; day/night comes from the ISP's light level or,
/// with infrared LEDs, from a light-dependent resistor on "/dev/adc" whose
/// reading is corrected for the LEDs' own light; the LEDs are switched on a
/// GPIO pin or dimmed on "/dev/pwm".
///
/// Light levels count darkness: night when level >= the day-to-night
/// threshold, day when level <= the night-to-day threshold, the last decision
/// in between. The LDR level is trunc(98.0 - 0.32 x raw).
class SC_EXPORT Hi351xSenseController : public ISensorController {
public:
    Hi351xSenseController();
    ~Hi351xSenseController() override;

    int updateSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int getDNStatusFromSensor(int& p_nStatus) override;
    int getDNStatusFromLDR(int& p_nStatus) override;
    int turnPictureToDay() override;
    int turnPictureToNight() override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int initFactorySetting() override;

    /// 1 for ISP results 0, -3 (logged as unsupported) and unknown codes; 0 for
    /// -1 and -2, logged.
    int CheckOVEWFIResult(int p_nResult, const char* p_szOperation, int p_nLine);
    /// 0..100, compared unsigned; logged when out of range.
    int IsAppointRange(int p_nValue, const char* p_szOperation, int p_nLine);

    /// The values of ids 20 and 21 as the parameter table checked them.
    int setMirror(int p_nMirror);
    /// The be-away mode (id 21): mirror settings swapped.
    int setBeAwayMode(int p_nBeAway);
    /// These check their own range: only in the infrared mode they apply to,
    /// which no static descriptor can say.
    int setDTNThreshold(int p_nValue);
    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setNTDThreshold(int p_nValue);
    int setInfraredDTNThreshold(int p_nValue);
    int setInfraredNTDThreshold(int p_nValue);
    int setSmartInfraredMode(int p_nMode);
    int setInfraredManualValue(int p_nValue);
    /// @endcond
    /// The ISP's thresholds, which the light decisions then use.
    int readDTNThreshold(int& p_nValue);
    /// The ISP's night-to-day threshold.
    int readNTDThreshold(int& p_nValue);
    /// The mirror setting (id 20) from the ISP.
    int getMirror(int& p_nMirror);
    /// The be-away mode (id 21) from the ISP.
    int getBeAwayMode(int& p_nBeAway);
    /// The infrared thresholds the LDR decisions use.
    int getInfraredDTNThreshold(int& p_nValue);
    /// The infrared night-to-day threshold.
    int getInfraredNTDThreshold(int& p_nValue);
    /// Without PWM infrared there is nothing to read: 1, value untouched.
    int getSmartInfraredMode(int& p_nMode);
    /// The infrared LEDs' manual power.
    int getInfraredManualValue(int& p_nValue);

    /// The IR-compensation measurement run on the first night decision after
    /// a day decision.
    int conductADCValue();
    /// The light level for a day/night state of the level line.
    int getADCValueByGPIOState(int p_nState, int& p_nLevel);
    /// The light level for an infrared power.
    int getADCValueByIrValue(int p_nIrValue, int& p_nLevel);
    /// Drives the infrared LEDs by PWM at the level.
    int setPWMIrLight(int p_nLevel);
    /// The raw light sensor (ADC) reading.
    int getADCVal(int& p_nRaw);

    /// The light sensor compensation for the LEDs' own light.
    int getIrCompensation() const { return m_nIrCompensation; }
    /// The raw compensation reading.
    int getIrCompensationRaw() const { return m_nIrCompensationRaw; }
    /// The day-to-night threshold in use.
    int getDTNThreshold() const { return m_nDTNThreshold; }
    /// The night-to-day threshold in use.
    int getNTDThreshold() const { return m_nNTDThreshold; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    typedef ParameterRow<Hi351xSenseController> Row;

    /// One ISP call: sends (set) or fills (get) the value, checks the result.
    int ispCall(int p_nCode, int& p_nValue, const char* p_szOperation, int p_nLine);
    /// The parameters that are one ISP code each way.
    int writeIsp(const Row& p_row, int p_nValue);
    void refuseIsp(const Row& p_row, int p_nValue);
    /// Within the range an unchecked row describes: for the setters that
    /// check it only in the infrared mode they apply to.
    bool inDescribedRange(int p_nId, int p_nValue) const;
    int readIsp(const Row& p_row, int& p_nValue);

    int setThreshold(int p_nValue, bool p_bDayToNight, bool p_bInfrared);
    int resendMirror(int p_nMirror);

    int m_nDTNThreshold;
    int m_nNTDThreshold;
    int m_nLastDNStatus;
    int m_nIrCompensationRaw;
    int m_nIrCompensation;
    bool m_bNeedIrCompensation;
    int m_nSavedSmartInfraredMode;
    int m_nSavedInfraredManualValue;
    int m_nPWMFd;
    ParameterTable<Hi351xSenseController> m_parameters;
    /// @endcond
};

#endif
