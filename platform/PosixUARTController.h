#ifndef SENSORCONTROL_PLATFORM_POSIXUARTCONTROLLER_H
#define SENSORCONTROL_PLATFORM_POSIXUARTCONTROLLER_H

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../framework/IUARTController.h"
#include "Export.h"

// The board's real serial ports, driven through termios. A device name such as
// "/dev/ttyAMA1" is mapped through PlatformRoot, so a test can put a
// pseudo-terminal in its place.
//
// Ports are raw 8-bit lines without flow control; each open() gets its own
// index (0, 1, 2...; freed indexes are handed out again), also when the same
// device is opened twice. Calls on different ports may run at once from
// different threads; one port's exchanges are serialised by its caller.
//
// The read wait is counted in steps of 100 ms: read() returns as soon as the
// asked number of bytes has arrived, or once wait x 100 ms have passed since
// the call with whatever arrived by then (possibly nothing). Wait 0 takes
// what is already there.
class SC_EXPORT PosixUARTController : public IUARTController {
public:
    // The length of one step of the read wait.
    enum { WAIT_STEP_MS = 100 };

    PosixUARTController();
    // Closes every port still open.
    ~PosixUARTController() override;
    PosixUARTController(const PosixUARTController&) = delete;
    PosixUARTController& operator=(const PosixUARTController&) = delete;

    // A port index >= 0; -1 when the device cannot be opened or is no
    // terminal.
    int open(const std::string& p_strDevice) override;
    void close(int p_nIndex) override;
    // Baud rate 1200..230400 (the standard rates), data bits 5..8, stop bits
    // 1 or 2 (0 counts as 1), parity 0 none, 1 odd, 2 even. Non-zero on
    // success; 0 for a bad index or value, or when the line refuses them.
    int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                     int p_nParity) override;
    // Writes all bytes, waiting for room for about a second at most. The
    // number of bytes written; -1 for a bad index.
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override;
    // The number of bytes read; -1 for a bad index.
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override;

private:
    struct Port;
    std::shared_ptr<Port> portAt(int p_nIndex);

    std::mutex m_mutex;
    // Index -> open port; a read or write keeps its port alive while it
    // waits, so a close() meanwhile cannot hand its descriptor to another
    // open().
    std::vector<std::shared_ptr<Port>> m_ports;
};

#endif
