#ifndef SENSORCONTROL_CONTROLLERS_BUILTIN_ORVANEISPSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_BUILTIN_ORVANEISPSENSECONTROLLER_H

#include "../../framework/ISensorController.h"
#include "../../framework/ParameterTable.h"

/// The SoC's image path as the Orvane firmware drives it: nothing is sent to
/// the ISP here. The parameter table checks values against its rows'
/// descriptors; the white-balance, HDR and noise-reduction settings are kept
/// in three packed words that the host's imaging code picks up; most other
/// ids answer fixed values. The host builds this controller itself with the
/// module id of its choice.
///
/// Packed words (bit ranges inclusive):
///   WB:  0-3 mode, 4-7 manual preset, 8-15 red gain, 16-31 blue gain
///   HDR: 0-3 mode as last applied, 4-7 run mode
///   NR:  0-3 control, 8-15 manual level, 16-23 auto level
class SC_EXPORT OrvaneISPSenseController : public ISensorController {
public:
    /// A controller for the module id (61).
    explicit OrvaneISPSenseController(int p_nModuleId);

    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int getDNStatusFromSensor(int& p_nStatus) override;
    int turnPictureToDay() override;
    int turnPictureToNight() override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int initFactorySetting() override;
    int getCurrentGain(int& p_nGain) override;
    /// Writes the mode into HDR bits 0-3.
    int updateHDRMode(int p_nMode) override;

    /// Bits min(a,b)..max(a,b) of a word, both bounds in 0..31; 0 (logged) for
    /// bounds outside. The write ors the value in as given, so a caller that
    /// must not spill into the neighbours masks it first.
    int modifyAppointValue(int& p_nWord, int p_nValue, int p_nBitA, int p_nBitB);
    /// Bits p_nBitA..p_nBitB of a packed settings word.
    int getAppointValue(int p_nWord, int& p_nValue, int p_nBitA, int p_nBitB);

    /// Parameters with a behaviour of their own; the no-op ones exist only as
    /// ids. The values are the table's to check: these take what they get.
    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setGainMode(int p_nMode) { return setTableParameter(4, p_nMode); }
    int getGainMode(int& p_nMode) { return getTableParameter(4, p_nMode); }
    int setShutterMode(int p_nMode) { return setTableParameter(7, p_nMode); }
    int getShutterMode(int& p_nMode) { return getTableParameter(7, p_nMode); }
    int getIrisSpeed(int& p_nSpeed) { return getTableParameter(16, p_nSpeed); }
    int getAutoIris(int& p_nAutoIris) { return getTableParameter(18, p_nAutoIris); }
    int setPowerFrequency(int p_nFrequency) { return setTableParameter(23, p_nFrequency); }
    int getPowerFrequency(int& p_nFrequency) { return getTableParameter(23, p_nFrequency); }
    int setWBmode(int p_nWBmode) { return setTableParameter(26, p_nWBmode); }
    int getWBmode(int& p_nWBmode) { return getTableParameter(26, p_nWBmode); }
    int setWBmanual(int p_nWBmanual) { return setTableParameter(27, p_nWBmanual); }
    int getWBmanual(int& p_nWBmanual) { return getTableParameter(27, p_nWBmanual); }
    int setRedGain(int p_nRedGain) { return setTableParameter(28, p_nRedGain); }
    int getRedGain(int& p_nRedGain) { return getTableParameter(28, p_nRedGain); }
    int setBlueGain(int p_nBlueGain) { return setTableParameter(29, p_nBlueGain); }
    int getBlueGain(int& p_nBlueGain) { return getTableParameter(29, p_nBlueGain); }
    int setMirrorMode(int p_nMode) { return setTableParameter(30, p_nMode); }
    int getMirrorMode(int& p_nMode) { return getTableParameter(30, p_nMode); }
    int setHDRRunMode(int p_nMode) { return setTableParameter(33, p_nMode); }
    int getHDRRunMode(int& p_nMode) { return getTableParameter(33, p_nMode); }
    int setNRManual(int p_nLevel) { return setTableParameter(35, p_nLevel); }
    int getNRManual(int& p_nLevel) { return getTableParameter(35, p_nLevel); }
    int setNRAuto(int p_nLevel) { return setTableParameter(36, p_nLevel); }
    int getNRAuto(int& p_nLevel) { return getTableParameter(36, p_nLevel); }
    int setDoorMode(int p_nMode) { return setTableParameter(39, p_nMode); }
    int getDoorMode(int& p_nMode) { return getTableParameter(39, p_nMode); }
    /// @endcond

    /// 3 follows day and night (day applies 1, night 2). The requested mode
    /// is recorded once updateHDRMode accepted the applied one.
    int setHDRMode(int p_nMode);
    /// 2 with HDR support, 0 without; other capability values leave it as is.
    int getHDRMode(int& p_nMode);
    /// 0 off; 1 on with the cached manual level (id 35); 2 on at level 0;
    /// other values change nothing.
    int setNRMode(int p_nMode);
    /// The noise reduction mode.
    int getNRMode(int& p_nMode);
    /// Sets the noise reduction control.
    int setNRControl(int p_nControl);
    /// The noise reduction control.
    int getNRControl(int& p_nControl);
    /// The day-to-night (id 11) and night-to-day (id 12) transitions are only
    /// checked against each other; nothing reads them back.
    int setDayToNightTransition(int p_nValue);
    /// Sets the night-to-day threshold.
    int setNightToDayTransition(int p_nValue);
    /// Answers success and leaves the value as it is: a setting the ISP does not
    /// report.
    int reportNothing(int& p_nValue);
    /// The ids whose handling is uniform, for the parameter table.
    template <int Id>
    int setField(int p_nValue) {
        return setTableParameter(Id, p_nValue);
    }
    template <int Id>
    /// A field of a packed settings word.
    int getField(int& p_nValue) {
        return getTableParameter(Id, p_nValue);
    }

    /// The white balance settings word last written.
    int getWBWord() const { return m_nWBWord; }
    /// The wide dynamic range settings word last written.
    int getHDRWord() const { return m_nHDRWord; }
    /// The noise reduction settings word last written.
    int getNRWord() const { return m_nNRWord; }
    /// What wide dynamic range the ISP can do (the detail's HDR).
    int getHDRCapability() const { return m_nHDRCapability; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    /// The ids whose handling is uniform (packed field, fixed answer): 1 or 0
    /// with the failure logged; -1, silently, for any other id.
    int setTableParameter(int p_nId, int p_nValue);
    int getTableParameter(int p_nId, int& p_nValue);
    /// One field of a packed word: the value is masked to the field's width,
    /// the failure text logged when the bounds are bad.
    int writeBits(int& p_nWord, int p_nValue, int p_nLo, int p_nHi, const char* p_szFailed);
    int readBits(int p_nWord, int& p_nValue, int p_nLo, int p_nHi, const char* p_szFailed);

    int m_nHDRCapability;
    int m_nWBWord;
    int m_nHDRWord;
    int m_nNRWord;
    int m_nAutoIris;
    int m_nShutterMode;
    int m_nPowerFrequency;
    int m_nMirrorMode;
    ParameterTable<OrvaneISPSenseController> m_parameters;
    /// @endcond
};

#endif
