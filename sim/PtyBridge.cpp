#include "PtyBridge.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Long enough not to spin, short enough that an answer a module holds back
// for a few reads still gets out quickly, and that stop() is prompt.
const int kPollMs = 20;

struct Speed {
    speed_t nCode;
    int nBaud;
};

const Speed kSpeeds[] = {{B1200, 1200},   {B2400, 2400},     {B4800, 4800},
                         {B9600, 9600},   {B19200, 19200},   {B38400, 38400},
                         {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};

int baudOf(speed_t p_nCode) {
    for (const Speed& speed : kSpeeds) {
        if (speed.nCode == p_nCode) {
            return speed.nBaud;
        }
    }
    return 0;
}

bool makeRaw(int p_nFd, bool p_bSetSpeed) {
    termios settings;
    if (tcgetattr(p_nFd, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    if (p_bSetSpeed) {
        cfsetispeed(&settings, B9600);
        cfsetospeed(&settings, B9600);
    }
    return tcsetattr(p_nFd, TCSANOW, &settings) == 0;
}

}  // namespace

PtyBridge::PtyBridge(IUARTController& p_module) : m_module(p_module) {}

PtyBridge::~PtyBridge() {
    stop();
}

bool PtyBridge::start() {
    if (m_thread.joinable()) {
        return false;
    }
    m_nMaster = posix_openpt(O_RDWR | O_NOCTTY);
    char name[128];
    if (m_nMaster < 0 || grantpt(m_nMaster) != 0 || unlockpt(m_nMaster) != 0 ||
        ptsname_r(m_nMaster, name, sizeof(name)) != 0) {
        closeTerminal();
        return false;
    }
    m_strSlavePath = name;
    m_nSlave = ::open(name, O_RDWR | O_NOCTTY);
    // The master never blocks the thread, so stop() always joins promptly.
    int flags = m_nSlave < 0 ? -1 : fcntl(m_nMaster, F_GETFL);
    if (flags < 0 || fcntl(m_nMaster, F_SETFL, flags | O_NONBLOCK) != 0 ||
        !makeRaw(m_nSlave, true) || !makeRaw(m_nMaster, false)) {
        closeTerminal();
        return false;
    }
    m_nModuleIndex = m_module.open(m_strSlavePath);
    if (m_nModuleIndex < 0) {
        closeTerminal();
        return false;
    }
    m_lineSettings.clear();
    m_bStop = false;
    m_thread = std::thread(&PtyBridge::run, this);
    return true;
}

void PtyBridge::stop() {
    if (m_thread.joinable()) {
        m_bStop = true;
        m_thread.join();
        m_module.close(m_nModuleIndex);
        m_nModuleIndex = -1;
    }
    closeTerminal();
}

void PtyBridge::closeTerminal() {
    if (m_nSlave >= 0) {
        ::close(m_nSlave);
        m_nSlave = -1;
    }
    if (m_nMaster >= 0) {
        ::close(m_nMaster);
        m_nMaster = -1;
    }
    m_strSlavePath.clear();
}

void PtyBridge::run() {
    char buffer[256];
    while (!m_bStop) {
        pollfd wanted = {m_nMaster, POLLIN, 0};
        int ready = poll(&wanted, 1, kPollMs);
        if (ready > 0 && (wanted.revents & POLLIN) != 0) {
            ssize_t count = ::read(m_nMaster, buffer, sizeof(buffer));
            if (count > 0) {
                passLineSettings();
                m_module.write(m_nModuleIndex, buffer, static_cast<int>(count));
            }
        } else if (ready > 0) {
            // A hang-up or an error does not clear by itself: wait instead
            // of spinning on it.
            poll(nullptr, 0, kPollMs);
        }
        // Also after a quiet poll: a module may release an answer late.
        for (int count; (count = m_module.read(m_nModuleIndex, buffer, sizeof(buffer), 0)) > 0;) {
            writeToMaster(buffer, static_cast<size_t>(count));
        }
    }
}

// The client may have changed the line since the last bytes; the module sees
// the change before the bytes sent with it.
void PtyBridge::passLineSettings() {
    termios settings;
    if (tcgetattr(m_nSlave, &settings) != 0) {
        return;
    }
    int dataBits = 8;
    switch (settings.c_cflag & CSIZE) {
        case CS5:
            dataBits = 5;
            break;
        case CS6:
            dataBits = 6;
            break;
        case CS7:
            dataBits = 7;
            break;
        default:
            break;
    }
    int stopBits = (settings.c_cflag & CSTOPB) != 0 ? 2 : 1;
    // The kernel's pseudo-terminal forces 8 data bits and clears PARENB
    // whatever the client sets, but keeps PARODD: odd parity is the one
    // parity a pseudo-terminal still shows (even parity reads as none).
    int parity = (settings.c_cflag & PARODD) != 0 ? 1 : (settings.c_cflag & PARENB) != 0 ? 2 : 0;
    std::vector<int> line = {baudOf(cfgetospeed(&settings)), dataBits, stopBits, parity};
    if (line != m_lineSettings) {
        m_lineSettings = line;
        m_module.setParameter(m_nModuleIndex, line[0], line[1], line[2], line[3]);
    }
}

// Like a real line, the answer is lost when nobody takes it: a client that
// stops reading must not stall the forwarding.
void PtyBridge::writeToMaster(const char* p_pBytes, size_t p_nLength) {
    while (p_nLength > 0) {
        ssize_t written = ::write(m_nMaster, p_pBytes, p_nLength);
        if (written > 0) {
            p_pBytes += written;
            p_nLength -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        pollfd room = {m_nMaster, POLLOUT, 0};
        if (written == 0 || errno != EAGAIN || poll(&room, 1, kPollMs) <= 0) {
            return;
        }
    }
}
