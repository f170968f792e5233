#ifndef SENSORCONTROL_PLATFORM_MODULECONFIGURE_H
#define SENSORCONTROL_PLATFORM_MODULECONFIGURE_H
/// @file
/// ModuleConfigure, the host's description of the image source.

#include <string>

#include "Export.h"

/// The host's description of the image source: module id, detail text and
/// parameter text. Both texts are key/value texts read with
/// ModuleParameterParser, for example
/// @code{.unparsed}
///   detail     "RS485=/dev/ttyAMA1;isInfrared=1;GPIO=1,2,0"
///   parameters "RS485=9600,8,0,0"
/// @endcode
class SC_EXPORT ModuleConfigure {
public:
    ModuleConfigure() = default;
    /// A module id with its detail and parameter texts.
    ModuleConfigure(int p_nModuleId, const std::string& p_strDetail,
                    const std::string& p_strParameters)
        : m_nModuleId(p_nModuleId), m_strDetail(p_strDetail), m_strParameters(p_strParameters) {}

    /// The module id (60 the SoC's own sensor, 0 none).
    int getModuleId() const { return m_nModuleId; }
    /// Sets the module id.
    void setModuleId(int p_nModuleId) { m_nModuleId = p_nModuleId; }
    /// The detail text (device, GPIO lines, infrared, ...).
    const std::string& getDetail() const { return m_strDetail; }
    /// Sets the detail text.
    void setDetail(const std::string& p_strDetail) { m_strDetail = p_strDetail; }
    /// The parameter text (the serial line's settings, ...).
    const std::string& getParameters() const { return m_strParameters; }
    /// Sets the parameter text.
    void setParameters(const std::string& p_strParameters) { m_strParameters = p_strParameters; }

private:
    int m_nModuleId = 0;
    std::string m_strDetail;
    std::string m_strParameters;
};

#endif
