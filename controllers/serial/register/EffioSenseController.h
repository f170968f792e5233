#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_EFFIOSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_EFFIOSENSECONTROLLER_H

#include <atomic>

#include "../../../framework/ParameterTable.h"
#include "EffioLink.h"
#include "IRegisterSenseController.h"

/// A camera board built on a Sony Effio DSP (module id 10). Every parameter is
/// a bit field of a DSP register, written read-modify-write (EffioLink has the
/// frames):
///
/// | Id    | Parameter                  | Category, address | Bits          |
/// |-------|----------------------------|-------------------|---------------|
/// | 1     | brightness 0..100 (scaled) | 02, 63-64 16-bit  | 5-12          |
/// | 2     | sharpness 0..100 (scaled)  | 02, 99            | byte, no read |
/// | 3     | mirror 0..1                | 06, 49            | 0             |
/// | 4     | exposure 0..7              | 03, 02            | 0-2           |
/// | 5     | white balance 0..15        | 05, 01            | 0-3           |
/// | 6, 7  | R gain, B gain 0..255      | 02, 62 / 61 16-bit| 5-12          |
/// | 8     | day/night mode (the base's 0..4)                               |
/// | 9, 10 | AE levels 0..255 that switch to night / back to day (local)    |
/// | 12    | exposure mode 0..1         | 03, 01            | 0             |
/// | 13    | shutter 0..7               | 04, 01            | 2-4           |
/// | 14    | NR2 film mode 0..3         | 02, 6D            | 0-1           |
/// | 15    | backlight 0..3             | 03, 21            | 0-1           |
/// | 16    | backlight level 0..31      | 03, 17            | 3-7           |
/// | 17    | ATR 0 off, 1 on, 3 on by day only | 0C, 03     | 0             |
/// | 18    | AGC mode 0..7              | 03, 02            | 3-5           |
/// | 19    | maximum AGC 0..255         | 03, 0D            | byte, no read |
/// | 21, 57-61 | TNF mode, day/night delay and times (the base's)           |
/// Scaled fields carry value x 255 / 100 and read back field x 100 / 255. The
/// picture is day or night in 02, 8D bits 4-5 (1 day, 2 night); the AE level
/// is 12, 29-2A bits 0-9 (read as 0..255).
///
/// Choices of this driver:
/// | What                          | Choice                                                       |
/// |-------------------------------|--------------------------------------------------------------|
/// | a value that does not fit its | refused by the parameter table ("setMirror(2) is out of      |
/// | field                         | range"), nothing sent, so neighbouring bits stay             |
/// | ATR values other than 0, 1, 3 | refused: updateHDRMode takes only 1 and 2                    |
/// | AE thresholds before any is   | night from 200, day again at 100 or below                    |
/// | set                           |                                                              |
/// | day/night switching           | by the base's thread: the AE level (infrared mode 0) or its  |
/// |                               | GPIO inputs                                                  |
class SC_EXPORT EffioSenseController : public IRegisterSenseController {
public:
    EffioSenseController();

    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setBrightness(int p_nValue);
    int getBrightness(int& p_nValue);
    int setSharpness(int p_nValue);
    int getSharpness(int& p_nValue);
    int setMirror(int p_nValue);
    int getMirror(int& p_nValue);
    int setExposal(int p_nValue);
    int getExposal(int& p_nValue);
    int setWB(int p_nValue);
    int getWB(int& p_nValue);
    int setRGain(int p_nValue);
    int getRGain(int& p_nValue);
    int setBGain(int p_nValue);
    int getBGain(int& p_nValue);
    int setDayToNightTransition(int p_nValue);
    int getDayToNightTransition(int& p_nValue);
    int setNightToDayTransition(int p_nValue);
    int getNightToDayTransition(int& p_nValue);
    int setExposalMode(int p_nValue);
    int getExposalMode(int& p_nValue);
    int setShutterSpeed(int p_nValue);
    int getShutterSpeed(int& p_nValue);
    int setNR2_FILMODE(int p_nValue);
    int getNR2_FILMODE(int& p_nValue);
    int setBackLight(int p_nValue);
    int getBackLight(int& p_nValue);
    int setBackLightLevel(int p_nValue);
    int getBackLightLevel(int& p_nValue);
    int setATR(int p_nMode);
    int getATR(int& p_nMode);
    int setAGCMode(int p_nValue);
    int getAGCMode(int& p_nValue);
    int setMaxAGC(int p_nValue);
    int getMaxAGC(int& p_nValue);
    /// @endcond
    /// The AE level 0..255.
    int getAEHighValue(int& p_nLevel);

    /// The count-bit field from bit p_nLow of a p_nWidth-bit value.
    static int getAppointedBit(int p_nValue, int p_nWidth, int p_nLow, int p_nCount);
    /// p_nValue (masked to p_nWidth bits) with the field's bits replaced by
    /// p_nField shifted to p_nLow; p_nField itself is not masked.
    static int modifyAppointedBits(int p_nValue, int p_nWidth, int p_nField, int p_nLow,
                                   int p_nCount);
    /// Two-byte registers: value = (high << 8) | low.
    static int assembleData(int p_nHigh, int p_nLow);
    /// The high and low byte of a 16-bit value.
    static void splitData(int p_nValue, int& p_nHigh, int& p_nLow);

    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int initFactorySetting() override;
    /// Night from the AE level at or above the day-to-night level, day at or
    /// below the night-to-day level; between them no decision (0 after 1 s).
    int getDNStatusFromSensor(int& p_nStatus) override;
    int turnPictureToDay() override;
    int turnPictureToNight() override;
    /// 1 sets the ATR bit, 2 clears it.
    int updateHDRMode(int p_nMode) override;

    /// The register transport.
    EffioLink& link() { return m_link; }

    /// A register bit field. The values a parameter's field takes are in the
    /// parameter's row, which the table checks before the setter runs; the
    /// field itself masks nothing.
    struct Field {
        /// The register category.
        int nCategory;
        /// The register address.
        int nAddress;
        /// The width in bits: 8, or 16 (two registers).
        int nWidth;  // 8 or 16 (two registers)
        /// The lowest bit of the value in the register.
        int nLow;
        /// The number of bits.
        int nCount;
        /// Whether the value is scaled to the register's range.
        bool bScaled;
        /// The whole byte, written without reading first.
        bool bBlind;  // the whole byte, written without reading first
    };

private:
    void refuse(const ParameterRow<EffioSenseController>& p_row, int p_nValue);
    int read(const Field& p_field, int& p_nValue);
    int write(const Field& p_field, int p_nValue);
    int setPicture(int p_nValue);

    std::atomic<int> m_nMirror;
    std::atomic<int> m_nDTNTransition;
    std::atomic<int> m_nNTDTransition;
    EffioLink m_link;
    // Fields share register bytes: a read-modify-write is one step, or a
    // write from another thread between its read and its write is lost.
    OVMutex m_fieldMutex;
    ParameterTable<EffioSenseController> m_parameters;
};

#endif
