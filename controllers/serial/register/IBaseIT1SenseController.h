#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IBASEIT1SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IBASEIT1SENSECONTROLLER_H

#include <atomic>
#include <initializer_list>

#include "../../../framework/ParameterTable.h"
#include "IDNSwitchSenseController.h"
#include "IT1Link.h"

class IBaseIT1SenseController;
typedef ParameterRow<IBaseIT1SenseController> IT1Parameter;
typedef ParameterList<IBaseIT1SenseController> IT1ParameterList;

/// The base of the IT1 camera modules (IT1SenseController, module id 2, and
/// IT1ZoomModuleSenseController, 9): 16-bit-addressed registers over RS-232
/// (IT1Link has the frames), and day/night from the controller's own switch
/// thread (IDNSwitchSenseController).
///
/// | Id | Parameter       | Register                  | Values and what is written                |
/// |----|-----------------|---------------------------|-------------------------------------------|
/// | 1  | brightness      | 0x0A03                    | 0..255 as is                              |
/// | 2  | sharpness       | 0x1402 (0x1403 low-light) | 0..15; one two-byte write with the        |
/// |    |                 |                           | low-light byte read at init               |
/// | 3  | mirror          | 0x1500 bits 0-1 (cached)  | 0 off, 1 horizontal, 2 vertical, 3 both   |
/// | 4  | day/night setup | 0x0101 bit 6 (cached)     | 0 the thread decides, 1 colour, 2 black   |
/// |    |                 |                           | and white                                 |
/// | 5  | day-to-night    | 0x1412                    | 0..255, not below id 6                    |
/// | 6  | night-to-day    | 0x1411                    | 0..255, not above id 5                    |
/// | 7  | video out       | 0x0100                    | 0 NTSC (60 Hz), 1 PAL (50 Hz): the host's |
/// |    |                 |                           | video system                              |
/// | 8  | minimum shutter | 0x0A08, two bytes         | 1..10000, the shutter as 1/N s, not above |
/// |    |                 |                           | id 11                                     |
/// | 9  | maximum AGC     | 0x0A15-0x0A16, two bytes  | 0..1023 gain steps                        |
/// | 10 | iris drive mode | 0x0A01 bits 0-1 (cached)  | 0 DC iris, 1 video iris, 2 fixed          |
/// | 11 | maximum shutter | 0x0A0C, two bytes         | 1..10000 (1/N s), not below id 8          |
/// | 12 | gamma           | 0x1604                    | 0..4 write 0x2D, 0x32, 0x3C, 0x46, 0x64   |
/// |    |                 |                           | (gamma 0.45 .. 1.0)                       |
/// | 13 | chroma          | RY1 0x141F, BY1 0x1421,   | 0..100: each register = its factory value |
/// |    |                 | RY2 0x1423, BY2 0x1425,   | x v / 50 (50 the factory colour)          |
/// |    |                 | RY3 0x1432, BY3 0x1434,   |                                           |
/// |    |                 | RY4 0x1436, BY4 0x1438    |                                           |
/// |    |                 | (two bytes each)          |                                           |
/// | 14 | white balance   | 0x0B00                    | 0 auto, 1 indoor, 2 outdoor, 3 ATW, 4     |
/// |    |                 |                           | manual                                    |
/// | 15 | night colour    | 0x1410                    | 0 black and white at night, 1 colour      |
/// | 16 | iris voltage    | 0x1C03                    | 0..255                                    |
/// | 17 | iris speed      | 0x0A27-0x0A2A             | 1..6, the four iris values of the speed's |
/// |    |                 |                           | row                                       |
/// | 18 | fixed shutter   | 0x0A08 while fixed        | 1..10000 (1/N s); in auto kept for when   |
/// |    |                 |                           | the mode turns fixed (logged)             |
/// | 19 | shutter mode    | 0x0A01 bit 4 (cached)     | 0 auto (0x0A08 the minimum), 1 fixed      |
/// |    |                 |                           | (0x0A08 the fixed shutter)                |
/// | 22 | infrared        | -                         | 0 IR LEDs stay off, 1 on at night         |
///
/// Two-byte values go low byte first. The module's own day/night judgement is read from 0x1413 (1
/// day, 0 night). At init both transition registers are set to 0, which holds the module's own
/// switching off; day/night setup 0 writes the stored transitions back.
class SC_EXPORT IBaseIT1SenseController : public IDNSwitchSenseController {
public:
    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setBrightness(int p_nValue);
    int getBrightness(int& p_nValue);
    int setSharpness(int p_nValue);
    int getSharpness(int& p_nValue);
    int setMirror(int p_nMirror);
    int getMirror(int& p_nMirror);
    int setDayNightSetup(int p_nSetup);
    int getDayNightSetup(int& p_nSetup);
    int setDayToNightTransition(int p_nValue);
    int getDayToNightTransition(int& p_nValue);
    int setNightToDayTransition(int p_nValue);
    int getNightToDayTransition(int& p_nValue);
    int setVideoOutSetup(int p_nValue);
    int getVideoOutSetup(int& p_nValue);
    int setMinShutterValue(int p_nValue);
    int getMinShutterValue(int& p_nValue);
    int setMaxAGCValue(int p_nValue);
    int getMaxAGCValue(int& p_nValue);
    int setIrisDriveMode(int p_nValue);
    int getIrisDriveMode(int& p_nValue);
    int setMaxShutterValue(int p_nValue);
    int getMaxShutterValue(int& p_nValue);
    int setGama(int p_nValue);
    int getGama(int& p_nValue);
    int setChroma(int p_nValue);
    int getChroma(int& p_nValue);
    int setWhiteBalance(int p_nWBValue);
    int getWhiteBalance(int& p_nWBValue);
    int setNightColor(int p_nValue);
    int getNightColor(int& p_nValue);
    int setIrisVoltage(int p_nValue);
    int getIrisVoltage(int& p_nValue);
    int setIrisSpeed(int p_nSpeed);
    int getIrisSpeed(int& p_nSpeed);
    int setFixedShutter(int p_nValue);
    int getFixedShutter(int& p_nValue);
    int setShutterMode(int p_nMode);
    int getShutterMode(int& p_nMode);
    int setInfrared(int p_nInfrared);
    int getInfrared(int& p_nInfrared);
    /// @endcond

