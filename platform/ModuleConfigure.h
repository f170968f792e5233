#ifndef SENSORCONTROL_PLATFORM_MODULECONFIGURE_H
#define SENSORCONTROL_PLATFORM_MODULECONFIGURE_H

#include <string>

#include "Export.h"

// The host's description of the image source: module id, detail text and
// parameter text. Both texts are key/value texts read with
// ModuleParameterParser, for example
//   detail     "RS485=/dev/ttyAMA1;isInfrared=1;GPIO=1,2,0"
//   parameters "RS485=9600,8,0,0"
class SC_EXPORT ModuleConfigure {
public:
    ModuleConfigure() = default;
    ModuleConfigure(int p_nModuleId, const std::string& p_strDetail,
                    const std::string& p_strParameters)
        : m_nModuleId(p_nModuleId), m_strDetail(p_strDetail), m_strParameters(p_strParameters) {}

    int getModuleId() const { return m_nModuleId; }
    void setModuleId(int p_nModuleId) { m_nModuleId = p_nModuleId; }
    const std::string& getDetail() const { return m_strDetail; }
    void setDetail(const std::string& p_strDetail) { m_strDetail = p_strDetail; }
    const std::string& getParameters() const { return m_strParameters; }
    void setParameters(const std::string& p_strParameters) { m_strParameters = p_strParameters; }

private:
    int m_nModuleId = 0;
    std::string m_strDetail;
    std::string m_strParameters;
};

#endif
