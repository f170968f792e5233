#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_ITNSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_ITNSENSECONTROLLER_H

#include <atomic>

#include "../../../framework/ParameterTable.h"
#include "IDNSwitchSenseController.h"
#include "ITNLink.h"

/// The ITN camera module (module id 15): registers with 3-byte addresses
/// (ITNLink has the frames) and day/night from the controller's own switch
/// thread (IDNSwitchSenseController), which reads the module's judgement from
/// 2A 02 40 in infrared mode 0.
///
/// | Id | Operation               | Register | Values and what is written                         |
/// |----|-------------------------|----------|----------------------------------------------------|
/// | 1  | setWDR                  | 1F 00 00 | 0 off, 1 low, 2 middle, 3 high                     |
/// | 2  | setBrightness           | 1A 00 05 | 0..255                                             |
/// | 3  | setSharpness            | 1A 00 06 | 0..15                                              |
/// | 4  | setChroma               | 1A 00 03 | 0..255 (saturation)                                |
/// | 5  | setMirror               | 00 00 04 | 0 off, 1 horizontal, 2 vertical, 3 both            |
/// | 6  | setShutter              | 15 00 32 | 0 auto (writes 0), 1 fixed (writes id 7)           |
/// | 7  | setFixShutter           | 15 00 32 | 1..10000 as 1/N s, two bytes; in auto kept for the |
/// |    |                         |          | fixed mode                                         |
/// | 8  | setMaxShutter           | 15 00 0E | 1..10000 (1/N s), two bytes                        |
/// | 9  | setMinShutter           | 15 00 0C | 1..10000 (1/N s), two bytes                        |
/// | 10 | setDNMode               | 1A 00 01 | 0 the thread decides, 1 colour, 2 black and white  |
/// | 11 | setMaxGain              | 15 00 10 | 0..1023 gain steps, two bytes                      |
/// | 12 | setDayToNightTransition | 1B 05 58 | 0..1023, two bytes                                 |
/// | 13 | setNightToDayTransition | 1B 05 5A | 0..1023, two bytes                                 |
/// | 14 | setNightColor           | 1A 00 02 | 0 black and white at night, 1 colour               |
/// | 15 | setWBMode               | 17 00 00 | 0 auto, 1 indoor, 2 outdoor, 3 ATW, 4 manual       |
/// | 16 | setAutoIris             | 15 00 C4 | 0 off, 1 on                                        |
/// | 17 | setVoltage              | 13 00 1B | 0..255 (iris voltage)                              |
/// | 18 | setIrisSpeed            | 13 00 18 | 1..10                                              |
/// | 19 | setAE                   | 15 00 02 | 0..255, the AE target level                        |
/// | 20 | setPreventFlash         | 15 00 BC | 0 off, 1 50 Hz, 2 60 Hz: the 8-byte AE table of    |
/// |    |                         |          | flicker-free shutters (1/N s, two bytes each): off |
/// |    |                         |          | 15 30 60 10000, 50 Hz 25 50 100 100, 60 Hz 30 60   |
/// |    |                         |          | 120 120                                            |
/// | 21 | setSpecific             | 17 00 9E | 0..7, the module's scene preset                    |
/// | 22 | setSurrounding          | 15 00 25 | 0..3, the backlight weighting                      |
/// | 23 | setSpotAE_X             | 15 00 24 | 0..15 in the high nibble, Y from the cache         |
/// | 24 | setSpotAE_Y             | 15 00 24 | 0..15 in the low nibble, X from the cache          |
/// | 25 | setNoiseReduction       | 1A 00 07 | 0..3                                               |
/// | 26 | setGAMA                 | 1C 00 00 | 0..4, the module's gamma curves                    |
///
/// Two-byte values are big-endian. The picture is colour (0) or black and white (1) in 1A 00 01;
/// the judgement in 2A 02 40 is six bytes: the exposure level (four bytes) and 1 day / 0 night
/// (two bytes). The thread paces itself as the IT1's does (1 s, 3 s after a failure); after three
/// failed reads of the judgement in a row, resetSensor drains the line and writes the picture
/// last entered again. The video standard is the module's own: setSensorVideoSystem sends nothing.
class SC_EXPORT ITNSenseController : public IDNSwitchSenseController {
public:
    ITNSenseController();

    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setWDR(int p_nValue);
    int getWDR(int& p_nValue);
    int setBrightness(int p_nValue);
    int getBrightness(int& p_nValue);
    int setSharpness(int p_nValue);
    int getSharpness(int& p_nValue);
    int setChroma(int p_nValue);
    int getChroma(int& p_nValue);
    int setMirror(int p_nValue);
    int getMirror(int& p_nValue);
    int setShutter(int p_nMode);
    int getShutter(int& p_nMode);
    int setFixShutter(int p_nValue);
    int getFixShutter(int& p_nValue);
    int setMaxShutter(int p_nValue);
    int getMaxShutter(int& p_nValue);
    int setMinShutter(int p_nValue);
    int getMinShutter(int& p_nValue);
    int setDNMode(int p_nMode);
    int getDNMode(int& p_nMode);
    int setMaxGain(int p_nValue);
    int getMaxGain(int& p_nValue);
    int setDayToNightTransition(int p_nValue);
    int getDayToNightTransition(int& p_nValue);
    int setNightToDayTransition(int p_nValue);
    int getNightToDayTransition(int& p_nValue);
    int setNightColor(int p_nValue);
    int getNightColor(int& p_nValue);
    int setWBMode(int p_nValue);
    int getWBMode(int& p_nValue);
    int setAutoIris(int p_nValue);
    int getAutoIris(int& p_nValue);
    int setVoltage(int p_nValue);
    int getVoltage(int& p_nValue);
    int setIrisSpeed(int p_nValue);
    int getIrisSpeed(int& p_nValue);
    int setAE(int p_nValue);
    int getAE(int& p_nValue);
    int setPreventFlash(int p_nValue);
    int getPreventFlash(int& p_nValue);
    int setSpecific(int p_nValue);
    int getSpecific(int& p_nValue);
    int setSurrounding(int p_nValue);
    int getSurrounding(int& p_nValue);
    int setSpotAE_X(int p_nValue);
    int getSpotAE_X(int& p_nValue);
    int setSpotAE_Y(int p_nValue);
    int getSpotAE_Y(int& p_nValue);
    int setNoiseReduction(int p_nValue);
    int getNoiseReduction(int& p_nValue);
    int setGAMA(int p_nValue);
    int getGAMA(int& p_nValue);
    /// @endcond

