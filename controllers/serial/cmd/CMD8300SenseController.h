#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD8300SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMD8300SENSECONTROLLER_H

#include <atomic>

#include "CmdSenseController.h"

/// The CMD8300 camera module (module id 25): the CMD modules' frames and
/// acknowledged transport (every attempt logged before it is written), with
/// a parameter layout of its own (ids 1-32 and 57-66), its own day/night
/// values (1 the module's switching, 3 day, 4 night, 5 schedule), picture
/// switches of three frames around a second's pause, a day/night
/// sensitivity pair kept at least 10 apart, and a video-standard change that
/// also prepares the host's start-up script for the next boot.
class SC_EXPORT CMD8300SenseController : public CmdSenseController<ISensorController> {
public:
    CMD8300SenseController();

    /// Device and line, "isInfrared" and "generation"; then openUART.
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    /// Opens the module's port.
    int openUART();
    /// Closes the module's port.
    void closeUART();

    /// Copies the standard's start-up script (PAL or NTSC) to
    /// /mnt/mtd/code/config_file/sensorInit.sh for the next boot.
    int updateSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int setDayNightMode(int p_nMode) override;
    int getDayNightMode(int& p_nMode) override;
    int getDNStatusFromSensor(int& p_nStatus) override;
    int turnPictureToDay() override;
    int turnPictureToNight() override;
    int enterAutoMode() override;
    /// 1 and 2 the module's two automatic focus modes, 3 manual.
    int setFocusMode(int p_nMode) override;
    void doDependOnThread() override;
    /// The module's gain is its own business: does nothing, gives 0.
    int setGainValue();

    /// The night-to-day sensitivity, at least 10 below the day-to-night one.
    int setNtoDSensitivity(int p_nValue);
    /// The day-to-night sensitivity, at least 10 above the night-to-day one.
    int setDtoNSensitivity(int p_nValue);
    /// The night-to-day sensitivity last set.
    int getNtoDSensitivity() const { return m_nNtoDSensitivity; }
    /// The day-to-night sensitivity last set.
    int getDtoNSensitivity() const { return m_nDtoNSensitivity; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    /// A second after the register is written, 81 01 04 19 03 FF straight to
    /// the port.
    int restartModule() override;

    /// @endcond
private:
    /// The refusals the table leaves to the controller: a day/night value is
    /// traced as any other first, and a day-to-night sensitivity is checked
    /// for its gap before its range.
    static bool explainRefusal(ISensorController& p_owner, int p_nId, int p_nValue);
    void traceDayNightMode(int p_nMode);
    /// Whether a day-to-night sensitivity keeps its gap; logs when not.
    bool keepsGapToNightToDay(int p_nDayToNight);
    /// The other half of the pair to keep the gap to: while a whole parameter
    /// set is applied, its value in that set (the two arrive one after the
    /// other); otherwise the value last sent.
    int partnerOf(int p_nPartnerId, int p_nSent);

    /// Written from the host's and the background thread's parameter paths.
    std::atomic<int> m_nNtoDSensitivity;
    std::atomic<int> m_nDtoNSensitivity;
};

#endif
