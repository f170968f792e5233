#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_SERIALSETUP_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_SERIALSETUP_H

#include <string>

#include "../../platform/Export.h"

// The line settings of a serial module, as the module configuration's
// parameter text gives them: "baud,data bits,parity,stop bits", for example
// "RS485=9600,8,0,0".
struct SC_EXPORT SerialLineSettings {
    int nBaudRate = 9600;
    int nDataBits = 8;
    int nParity = 0;
    int nStopBits = 0;

    // The count of numbers read (4 when complete); fields not read keep
    // their values.
    int parse(const std::string& p_strText);
};

#endif
