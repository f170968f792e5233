#ifndef SENSORCONTROL_PLATFORM_POSIXUARTCONTROLLER_H
#define SENSORCONTROL_PLATFORM_POSIXUARTCONTROLLER_H
/// @file
/// PosixUARTController, the board's serial ports through termios.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>

#include "../framework/IUARTController.h"
#include "Export.h"

/// The board's real serial ports, driven through termios. A device name such as
/// "/dev/ttyAMA1" is mapped through PlatformRoot, so a test can put a
/// pseudo-terminal in its place.
///
/// Ports are raw 8-bit lines without flow control; each open() gets its own
/// index (0, 1, 2...; freed indexes are handed out again), also when the same
/// device is opened twice, up to MAX_PORTS at once. Calls on different ports
/// may run at once from different threads; one port's reads and writes are
/// serialised by its caller (the controllers hold a lock per exchange).
///
/// The read wait is counted in steps of 100 ms: read() returns as soon as the
/// asked number of bytes has arrived, or once wait x 100 ms have passed since
/// the call with whatever arrived by then (possibly nothing). Wait 0 takes
/// what is already there.
///
/// The modules' protocols read their answers in small pieces, often a byte
/// at a time. A port therefore takes whatever the line holds in one system
/// call into a receive buffer of its own and serves the small reads from it,
/// without a lock or a clock reading. A read that must wait blocks in the
/// terminal itself (VMIN 0, VTIME one step, on a second descriptor of the
/// device), so an answer that arrives in one burst costs one system call.
class SC_EXPORT PosixUARTController : public IUARTController {
public:
    /// The length of one step of the read wait.
    enum { WAIT_STEP_MS = 100 };
    /// The most ports open at once.
    enum { MAX_PORTS = 16 };

    /// No port open.
    PosixUARTController();
    /// Closes every port still open.
    ~PosixUARTController() override;
    PosixUARTController(const PosixUARTController&) = delete;
    PosixUARTController& operator=(const PosixUARTController&) = delete;

    /// A port index >= 0; -1 when the device cannot be opened or is no
    /// terminal.
    int open(const std::string& p_strDevice) override;
    /// Waits for a read or write still running on the port (at most its
    /// wait) before the descriptor goes.
    void close(int p_nIndex) override;
    /// Baud rate 1200..230400 (the standard rates), data bits 5..8, stop bits
    /// 1 or 2 (0 counts as 1), parity 0 none, 1 odd, 2 even. Non-zero on
    /// success; 0 for a bad index or value, or when the line refuses them.
    int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                     int p_nParity) override;
    /// Writes all bytes, waiting for room for about a second at most. The
    /// number of bytes written; -1 for a bad index.
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override;
    /// The number of bytes read; -1 for a bad index.
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override;

    /// System calls made on the port's descriptor so far (reads, writes and
    /// polls), for the benchmarks' count per exchange; 0 for a bad index.
    unsigned long systemCalls(int p_nIndex) const;

private:
    enum { RECEIVE_BYTES = 512 };

    typedef std::chrono::steady_clock SteadyClock;

    struct Port {
        /// Callers inside read() or write(); close() waits for them, so it
        /// never hands a descriptor to another open() while it is in use.
        std::atomic<int> nUsers{0};
        std::atomic<bool> bOpen{false};
        int nFd = -1;      // non-blocking: writes, reads that do not wait
        int nWaitFd = -1;  // blocking: reads that wait, or -1 to poll nFd
        std::atomic<unsigned long> nSystemCalls{0};
        /// Bytes taken from the line and not yet read: m_aReceived[nFirst,
        /// nEnd). Used by the port's one caller at a time.
        char aReceived[RECEIVE_BYTES];
        size_t nFirst = 0;
        size_t nEnd = 0;
    };

    /// The open port at the index, counted as in use; null otherwise.
    Port* acquire(int p_nIndex);
    void release(Port& p_port);
    /// One read of what the line holds into the port's (empty) buffer: the
    /// count, 0 for nothing, -1 for a line that will bring no more.
    int fill(Port& p_port, int p_nFd);
    /// Fills the buffer with the first bytes that arrive before the deadline:
    /// the count, 0 when none came, -1 for a line that hung up.
    int waitAndFill(Port& p_port, SteadyClock::time_point p_deadline);

    Port m_ports[MAX_PORTS];
    /// open() and close() one at a time; close() waits on m_released.
    std::mutex m_mutex;
    std::condition_variable m_released;
};

#endif
