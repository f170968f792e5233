#include "PosixUARTController.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

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

struct PosixUARTController::Port {
    explicit Port(int p_nFd) : nFd(p_nFd) {}
    ~Port() { ::close(nFd); }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    int nFd;
};

PosixUARTController::PosixUARTController() = default;

PosixUARTController::~PosixUARTController() = default;

int PosixUARTController::open(const std::string& p_strDevice) {
    if (p_strDevice.empty()) {
        return -1;
    }
    std::string path = PlatformRoot::map(p_strDevice);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    auto port = std::make_shared<Port>(fd);
    struct termios settings;
    if (tcgetattr(fd, &settings) != 0) {
        return -1;
    }
    // Raw bytes both ways: the modules' frames carry any byte value, and
    // nothing on these lines speaks XON/XOFF or RTS/CTS.
    cfmakeraw(&settings);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    settings.c_cflag &= ~CRTSCTS;
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        return -1;
    }
    // Whatever the line caught before we owned it answers nothing of ours.
    tcflush(fd, TCIOFLUSH);

    std::lock_guard<std::mutex> guard(m_mutex);
    for (size_t index = 0; index < m_ports.size(); ++index) {
        if (!m_ports[index]) {
            m_ports[index] = port;
            return static_cast<int>(index);
        }
    }
    m_ports.push_back(port);
    return static_cast<int>(m_ports.size() - 1);
}

void PosixUARTController::close(int p_nIndex) {
    std::shared_ptr<Port> port;
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_nIndex >= 0 && static_cast<size_t>(p_nIndex) < m_ports.size()) {
        port.swap(m_ports[p_nIndex]);
    }
    // The descriptor closes with the last user of the port.
}

int PosixUARTController::setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits,
                                      int p_nStopBits, int p_nParity) {
    std::shared_ptr<Port> port = portAt(p_nIndex);
    speed_t speed = B0;
    if (!port || !baudCode(p_nBaudRate, speed) || p_nDataBits < 5 || p_nDataBits > 8 ||
        p_nStopBits < 0 || p_nStopBits > 2 || p_nParity < 0 || p_nParity > 2) {
        return 0;
    }
    struct termios settings;
    if (tcgetattr(port->nFd, &settings) != 0) {
        return 0;
    }
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
    // Bytes with a parity error are passed on as they came: the protocols
    // check their frames and retry, which serves better than a byte
    // silently dropped or zeroed.
    // TCSADRAIN: a request still going out leaves at the rate it was meant for
    // (the baud negotiation reconfigures the port right after its request).
    return tcsetattr(port->nFd, TCSADRAIN, &settings) == 0 ? 1 : 0;
}

int PosixUARTController::write(int p_nIndex, const char* p_pBytes, int p_nLength) {
    std::shared_ptr<Port> port = portAt(p_nIndex);
    if (!port || (p_pBytes == nullptr && p_nLength > 0)) {
        return -1;
    }
    SteadyClock::time_point deadline =
        SteadyClock::now() + std::chrono::milliseconds(kWriteLimitMs);
    int total = 0;
    while (total < p_nLength) {
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
        if (!waitFor(port->nFd, POLLOUT, deadline)) {
            break;
        }
    }
    return total;
}

int PosixUARTController::read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) {
    std::shared_ptr<Port> port = portAt(p_nIndex);
    if (!port || (p_pBuffer == nullptr && p_nMaxLength > 0)) {
        return -1;
    }
    SteadyClock::time_point deadline =
        SteadyClock::now() + std::chrono::milliseconds(p_nWait > 0 ? p_nWait * WAIT_STEP_MS : 0);
    int total = 0;
    while (total < p_nMaxLength) {
        ssize_t got = ::read(port->nFd, p_pBuffer + total, p_nMaxLength - total);
        if (got > 0) {
            total += static_cast<int>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // 0 or EAGAIN: nothing there yet. Anything else (a line that hung up)
        // will not bring more bytes.
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            break;
        }
        if (!waitFor(port->nFd, POLLIN, deadline)) {
            break;
        }
    }
    return total;
}

std::shared_ptr<PosixUARTController::Port> PosixUARTController::portAt(int p_nIndex) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_nIndex < 0 || static_cast<size_t>(p_nIndex) >= m_ports.size()) {
        return nullptr;
    }
    return m_ports[p_nIndex];
}
