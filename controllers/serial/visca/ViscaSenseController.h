#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCASENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCASENSECONTROLLER_H

#include <cstddef>
#include <string>
#include <vector>

#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"
#include "../IKeelZoomSensorController.h"
#include "../SerialSetup.h"
#include "Visca.h"
#include "ViscaCommandSet.h"

namespace ViscaParameters {

/// Ids 51-64 as the FCB-EV7310 numbers them: TNF mode, the iris and focus
/// steps, brightness, the infrared lights, the day/night schedule and the
/// power mode.
ViscaParameterList fcbUpperIds();

/// The rows the members number or name differently, described alike: one of the
/// base's settings (TNF mode, a lamp, a switch time, the lamp power mode),
/// and the brightness, which moves the exposure compensation.
constexpr ViscaParameter baseRow(int p_nId, int p_nSetting) {
    typedef ISensorController I;
    switch (p_nSetting) {
        case I::BASE_TNF_MODE:
            return ViscaParameter::base(p_nId, p_nSetting, "setTNFMode");
        case I::BASE_NEAR_LIGHT:
            return ViscaParameter::base(p_nId, p_nSetting, "setNearLight");
        case I::BASE_MIDDLE_LIGHT:
            return ViscaParameter::base(p_nId, p_nSetting, "setMiddleLight");
        case I::BASE_FAR_LIGHT:
            return ViscaParameter::base(p_nId, p_nSetting, "setFarLight");
        // Any switch time is kept; only one equal to the other is refused
        // once initialised.
        case I::BASE_DTN_HOUR:
            return ViscaParameter::base(p_nId, p_nSetting, "setDTNTime_H", "setDTNTime_H failed");
        case I::BASE_DTN_MINUTE:
            return ViscaParameter::base(p_nId, p_nSetting, "setDTNTime_M", "setDTNTime_M failed");
        case I::BASE_NTD_HOUR:
            return ViscaParameter::base(p_nId, p_nSetting, "setNTDTime_H", "setNTDTime_H failed");
        case I::BASE_NTD_MINUTE:
            return ViscaParameter::base(p_nId, p_nSetting, "setNTDTime_M", "setNTDTime_M failed");
        case I::BASE_POWER_MODE:
        default:
            return ViscaParameter::base(p_nId, p_nSetting, "setPowerMode");
    }
}
constexpr ViscaParameter brightness(int p_nId) {
    return ViscaParameter::setting(p_nId, "setBrightness", &ViscaCommandSet::setBrightness, 50)
        .range("brightness", ParameterRole::BRIGHTNESS, 0, 100, ParameterUnit::PERCENT);
}
/// Id 12, whose setter the CH3310 names otherwise in its failure text; 0
/// closes the iris below its f-stops.
inline constexpr ParameterMenuEntry kIrisClosed[] = {{0, "close"}};
constexpr ViscaParameter iris(const char* p_szSetter) {
    return ViscaParameter::setting(12, p_szSetter, &ViscaCommandSet::setIri, 17)
        .range("iris", ParameterRole::IRIS_LEVEL, 5, 17, ParameterUnit::STEP)
        .also(kIrisClosed);
}

int irisUp(ISensorController& p_owner, ViscaCommandSet& p_commands, int p_nValue);
int irisDown(ISensorController& p_owner, ViscaCommandSet& p_commands, int p_nValue);
int focusUp(ISensorController& p_owner, ViscaCommandSet& p_commands, int p_nValue);
int focusDown(ISensorController& p_owner, ViscaCommandSet& p_commands, int p_nValue);

}  // namespace ViscaParameters

/// The table's descriptors of the ids the controller registers. A member may
/// route ids of the shared rows that it does not register (the FCB-EV7310's
/// 37 and 52-56): a write reaches the module, but the id is no setting a host
/// keeps, so it is not described.
class ViscaRegisteredDescriptions : public ParameterDescriptions {
public:
    /// The table's descriptions of the ids the controller registered.
    ViscaRegisteredDescriptions(const ParameterDescriptions& p_table, const IdManager& p_ids)
        : m_table(p_table), m_ids(p_ids) {}
    int describe(int p_nId, ParameterDescriptor& p_descriptor) const override;
    int describeNext(int p_nAfter, ParameterDescriptor& p_descriptor) const override;

private:
    const ParameterDescriptions& m_table;
    const IdManager& m_ids;
};

