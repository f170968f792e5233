#ifndef SENSORCONTROL_FRAMEWORK_IUARTCONTROLLER_H
#define SENSORCONTROL_FRAMEWORK_IUARTCONTROLLER_H
/// @file
/// IUARTController, the host's serial ports as the library uses them.

#include <string>

#include "../platform/Export.h"

/// The host's serial ports. The library opens a port once (the index it gets
/// back goes with every later call), sets its line parameters, then writes a
/// request whole and reads its answer, possibly in several reads.
class SC_EXPORT IUARTController {
public:
    virtual ~IUARTController();
    /// A port index >= 0, or negative on failure.
    virtual int open(const std::string& p_strDevice) = 0;
    /// Closes a port open() gave.
    virtual void close(int p_nIndex) = 0;
    /// Non-zero on success.
    virtual int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                             int p_nParity) = 0;
    /// The number of bytes written; anything but p_nLength is a failure.
    virtual int write(int p_nIndex, const char* p_pBytes, int p_nLength) = 0;
    /// The number of bytes read, 0 when nothing arrived within the wait. The
    /// wait is a small number (the library passes 1 to 6); its unit belongs to
    /// the implementation.
    virtual int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) = 0;
};

#endif
