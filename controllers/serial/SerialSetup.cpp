#include "SerialSetup.h"

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
