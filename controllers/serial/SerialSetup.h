#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_SERIALSETUP_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_SERIALSETUP_H

#include <string>

#include "../../framework/ISensorController.h"
#include "../../platform/Export.h"
#include "../../platform/ModuleParameterParser.h"

/// The line settings of a serial module, as the module configuration's
/// parameter text gives them: "baud,data bits,parity,stop bits", for example
/// "RS485=9600,8,0,0".
struct SerialLineSettings {
    /// The baud rate.
    int nBaudRate = 9600;
    /// The data bits.
    int nDataBits = 8;
    /// The parity: 0 none, 1 odd, 2 even.
    int nParity = 0;
    /// The stop bits (0 counts as 1).
    int nStopBits = 0;

    /// The count of numbers read (4 when complete); fields not read keep
    /// their values.
    int parse(const std::string& p_strText);
};

/// The serial steps every RS485 module's initialisation shares, each failure
/// logged through the controller.
namespace SerialSetup {

/// Reads the device (detail key "RS485") and the line settings (parameter key
/// "RS485", p_szMissingLine logged when absent) and prints them. p_detail
/// keeps the parsed detail for the module's own keys. 1 or 0.
SC_EXPORT int readConfig(ISensorController& p_owner, const ModuleConfigure& p_config,
                         const char* p_szMissingLine, ModuleParameterParser& p_detail,
                         std::string& p_strDevice, SerialLineSettings& p_line);
/// Reads the line settings text of the line p_szKey names ("RS485", "RS232")
/// and prints them with the device. 1, or 0 with "parse <key> param failed"
/// logged when fewer than four numbers stand in it.
SC_EXPORT int parseLine(ISensorController& p_owner, const char* p_szKey,
                        const std::string& p_strText, const std::string& p_strDevice,
                        SerialLineSettings& p_line);
/// Opens the device into p_nIndex and configures it at the line's settings;
/// p_szOpenFailure (one %s for the device) is logged when it does not open.
SC_EXPORT int openPort(ISensorController& p_owner, IUARTController& p_port, int& p_nIndex,
                       const std::string& p_strDevice, const SerialLineSettings& p_line,
                       const char* p_szOpenFailure = "open uart (%s) failed");
/// Configures the open port at p_nBaudRate with the line's other settings.
SC_EXPORT int configurePort(ISensorController& p_owner, IUARTController& p_port, int p_nIndex,
                            int p_nBaudRate, const SerialLineSettings& p_line);

}  // namespace SerialSetup

#endif
