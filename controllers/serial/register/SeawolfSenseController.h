#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_SEAWOLFSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_SEAWOLFSENSECONTROLLER_H

#include <string>

#include "../../../framework/ParameterTable.h"
#include "IRegisterSenseController.h"
#include "SeawolfLink.h"

/// The Seawolf camera module (module id 12): parameters are items of groups
/// (SeawolfLink has the frames). Day and night follow the base's thread: the
/// module's judgement is item 03 05 (1 day, 0 night) and the picture item
/// 03 02; day/night mode 4 hands the switching to the module.
///
/// | Id    | Operation                  | Group, item   | Values                                  |
/// |-------|----------------------------|---------------|-----------------------------------------|
/// | 1     | setResolution              | 01 01         | 0 1080p, 1 720p, 2 D1                   |
/// | 2     | setSharpness               | 01 02         | 0..10                                   |
/// | 3     | setSatulation              | 01 03         | 0..10                                   |
/// | 4     | setGama                    | 01 04         | 0..4                                    |
/// | 5     | setNoiseReduction          | 01 05         | 0..3                                    |
/// | 6     | setBright                  | 01 06         | 0..10                                   |
/// | 7     | setFlip                    | 01 07         | 0 off, 1 mirror, 2 flip, 3 both         |
/// | 8     | setFluorescent             | 01 08         | 0 off, 1 50 Hz, 2 60 Hz                 |
/// | 9     | setBLC                     | 02 01         | 0 off, 1 on                             |
/// | 10    | setShutterlimit            | 02 02         | 0..7 (1/25 .. 1/10000 s)                |
/// | 11    | setEXPpreference           | 02 03         | 0 auto, 1 shutter first, 2 gain first   |
/// | 12    | setExparea                 | 02 04         | 0 whole, 1 centre, 2 top, 3 bottom, 4   |
/// |       |                            |               | spot                                    |
/// | 13    | setWBmode                  | 03 01         | 0 auto, 1 indoor, 2 outdoor, 3 ATW, 4   |
/// |       |                            |               | manual                                  |
/// | 14    | setDayNightMode            | 03 02         | the base's 0..4; 4 writes 0 (the module |
/// |       |                            |               | switches), the others leave it to the   |
/// |       |                            |               | picture switches (1 colour, 2 black and |
/// |       |                            |               | white)                                  |
/// | 16/17 | setDayToNight/             | 03 03 / 03 04 | 0..255, day-to-night not below          |
/// |       | NightToDayTransition       |               | night-to-day                            |
/// | 18    | setMaxGain                 | 02 05         | 0..15                                   |
/// | 19    | setGainBoost               | 02 06         | 0 off, 1 on                             |
/// | 20    | setWDR                     | 02 07         | 0..3                                    |
/// | 22/23 | setShowFrame(1/0)          | 04 01         | the value is ignored                    |
/// | 24-28 | setDirectionOperator(1..5) | 04 02         | up, down, left, right, stop; the value  |
/// |       |                            |               | is ignored                              |
/// | 29    | setLensType                | 04 03         | 0 fixed, 1 varifocal, 2 motorised       |
/// | 30    | TNF mode, the base's                                                                 |
/// | 57-61 | day/night delay and times, the base's                                                |
///
/// The video system is item 05 01 (0 NTSC, 1 PAL); the module restarts its video on a change, so
/// waitForEffective reads the item back, every 200 ms for at most 2 s, until it holds the new
/// value.
/// The soft version is the information item 0F: four bytes shown as "major.minor.patch.build".
class SC_EXPORT SeawolfSenseController : public IRegisterSenseController {
public:
    SeawolfSenseController();

    /// @cond
    // Setters and getters the parameter table routes ids to; hosts reach
    // them by id (setParameter, getParameter).
    int setResolution(int p_nValue);
    int getResolution(int& p_nValue);
    int setSharpness(int p_nValue);
    int getSharpness(int& p_nValue);
    int setSatulation(int p_nValue);
    int getSatulation(int& p_nValue);
    int setGama(int p_nValue);
    int getGama(int& p_nValue);
    int setNoiseReduction(int p_nValue);
    int getNoiseReduction(int& p_nValue);
    int setBright(int p_nValue);
    int getBright(int& p_nValue);
    int setFlip(int p_nValue);
    int getFlip(int& p_nValue);
    int setFluorescent(int p_nValue);
    int getFluorescent(int& p_nValue);
    int setBLC(int p_nValue);
    int getBLC(int& p_nValue);
    int setShutterlimit(int p_nValue);
    int getShutterlimit(int& p_nValue);
    int setEXPpreference(int p_nValue);
    int getEXPpreference(int& p_nValue);
    int setExparea(int p_nValue);
    int getExparea(int& p_nValue);
    int setWBmode(int p_nValue);
    int getWBmode(int& p_nValue);
    int setDayToNightTransition(int p_nValue);
    int getDayToNightTransition(int& p_nValue);
    int setNightToDayTransition(int p_nValue);
    int getNightToDayTransition(int& p_nValue);
    int setMaxGain(int p_nValue);
    int getMaxGain(int& p_nValue);
    int setGainBoost(int p_nValue);
    int getGainBoost(int& p_nValue);
    int setWDR(int p_nValue);
    int getWDR(int& p_nValue);
    int setShowFrame(int p_nShow);
    int setDirectionOperator(int p_nDirection);
    int setLensType(int p_nValue);
    int getLensType(int& p_nValue);
    /// @endcond

    /// 1 day, 0 night, as the module judges.
    int getDayNightValue(int& p_nState);
    /// Writes the video system (item 05 01) and waits for it to take effect.
    int setVideoSystem(int p_nVideoSystem);
    /// The soft version, "major.minor.patch.build".
    int getSensorSoftVersion(std::string& p_strVersion);
    /// Reads the item until it holds p_nValue; 1 when it does in time.
    int waitForEffective(int p_nGroup, int p_nItem, int p_nValue);

    int setDayNightMode(int p_nMode) override;
    int getDNStatusFromSensor(int& p_nStatus) override;
    int turnPictureToDay() override;
    int turnPictureToNight() override;
    int getCameraVerInf(std::string& p_strVersion) override;
    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    /// The module's own ids after the base's; -1 for an id it does not have.
    int setParameterToSensorBase(int p_nId, int p_nValue);
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;

    /// The item transport.
    SeawolfLink& link() { return m_link; }

    /// An item of a group. The values a parameter's item takes are in the
    /// parameter's row, which the table checks before the setter runs.
    struct Item {
        /// The group.
        int nGroup;
        /// The item.
        int nItem;
    };

private:
    void refuse(const ParameterRow<SeawolfSenseController>& p_row, int p_nValue);
    /// 0, logged, when a transition would pass its partner's cached value.
    int transitionInOrder(int p_nId, int p_nValue);
    int write(const Item& p_item, int p_nValue);
    int read(const Item& p_item, int& p_nValue);

    SeawolfLink m_link;
    ParameterTable<SeawolfSenseController> m_parameters;
};

#endif
