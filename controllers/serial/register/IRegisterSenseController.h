#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IREGISTERSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IREGISTERSENSECONTROLLER_H

#include <string>

#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"
#include "../../../platform/ModuleParameterParser.h"
#include "../SerialSetup.h"

/// What the modules that expose their registers over an RS-232 line (the
/// Effio DSP board, the IT1 family, ITN, Seawolf) share at start-up: the
/// module configuration, read in this order, and the port.
///   detail      "RS232=/dev/ttyAMA1;isInfrared=0;isNewInfrared=1;GPIO=1,2,0;
///                GPIOInfraredLight=1,3,0;GPIODNLevel=1,4,1"
///   parameters  "RS232=9600,8,0,0"   (baud, data bits, parity, stop bits)
/// "isNewInfrared" may be left out (counts as 0), and so may the infrared-light
/// and day/night-level lines; the others are required.
///
/// These modules share no pan/tilt line, so stopPTZ sends nothing to them.
class SC_EXPORT IRegisterSenseController : public ISensorController {
public:
    /// The serial line settings read from the configuration.
    const SerialLineSettings& getLineSettings() const { return m_line; }
    /// The detail's "isNewInfrared".
    bool hasNewInfrared() const { return m_bNewInfrared; }
    /// The detail's "isInfrared".
    int getInfraredMode() const { return m_nIsInfrared; }

protected:
    /// A controller for the module id.
    explicit IRegisterSenseController(int p_nModuleId) : ISensorController(p_nModuleId) {}

    /// Reads the detail and parameter texts into the base's infrared settings
    /// and m_line; p_detail keeps the parsed detail for the module's own keys.
    /// 1, or 0 with the missing key logged.
    int readModuleConfig(const ModuleConfigure& p_config, ModuleParameterParser& p_detail,
                         std::string& p_strDevice);
    /// Opens the device and configures it at m_line.
    int openLine(const std::string& p_strDevice);
    /// Both steps.
    int initLine(const ModuleConfigure& p_config, ModuleParameterParser& p_detail);

    /// The serial line settings.
    SerialLineSettings m_line;
    /// Whether the detail named the infrared-light and day/night-level lines.
    bool m_bInfraredLightLine = false;
    /// Whether the detail names a day/night-level line.
    bool m_bDNLevelLine = false;
};

/// The base's day/night switch delay and times as ids 57-61, the numbering
/// of the Effio and Seawolf modules.
template <class Target>
ParameterList<Target> dayNightScheduleRows() {
    typedef ParameterRow<Target> P;
    static const P s_rows[] = {
        P::base(57, ISensorController::BASE_DN_SWITCH_DELAY, "setDNSwitchDelay"),
        P::base(58, ISensorController::BASE_DTN_HOUR, "setDTNTime_H"),
        P::base(59, ISensorController::BASE_DTN_MINUTE, "setDTNTime_M"),
        P::base(60, ISensorController::BASE_NTD_HOUR, "setNTDTime_H"),
        P::base(61, ISensorController::BASE_NTD_MINUTE, "setNTDTime_M"),
    };
    return ParameterList<Target>(s_rows);
}

// Defines Class::setName and Class::getName as the class's own write and
// read of a register described by Descriptor.
#define SC_REGISTER_ACCESSORS(Class, Name, Descriptor) \
    int Class::set##Name(int p_nValue) {               \
        return write(Descriptor, p_nValue);            \
    }                                                  \
    int Class::get##Name(int& p_nValue) {              \
        return read(Descriptor, p_nValue);             \
    }

#endif
