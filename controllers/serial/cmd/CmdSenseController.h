#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMDSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMDSENSECONTROLLER_H

#include <initializer_list>
#include <string>
#include <utility>

#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"
#include "../IKeelZoomSensorController.h"
#include "../SerialSetup.h"
#include "../visca/Visca.h"
#include "CmdCommandSet.h"

namespace CmdParameters {

/// The ids of the CMD7300 layout, which the CMD8100 modules share: image
/// settings 0-20, iris and focus steps 52-55, the lamps, the day/night
/// schedule and the power mode 56-63, the one-push trigger 64; with the
/// CMD7300's factory values.
CmdParameterList family();
/// How the family's image settings become frames, with the CMD7300's
/// scalings.
CmdFrames familyFrames();

/// Rows the members share but for their factory values.
constexpr CmdParameter sharpness(int p_nFactory) {
    return CmdParameter::action(2, "setSharpness", frame<2>, p_nFactory)
        .range("sharpness", ParameterRole::SHARPNESS, 0, 100, ParameterUnit::PERCENT);
}
constexpr CmdParameter iris(int p_nFactory) {
    return CmdParameter::action(5, "setIris", frame<5>, p_nFactory)
        .range("iris", ParameterRole::IRIS_LEVEL, 5, 17, ParameterUnit::STEP);
}
/// The level the module switches day and night at by itself.
constexpr CmdParameter threshold(int p_nFactory) {
    return CmdParameter::action(13, "setThreshold", frame<13>, p_nFactory)
        .range("daynight-threshold", ParameterRole::NONE, 0, 28, ParameterUnit::STEP);
}

}  // namespace CmdParameters

/// What the CMD camera modules share on top of the controller base they build
/// on: VISCA-style frames through an acknowledged transport (one 3-byte read
/// that must hold 90 41 FF or 90 51 FF; inquiries read their exact reply
/// length; three attempts with the port emptied between them), parameters by
/// table, the base's day/night machinery served by module commands, and the
/// video standard with its restart.
///
/// The defaults are those of the CMD7300 layout; a member overrides what its
/// module does differently.
template <class Base>
class SC_EXPORT CmdSenseController : public Base {
public:
    /// The cached mirror setting.
    int getMirrorValue(int& p_nMirror) override;
    /// @copydoc ISensorController::getParameterFromSensor
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    /// @copydoc ISensorController::setParameterToSensor
    int setParameterToSensor(int p_nId, int p_nValue) override;
    /// @copydoc ISensorController::getParameterValue
    int getParameterValue(const char* p_pRequest, int p_nRequestLength, char* p_pAnswer,
                          int p_nAnswerLength) override;
    /// @copydoc ISensorController::setParameterValue
    int setParameterValue(const char* p_pBytes, int p_nLength) override;
    /// 81 01 04 22 FF written straight to the port; no answer is read.
    int NotifySensorInitComplate() override;
    /// @copydoc ISensorController::IrisUp
    int IrisUp() override;
    /// @copydoc ISensorController::IrisDown
    int IrisDown() override;
    /// 0 and 1 the module's two automatic focus modes (38 02, then 57 02 or
    /// 57 00), 2 manual (38 03); other values are left alone.
    int setFocusMode(int p_nMode) override;
    /// Mode 0 is the module's own switching (4); other values as given.
    int setDayNightMode(int p_nMode) override;
    /// The module's IR-cut state (81 09 04 01 FF, reply byte 2: 02 night, 03
    /// day).
    int getDNStatusFromSensor(int& p_nStatus) override;
    /// With an IR lamp board its day/night/automatic frame; otherwise the
    /// module's automatic IR-cut switching (51) and then the filter (01).
    int turnPictureToDay() override;
    /// @copydoc ISensorController::turnPictureToNight
    int turnPictureToNight() override;
    /// @copydoc ISensorController::enterAutoMode
    int enterAutoMode() override;
    /// Reads the video-standard register (72) and, when it differs from the
    /// standard's value, rewrites it and restarts the module (20 s).
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;