    /// The picture: colour with the lines at day, black and white at night.
    int enterDayMode();
    /// The night picture: black and white.
    int enterNightMode();
    /// Drains the line and writes the picture last entered again.
    int resetSensor();
    /// 1 day, 0 night, as the module judges; the exposure level it reported
    /// with it is kept.
    int getDayNightValue(int& p_nState);
    /// The exposure level the module reported with its judgement.
    int getExposureLevel() const { return m_nExposureLevel; }

    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    /// Ids 1-26 after the base's; 0 for any other.
    int setParameterToSensorBase(int p_nId, int p_nValue);
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int setParameterValue(const char* p_pBytes, int p_nLength) override;
    int getParameterValue(const char* p_pRequest, int p_nRequestLength, char* p_pAnswer,
                          int p_nAnswerLength) override;

    /// The register transport.
    ITNLink& link() { return m_link; }

    /// A register. The values a parameter's register takes are in the
    /// parameter's row, which the table checks before the setter runs.
    struct Setting {
        /// The register address.
        int nAddress;
        /// The number of bytes.
        int nCount;
    };

private:
    void refuse(const ParameterRow<ITNSenseController>& p_row, int p_nValue);
    int write(const Setting& p_setting, int p_nValue);
    int read(const Setting& p_setting, int& p_nValue);
    int setPicture(int p_nBlackWhite);
    int setSpot(int p_nX, int p_nY);

    ITNLink m_link;
    // The spot's X and Y share a register: each read-modify-write is one
    // step, or a write from another thread between its read and write is lost.
    OVMutex m_spotMutex;
    std::atomic<int> m_nFixShutter;
    std::atomic<int> m_nShutterMode;
    std::atomic<int> m_nExposureLevel;
    int m_nFailedReads;
    ParameterTable<ITNSenseController> m_parameters;
};

#endif
