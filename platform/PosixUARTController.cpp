#include "PosixUARTController.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "PlatformRoot.h"

namespace {

typedef std::chrono::steady_clock SteadyClock;

// How long write() waits for the line to take more bytes.
const int kWriteLimitMs = 1000;

struct BaudRate {
    int nRate;
    speed_t nCode;
};

const BaudRate kBaudRates[] = {
    {1200, B1200},   {1800, B1800},   {2400, B2400},   {4800, B4800},     {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

const tcflag_t kDataBits[] = {CS5, CS6, CS7, CS8};

bool baudCode(int p_nRate, speed_t& p_nCode) {
    for (const BaudRate& rate : kBaudRates) {
        if (rate.nRate == p_nRate) {
            p_nCode = rate.nCode;
            return true;
        }
    }
    return false;
}

// Milliseconds left until the deadline, rounded up so poll never wakes early.
int msUntil(SteadyClock::time_point p_deadline) {
    SteadyClock::duration left = p_deadline - SteadyClock::now();
    if (left <= SteadyClock::duration::zero()) {
        return 0;
    }
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(ms);
}

// Waits until the descriptor is ready for the events or the deadline passes.
// False on time-out, and on a hang-up or error with nothing to read.
bool waitFor(int p_nFd, short p_nEvents, SteadyClock::time_point p_deadline) {
    for (;;) {
        int left = msUntil(p_deadline);
        if (left <= 0) {
            return false;
        }
        struct pollfd entry = {p_nFd, p_nEvents, 0};
        int ready = poll(&entry, 1, left);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && (entry.revents & p_nEvents) != 0;
    }
}

}  // namespace

PosixUARTController::PosixUARTController() = default;

PosixUARTController::~PosixUARTController() {
    for (int index = 0; index < MAX_PORTS; ++index) {
        close(index);
    }
}

PosixUARTController::Port* PosixUARTController::acquire(int p_nIndex) {
    if (p_nIndex < 0 || p_nIndex >= MAX_PORTS) {
        return nullptr;
    }
    Port& port = m_ports[p_nIndex];
    port.nUsers.fetch_add(1);
    if (!port.bOpen.load()) {
        release(port);
        return nullptr;
    }
    return &port;
}

void PosixUARTController::release(Port& p_port) {
    if (p_port.nUsers.fetch_sub(1) == 1 && !p_port.bOpen.load()) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_released.notify_all();
    }
}

int PosixUARTController::open(const std::string& p_strDevice) {
    if (p_strDevice.empty()) {
        return -1;
    }
    std::string path = PlatformRoot::map(p_strDevice);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct termios settings;
    if (tcgetattr(fd, &settings) != 0) {
        ::close(fd);
        return -1;
    }
    // Raw bytes both ways: the modules' frames carry any byte value, and
    // nothing on these lines speaks XON/XOFF or RTS/CTS.
    cfmakeraw(&settings);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    settings.c_cflag &= ~CRTSCTS;
    settings.c_cflag |= CLOCAL | CREAD;
    // A blocking read returns with the first bytes or after one wait step.
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = WAIT_STEP_MS / 100;
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        ::close(fd);
        return -1;
    }
    // Whatever the line caught before we owned it answers nothing of ours.
    tcflush(fd, TCIOFLUSH);
    // The descriptor waiting reads block on; without it (a device that
    // allows one open only) they wait in poll.
    int waitFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);

    std::lock_guard<std::mutex> guard(m_mutex);
    for (int index = 0; index < MAX_PORTS; ++index) {
        Port& port = m_ports[index];
        if (!port.bOpen.load() && port.nUsers.load() == 0) {
            port.nFd = fd;
            port.nWaitFd = waitFd;
            port.nFirst = 0;
            port.nEnd = 0;
            port.nSystemCalls.store(0);
            port.bOpen.store(true);
            return index;
        }
    }
    ::close(fd);
    if (waitFd >= 0) {
        ::close(waitFd);
    }
    return -1;
}

void PosixUARTController::close(int p_nIndex) {
    if (p_nIndex < 0 || p_nIndex >= MAX_PORTS) {
        return;
    }
    Port& port = m_ports[p_nIndex];
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!port.bOpen.exchange(false)) {
        return;
    }
    m_released.wait(lock, [&port] { return port.nUsers.load() == 0; });
    ::close(port.nFd);
    port.nFd = -1;
    if (port.nWaitFd >= 0) {
        ::close(port.nWaitFd);
        port.nWaitFd = -1;
    }
}

unsigned long PosixUARTController::systemCalls(int p_nIndex) const {
    if (p_nIndex < 0 || p_nIndex >= MAX_PORTS) {
        return 0;
    }
    return m_ports[p_nIndex].nSystemCalls.load(std::memory_order_relaxed);
}

