#include "IRegisterSenseController.h"

#include <cstdio>
#include <cstdlib>

namespace {

// "group,bit,day level", taken only when whole; the count of numbers read.
int parseTriple(const std::string& p_strText, GPIOTriple& p_triple) {
    GPIOTriple read = p_triple;
    int count = read.parse(p_strText);
    if (count == 3) {
        p_triple = read;
    }
    return count;
}

}  // namespace

int IRegisterSenseController::readModuleConfig(const ModuleConfigure& p_config,
                                               ModuleParameterParser& p_detail,
                                               std::string& p_strDevice) {
    if (!p_detail.parse(p_config.getDetail())) {
        ErrorPrintf("parse detail failed");
        return 0;
    }
    if (!p_detail.getValue("RS232", p_strDevice)) {
        ErrorPrintf("get RS232DeviceName from detail failed");
        return 0;
    }
    if (!readDetailNumber(p_detail, "isInfrared", "get isInfrared from detail failed",
                          m_nIsInfrared)) {
        return 0;
    }
    std::string text;
    ModuleParameterParser parameters;
    if (!parameters.parse(p_config.getParameters())) {
        ErrorPrintf("parse senseParameter failed");
        return 0;
    }
    std::string line;
    if (!parameters.getValue("RS232", line)) {
        ErrorPrintf("get RS232Parameter from senseParameter failed");
        return 0;
    }
    m_bNewInfrared =
        p_detail.getValue("isNewInfrared", text) && std::strtol(text.c_str(), nullptr, 10) != 0;
    if (!p_detail.getValue("GPIO", text)) {
        ErrorPrintf("get GPIO from detail failed");
        return 0;
    }
    int count = parseTriple(text, m_IrCutGpio);
    if (count != 3) {
        ErrorPrintf("parse GPIO param failed,nRet=%d", count);
        return 0;
    }
    m_bInfraredLightLine =
        p_detail.getValue("GPIOInfraredLight", text) && parseTriple(text, m_InfraredLightGpio) == 3;
    if (!m_bInfraredLightLine) {
        std::puts("get GPIOInfraredLight from detail failed");
    }
    m_bDNLevelLine =
        p_detail.getValue("GPIODNLevel", text) && parseTriple(text, m_DNLevelGpio) == 3;
    if (!m_bDNLevelLine) {
        std::puts("get GPIODNLevel from detail failed");
    }
    return SerialSetup::parseLine(*this, "RS232", line, p_strDevice, m_line);
}

int IRegisterSenseController::openLine(const std::string& p_strDevice) {
    return SerialSetup::openPort(*this, *m_pUART, m_nUARTIndex, p_strDevice, m_line,
                                 "open UART(%s) failed");
}

int IRegisterSenseController::initLine(const ModuleConfigure& p_config,
                                       ModuleParameterParser& p_detail) {
    std::string device;
    return readModuleConfig(p_config, p_detail, device) && openLine(device);
}