    /// The detail's "generation".
    int getGeneration() const { return m_nGeneration; }
    /// The serial line settings read from the configuration.
    const SerialLineSettings& getLineSettings() const { return m_line; }

protected:
    /// p_rows and p_frames are looked up in order; p_nHabits as ViscaLink's;
    /// p_nMirrorId the id of the mirror setting.
    CmdSenseController(int p_nModuleId, int p_nHabits, int p_nMirrorId,
                       std::initializer_list<CmdParameterList> p_rows,
                       std::initializer_list<CmdFrames> p_frames);

    /// A command through the transport; 1 when acknowledged.
    int send(const std::string& p_strFrame);
    /// An inquiry and a reply of exactly p_nLength bytes; 1 or 0.
    int inquire(const std::string& p_strInquiry, char* p_pReply, int p_nLength);
    /// Writes a frame straight to the port, without the transport's lock or
    /// an answer; the count of bytes written.
    int writeRaw(const std::string& p_strFrame);
    /// The three focus modes as frames: 0 (38 02, 57 02), 1 (38 02, 57 00),
    /// 2 manual (38 03); any other index sends nothing and gives 1.
    int sendFocusMode(int p_nIndex);
    /// The IR-cut state from 81 09 04 01 FF: 1 with p_nStatus written, 0 when
    /// the exchange failed, -1 when reply byte 2 is neither 02 nor 03.
    int readDayNight(char* p_pReply, int& p_nStatus);
    /// A picture switch: the lamp board's frame (p_nBoard: 0 automatic, 1
    /// night, 2 day), or 51 p_nAuto and then, when p_nFilter >= 0, 01
    /// p_nFilter (with p_bTwiceAfterPause: a second's pause, then 01 p_nFilter
    /// twice) - each frame only after the one before was acknowledged.
    int switchPicture(int p_nBoard, int p_nAuto, int p_nFilter, bool p_bTwiceAfterPause = false);
    /// After a restart frame was written (p_nWritten of p_nLength bytes):
    /// the module's 20 s of starting up, or a second's pause when the frame
    /// did not go out whole.
    int awaitRestart(int p_nWritten, int p_nLength);

    /// The register value of a video standard (1 PAL, 0 NTSC; 0 for others).
    virtual int videoTarget(int p_nVideoSystem);
    /// Writes the standard; 1 when acknowledged.
    virtual int writeVideoSystem(int p_nVideoSystem, int p_nTarget);
    /// 81 01 04 24 72 0p 0q FF.
    int sendVideoRegister(int p_nValue);
    /// The restart that puts a new standard in force.
    virtual int restartModule();

    /// The configuration's serial settings ("RS485" device and line),
    /// "isInfrared" and, when p_bGeneration, "generation". p_detail keeps the
    /// parsed detail.
    int readSerialConfig(const ModuleConfigure& p_config, bool p_bGeneration,
                         ModuleParameterParser& p_detail);
    /// Opens the configured device and sets its line.
    int openPort();
    /// Registers the module's ids: ranges of common ids, then ranges of
    /// set-only ids (first, last).
    void registerIds(std::initializer_list<std::pair<int, int> > p_common,
                     std::initializer_list<std::pair<int, int> > p_setOnly);

    /// The detail's "generation".
    int m_nGeneration;
    /// 100 us before the video-standard inquiry, as some modules need.
    bool m_bSettleBeforeVideoInquiry;
    /// The device the configuration names.
    std::string m_strDevice;
    /// The serial line settings.
    SerialLineSettings m_line;
    /// The acknowledged transport.
    ViscaLink m_link;
    /// The family's commands.
    CmdCommandSet m_commands;

private:
    int m_nMirrorId;
    ParameterTable<CmdCommandSet> m_parameters;
};

extern template class CmdSenseController<ISensorController>;
extern template class CmdSenseController<IKeelZoomSensorController>;

#endif