int PosixUARTController::setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits,
                                      int p_nStopBits, int p_nParity) {
    Port* port = acquire(p_nIndex);
    if (port == nullptr) {
        return 0;
    }
    int result = 0;
    speed_t speed = B0;
    struct termios settings;
    if (baudCode(p_nBaudRate, speed) && p_nDataBits >= 5 && p_nDataBits <= 8 && p_nStopBits >= 0 &&
        p_nStopBits <= 2 && p_nParity >= 0 && p_nParity <= 2 &&
        tcgetattr(port->nFd, &settings) == 0) {
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
        settings.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD);
        settings.c_cflag |= kDataBits[p_nDataBits - 5];
        if (p_nStopBits == 2) {
            settings.c_cflag |= CSTOPB;
        }
        if (p_nParity != 0) {
            settings.c_cflag |= PARENB;
        }
        if (p_nParity == 1) {
            settings.c_cflag |= PARODD;
        }
        // Bytes with a parity error are passed on as they came: the
        // protocols check their frames and retry, which serves better than a
        // byte silently dropped or zeroed.
        // TCSADRAIN: a request still going out leaves at the rate it was
        // meant for (the baud negotiation reconfigures the port right after
        // its request).
        result = tcsetattr(port->nFd, TCSADRAIN, &settings) == 0 ? 1 : 0;
    }
    release(*port);
    return result;
}

int PosixUARTController::write(int p_nIndex, const char* p_pBytes, int p_nLength) {
    if (p_pBytes == nullptr && p_nLength > 0) {
        return -1;
    }
    Port* port = acquire(p_nIndex);
    if (port == nullptr) {
        return -1;
    }
    bool haveDeadline = false;
    SteadyClock::time_point deadline;
    int total = 0;
    while (total < p_nLength) {
        port->nSystemCalls.fetch_add(1, std::memory_order_relaxed);
        ssize_t written = ::write(port->nFd, p_pBytes + total, p_nLength - total);
        if (written > 0) {
            total += static_cast<int>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            break;
        }
        // The line is full: the clock is read only now.
        if (!haveDeadline) {
            deadline = SteadyClock::now() + std::chrono::milliseconds(kWriteLimitMs);
            haveDeadline = true;
        }
        port->nSystemCalls.fetch_add(1, std::memory_order_relaxed);
        if (!waitFor(port->nFd, POLLOUT, deadline)) {
            break;
        }
    }
    release(*port);
    return total;
}

int PosixUARTController::fill(Port& p_port, int p_nFd) {
    for (;;) {
        p_port.nSystemCalls.fetch_add(1, std::memory_order_relaxed);
        ssize_t got = ::read(p_nFd, p_port.aReceived, sizeof(p_port.aReceived));
        if (got > 0) {
            p_port.nFirst = 0;
            p_port.nEnd = static_cast<size_t>(got);
            return static_cast<int>(got);
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // 0 or EAGAIN: nothing there yet. Anything else (a line that hung
        // up) will not bring more bytes.
        return got < 0 && errno != EAGAIN && errno != EWOULDBLOCK ? -1 : 0;
    }
}

int PosixUARTController::waitAndFill(Port& p_port, SteadyClock::time_point p_deadline) {
    for (;;) {
        SteadyClock::time_point now = SteadyClock::now();
        if (now >= p_deadline) {
            return 0;
        }
        if (p_port.nWaitFd >= 0 && p_deadline - now >= std::chrono::milliseconds(WAIT_STEP_MS)) {
            // Back with the first bytes, or empty after one step; back empty
            // much sooner means the line hung up.
            int got = fill(p_port, p_port.nWaitFd);
            if (got != 0) {
                return got;
            }
            if (SteadyClock::now() - now < std::chrono::milliseconds(WAIT_STEP_MS / 2)) {
                return -1;
            }
            continue;
        }
        // Less than a step left (or no descriptor to block on): poll for
        // just that long.
        p_port.nSystemCalls.fetch_add(1, std::memory_order_relaxed);
        if (!waitFor(p_port.nFd, POLLIN, p_deadline)) {
            return 0;
        }
        int got = fill(p_port, p_port.nFd);
        if (got != 0) {
            return got;
        }
    }
}

int PosixUARTController::read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) {
    if (p_pBuffer == nullptr && p_nMaxLength > 0) {
        return -1;
    }
    Port* port = acquire(p_nIndex);
    if (port == nullptr) {
        return -1;
    }
    const size_t wanted = p_nMaxLength > 0 ? static_cast<size_t>(p_nMaxLength) : 0;
    size_t total = 0;
    bool haveDeadline = false;
    SteadyClock::time_point deadline;
    while (total < wanted) {
        if (port->nFirst < port->nEnd) {
            size_t count = std::min(port->nEnd - port->nFirst, wanted - total);
            std::memcpy(p_pBuffer + total, port->aReceived + port->nFirst, count);
            port->nFirst += count;
            total += count;
            continue;
        }
        int got = 0;
        if (p_nWait <= 0) {
            got = fill(*port, port->nFd);
            if (got <= 0) {
                break;
            }
            continue;
        }
        if (!haveDeadline) {
            deadline = SteadyClock::now() + std::chrono::milliseconds(p_nWait * WAIT_STEP_MS);
            haveDeadline = true;
        }
        if (waitAndFill(*port, deadline) <= 0) {
            break;
        }
    }
    release(*port);
    return static_cast<int>(total);
}