    /// The module's black-and-white bit, with the day/night status.
    int openDayNightMode();
    /// Hands day/night back to the module.
    int closeDayNightMode();
    /// To colour / to black and white: the module, then the lines.
    int exitNightMode();
    /// The night picture.
    int enterNightMode();
    /// The stored transitions back into the module.
    int setTransitionBack();
    /// The day-to-night transition level, written to the module.
    int base_setDayToNightTransition(int p_nValue);
    /// The night-to-day transition level, written to the module.
    int base_setNightToDayTransition(int p_nValue);
    /// 1 day, 0 night, as the module judges.
    int getDayNightValue(int& p_nState);

    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    /// Raw exchanges on the IT1 line: a write and its acknowledgement, any
    /// request and its reply.
    int setParameterValue(const char* p_pBytes, int p_nLength) override;
    int getParameterValue(const char* p_pRequest, int p_nRequestLength, char* p_pAnswer,
                          int p_nAnswerLength) override;

    /// The register transport.
    IT1Link& link() { return m_link; }
    /// The cached value of register 1500.
    int getCached1500() const { return m_n1500Value; }

    /// A register written as it is. The values a parameter's register takes
    /// are in the parameter's row, which the table checks before the setter
    /// runs.
    struct Register {
        /// The register.
        int nRegister;
        /// The number of bytes.
        int nCount;
    };

protected:
    /// p_members are the member's own rows, looked up before the family's.
    IBaseIT1SenseController(int p_nModuleId, std::initializer_list<IT1ParameterList> p_members);

    /// The member's own start-up, after the family's.
    virtual int initMember(const ModuleConfigure& p_config, ModuleParameterParser& p_detail);

    /// The register transport.
    IT1Link m_link;
    /// The cached value of register 1500.
    std::atomic<int> m_n1500Value;
    /// The cached value of register 0101.
    std::atomic<int> m_n0101Value;
    /// The cached value of register 0A01.
    std::atomic<int> m_n0A01Value;
    /// The sharpness at low light.
    std::atomic<int> m_nLowSharpness;
    /// The day-to-night transition level.
    std::atomic<int> m_nDayToNight;
    /// The night-to-day transition level.
    std::atomic<int> m_nNightToDay;
    /// The minimum shutter.
    std::atomic<int> m_nMinShutter;
    /// The fixed shutter.
    std::atomic<int> m_nFixedShutter;

private:
    void refuse(const IT1Parameter& p_row, int p_nValue);
    int write(const Register& p_register, int p_nValue);
    int read(const Register& p_register, int& p_nValue);
    int setDayNightBit(bool p_bBlackWhite);
    int setCachedField(std::atomic<int>& p_cache, int p_nRegister, int p_nLow, int p_nCount,
                       int p_nValue);
    bool fixedShutter() const;

    ParameterTable<IBaseIT1SenseController> m_parameters;
};

#endif