/// What the Sony VISCA block cameras share, on top of the controller base they
/// build on: the VISCA link and command set, parameters by table, the picture
/// switches through the IR-cut filter or an IR lamp board, the module's own
/// day/night modes (1 its automatic, 3 day, 4 night, 5 schedule), the video
/// standard with its restart and the internal-sync check.
template <class Base>
class SC_EXPORT ViscaSenseController : public Base {
public:
    /// @copydoc ISensorController::getMirrorValue
    int getMirrorValue(int& p_nMirror) override;
    /// @copydoc ISensorController::getStillImageValue
    int getStillImageValue(int& p_nValue) override;
    /// @copydoc ISensorController::getCameraFocusMode
    int getCameraFocusMode(int& p_nMode) override;
    /// @copydoc ISensorController::setFocusMode
    int setFocusMode(int p_nMode) override;
    /// The module runs its own 2A and iris: nothing to do.
    int set2AParam(int p_nStatus) override;
    /// @copydoc ISensorController::setRunAutoIris
    int setRunAutoIris() override;
    /// @copydoc ISensorController::StopIris
    int StopIris() override;
    /// Returns 1 and writes nothing: the module's status is not read here.
    int getDNStatusFromSensor(int& p_nStatus) override;
    /// @copydoc ISensorController::getParameterFromSensor
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    /// @copydoc ISensorController::setParameterToSensor
    int setParameterToSensor(int p_nId, int p_nValue) override;
    /// @copydoc ISensorController::setDayNightMode
    int setDayNightMode(int p_nMode) override;
    /// @copydoc ISensorController::getDayNightMode
    int getDayNightMode(int& p_nMode) override;
    /// 1 when the IR-cut filter is out (night), 0 when in.
    int getDayNightState(int& p_nState) override;
    /// @copydoc ISensorController::getCurrentGain
    int getCurrentGain(int& p_nGain) override;
    /// @copydoc ISensorController::turnPictureToDay
    int turnPictureToDay() override;
    /// @copydoc ISensorController::turnPictureToNight
    int turnPictureToNight() override;
    /// @copydoc ISensorController::enterAutoMode
    int enterAutoMode() override;
    /// @copydoc ISensorController::NotifySensorInitComplate
    int NotifySensorInitComplate() override;
    /// @copydoc ISensorController::setSensorVideoSystem
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    /// @copydoc ISensorController::getParameterValue
    int getParameterValue(const char* p_pRequest, int p_nRequestLength, char* p_pAnswer,
                          int p_nAnswerLength) override;
    /// @copydoc ISensorController::setParameterValue
    int setParameterValue(const char* p_pBytes, int p_nLength) override;

    /// The serial line settings read from the configuration.
    const SerialLineSettings& getLineSettings() const { return m_line; }

protected:
    /// p_modules are the module's own rows, looked up in order before the
    /// family's.
    ViscaSenseController(int p_nModuleId, ViscaLink::Reader p_eReader,
                         std::initializer_list<ViscaParameterList> p_modules);

    /// Writes a frame as it is; 1 or 0.
    int sendRaw(const std::string& p_strFrame);
    /// An inquiry and a reply of exactly p_nLength bytes; 1 or 0.
    int inquire(const std::string& p_strFrame, char* p_pReply, int p_nLength);
    /// The module must run on its internal sync; switches it there when not.
    int checkSync(bool p_bTrace);
    /// The serial settings of the configuration: the device and line
    /// settings and the "isInfrared" detail key. p_detail keeps the detail for
    /// the module's own keys.
    int readModuleConfig(const ModuleConfigure& p_config, const char* p_szMissingLine,
                         ModuleParameterParser& p_detail, std::string& p_strDevice);
    /// Opens the device and configures it at the line's settings.
    int openPort(const std::string& p_strDevice);

    /// Whether the video system changed and the module restarts.
    int m_nVideoSystemChanged;
    /// The focus mode set.
    int m_nFocusMode;
    /// The serial line settings.
    SerialLineSettings m_line;
    /// The VISCA transport.
    ViscaLink m_link;
    /// The command set.
    ViscaCommandSet m_commands;

private:
    ParameterTable<ViscaCommandSet> m_parameters;
    ViscaRegisteredDescriptions m_descriptions;
};

extern template class ViscaSenseController<ISensorController>;
extern template class ViscaSenseController<IKeelZoomSensorController>;

#endif
