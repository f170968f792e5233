#include "SerialSetup.h"

#include <cstdio>

#include "../../platform/internal/TextScan.h"

int SerialLineSettings::parse(const std::string& p_strText) {
    int values[4] = {nBaudRate, nDataBits, nParity, nStopBits};
    int count = scanCommaInts(p_strText, values, 4);
    nBaudRate = values[0];
    nDataBits = values[1];
    nParity = values[2];
    nStopBits = values[3];
    return count;
}

namespace SerialSetup {

int readConfig(ISensorController& p_owner, const ModuleConfigure& p_config,
               const char* p_szMissingLine, ModuleParameterParser& p_detail,
               std::string& p_strDevice, SerialLineSettings& p_line) {
    if (!p_detail.parse(p_config.getDetail())) {
        p_owner.ErrorPrintf("parse detail failed");
        return 0;
    }
    if (!p_detail.getValue("RS485", p_strDevice)) {
        p_owner.ErrorPrintf("get RS232DeviceName from detail failed");
        return 0;
    }
    ModuleParameterParser parameters;
    if (!parameters.parse(p_config.getParameters())) {
        p_owner.ErrorPrintf("parse senseParameter failed");
        return 0;
    }
    std::string text;
    if (!parameters.getValue("RS485", text)) {
        p_owner.ErrorPrintf("%s", p_szMissingLine);
        return 0;
    }
    return parseLine(p_owner, "RS485", text, p_strDevice, p_line);
}

int parseLine(ISensorController& p_owner, const char* p_szKey, const std::string& p_strText,
              const std::string& p_strDevice, SerialLineSettings& p_line) {
    int count = p_line.parse(p_strText);
    if (count < 4) {
        p_owner.ErrorPrintf("parse %s param failed,nRet=%d", p_szKey, count);
        return 0;
    }
    std::printf("%s(%s) param is (%d,%d,%d,%d)\n", p_szKey, p_strDevice.c_str(), p_line.nBaudRate,
                p_line.nDataBits, p_line.nParity, p_line.nStopBits);
    return 1;
}

int openPort(ISensorController& p_owner, IUARTController& p_port, int& p_nIndex,
             const std::string& p_strDevice, const SerialLineSettings& p_line,
             const char* p_szOpenFailure) {
    p_nIndex = p_port.open(p_strDevice);
    if (p_nIndex < 0) {
        p_owner.ErrorPrintf(p_szOpenFailure, p_strDevice.c_str());
        return 0;
    }
    return configurePort(p_owner, p_port, p_nIndex, p_line.nBaudRate, p_line);
}

int configurePort(ISensorController& p_owner, IUARTController& p_port, int p_nIndex,
                  int p_nBaudRate, const SerialLineSettings& p_line) {
    if (!p_port.setParameter(p_nIndex, p_nBaudRate, p_line.nDataBits, p_line.nStopBits,
                             p_line.nParity)) {
        p_owner.ErrorPrintf(
            "m_pUART->setParameter(m_nUARTIndex,m_nBaudarate,m_nDataBits,m_nStopBits,m_nParity) "
            "failed\n");
        return 0;
    }
    return 1;
}

}  // namespace SerialSetup
