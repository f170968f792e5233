#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/PosixUARTController.h"
#include "support/ScratchRoot.h"

namespace {

typedef std::chrono::steady_clock SteadyClock;

// A pseudo-terminal standing in for a serial device: the controller opens
// the slave through a link in the scratch root, the test plays the module on
// the master.
class Line {
public:
    Line(const ScratchRoot& p_root, const std::string& p_strDevice) {
        char name[128];
        // The slave starts cooked (echo, CR/LF mapping, XON/XOFF): making it
        // raw is the controller's job.
        EXPECT_EQ(0, openpty(&m_nMaster, &m_nSlave, name, nullptr, nullptr));
        p_root.makeDir("/dev");
        EXPECT_EQ(0, symlink(name, p_root.path(p_strDevice).c_str()));
    }
    ~Line() {
        ::close(m_nMaster);
        ::close(m_nSlave);
    }

    void send(const std::string& p_strBytes) {
        ASSERT_EQ(static_cast<ssize_t>(p_strBytes.size()),
                  ::write(m_nMaster, p_strBytes.data(), p_strBytes.size()));
    }
    // What reached the module, waiting up to p_nMs for each chunk.
    std::string received(size_t p_nExpected, int p_nMs = 500) {
        std::string bytes;
        char buffer[512];
        struct pollfd entry = {m_nMaster, POLLIN, 0};
        while (bytes.size() < p_nExpected && poll(&entry, 1, p_nMs) > 0) {
            ssize_t got = ::read(m_nMaster, buffer, sizeof(buffer));
            if (got <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<size_t>(got));
        }
        return bytes;
    }
    struct termios settings() {
        struct termios current;
        tcgetattr(m_nSlave, &current);
        return current;
    }

private:
    int m_nMaster = -1;
    int m_nSlave = -1;
};

std::string allByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

long msSince(SteadyClock::time_point p_start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - p_start)
            .count());
}

}  // namespace

TEST(PosixUARTController, PortsAreIndexedAndIndexesComeBackAfterClose) {
    ScratchRoot root;
    Line first(root, "/dev/ttyAMA1");
    Line second(root, "/dev/ttyAMA2");
    root.writeFile("/dev/notatty", "plain file");
    PosixUARTController uart;

    EXPECT_EQ(0, uart.open("/dev/ttyAMA1"));
    EXPECT_EQ(1, uart.open("/dev/ttyAMA1"));
    EXPECT_EQ(2, uart.open("/dev/ttyAMA2"));
    EXPECT_LT(uart.open("/dev/ttyAMA9"), 0);
    EXPECT_LT(uart.open("/dev/notatty"), 0);
    EXPECT_LT(uart.open(""), 0);

    EXPECT_EQ(3, uart.write(2, "two", 3));
    EXPECT_EQ(4, uart.write(0, "zero", 4));
    EXPECT_EQ("two", second.received(3));
    EXPECT_EQ("zero", first.received(4));

    uart.close(1);
    char buffer[8];
    EXPECT_EQ(-1, uart.write(1, "x", 1));
    EXPECT_EQ(-1, uart.read(1, buffer, sizeof(buffer), 0));
    EXPECT_EQ(0, uart.setParameter(1, 9600, 8, 1, 0));
    EXPECT_EQ(1, uart.open("/dev/ttyAMA2"));
    EXPECT_EQ(3, uart.open("/dev/ttyAMA2"));

    EXPECT_EQ(-1, uart.write(-1, "x", 1));
    EXPECT_EQ(-1, uart.read(4, buffer, sizeof(buffer), 0));
    EXPECT_EQ(0, uart.setParameter(-1, 9600, 8, 1, 0));
    uart.close(-1);
    uart.close(99);
    EXPECT_EQ(2, uart.write(0, "ok", 2));
    EXPECT_EQ("ok", first.received(2));
}

TEST(PosixUARTController, EveryByteValuePassesUntouchedBothWays) {
    ScratchRoot root;
    Line line(root, "/dev/ttyAMA1");
    PosixUARTController uart;
    int port = uart.open("/dev/ttyAMA1");
    ASSERT_GE(port, 0);
    // No flow control a module would have to answer, and no modem lines to wait for.
    struct termios settings = line.settings();
    EXPECT_EQ(0u, settings.c_iflag & (IXON | IXOFF));
    EXPECT_EQ(0u, settings.c_cflag & CRTSCTS);
    EXPECT_EQ(static_cast<tcflag_t>(CLOCAL | CREAD), settings.c_cflag & (CLOCAL | CREAD));

    // CR, LF, XON/XOFF, ^C and 0xFF frame ends must all arrive as sent.
    std::string bytes = allByteValues();
    EXPECT_EQ(256, uart.write(port, bytes.data(), 256));
    EXPECT_EQ(bytes, line.received(256));

    line.send(bytes);
    char buffer[300];
    ASSERT_EQ(256, uart.read(port, buffer, 256, 20));
    EXPECT_EQ(bytes, std::string(buffer, 256));
    EXPECT_EQ("", line.received(1, 30));  // nothing echoed back to the module
}

TEST(PosixUARTController, ReadReturnsOnceTheAskedBytesAreThere) {
    ScratchRoot root;
    Line line(root, "/dev/ttyAMA1");
    PosixUARTController uart;
    int port = uart.open("/dev/ttyAMA1");
    ASSERT_GE(port, 0);
    char buffer[16];

    line.send("\x90\x41\xFF\x90\x51\xFF\x07");
    SteadyClock::time_point start = SteadyClock::now();
    ASSERT_EQ(3, uart.read(port, buffer, 3, 20));
    EXPECT_EQ("\x90\x41\xFF", std::string(buffer, 3));
    EXPECT_EQ(1, uart.read(port, buffer, 1, 20));
    EXPECT_EQ('\x90', buffer[0]);
    EXPECT_EQ(3, uart.read(port, buffer, sizeof(buffer), 0));
    EXPECT_EQ("\x51\xFF\x07", std::string(buffer, 3));
    EXPECT_LT(msSince(start), 1000);

    // An answer that trickles in is collected until complete.
    std::thread module([&line] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        line.send("\x90\x50");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        line.send("\x01\x02\xFF");
    });
    start = SteadyClock::now();
    EXPECT_EQ(5, uart.read(port, buffer, 5, 20));
    EXPECT_LT(msSince(start), 1000);
    module.join();
    EXPECT_EQ("\x90\x50\x01\x02\xFF", std::string(buffer, 5));
}

TEST(PosixUARTController, ReadWaitsAtMostTheGivenHundredsOfMilliseconds) {
    ScratchRoot root;
    Line line(root, "/dev/ttyAMA1");
    PosixUARTController uart;
    int port = uart.open("/dev/ttyAMA1");
    ASSERT_GE(port, 0);
    char buffer[16];

    SteadyClock::time_point start = SteadyClock::now();
    EXPECT_EQ(0, uart.read(port, buffer, sizeof(buffer), 0));
    EXPECT_LT(msSince(start), 50);

    start = SteadyClock::now();
    EXPECT_EQ(0, uart.read(port, buffer, sizeof(buffer), 1));
    long silent = msSince(start);
    EXPECT_GE(silent, 95);
    EXPECT_LT(silent, 1000);

    line.send("\x90\x41");
    start = SteadyClock::now();
    EXPECT_EQ(2, uart.read(port, buffer, 3, 2));
    long partial = msSince(start);
    EXPECT_GE(partial, 190);
    EXPECT_LT(partial, 1500);
}

TEST(PosixUARTController, AWaitingReadDoesNotHoldUpAnotherPort) {
    ScratchRoot root;
    Line first(root, "/dev/ttyAMA1");
    Line second(root, "/dev/ttyAMA2");
    PosixUARTController uart;
    int slow = uart.open("/dev/ttyAMA1");
    int quick = uart.open("/dev/ttyAMA2");
    ASSERT_GE(slow, 0);
    ASSERT_GE(quick, 0);

    int slowGot = 0;
    char slowBuffer[4];
    std::thread waiter([&] { slowGot = uart.read(slow, slowBuffer, 3, 10); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

    SteadyClock::time_point start = SteadyClock::now();
    EXPECT_EQ(3, uart.write(quick, "\x81\x09\xFF", 3));
    EXPECT_EQ("\x81\x09\xFF", second.received(3));
    second.send("\x90\x41\xFF");
    char buffer[4];
    EXPECT_EQ(3, uart.read(quick, buffer, 3, 10));
    EXPECT_LT(msSince(start), 500);

    first.send("abc");
    waiter.join();
    EXPECT_EQ(3, slowGot);
    EXPECT_EQ("abc", std::string(slowBuffer, 3));
}

TEST(PosixUARTController, LineParametersAreCheckedAndApplied) {
    ScratchRoot root;
    Line line(root, "/dev/ttyAMA1");
    PosixUARTController uart;
    int port = uart.open("/dev/ttyAMA1");
    ASSERT_GE(port, 0);

    // A pseudo-terminal keeps the rate, stop bits and parity sense; it forces
    // 8 data bits and no parity, so those two are only checked for refusal.
    ASSERT_NE(0, uart.setParameter(port, 115200, 8, 2, 1));
    struct termios settings = line.settings();
    EXPECT_EQ(static_cast<speed_t>(B115200), cfgetospeed(&settings));
    EXPECT_EQ(static_cast<speed_t>(B115200), cfgetispeed(&settings));
    EXPECT_NE(0u, settings.c_cflag & CSTOPB);
    EXPECT_NE(0u, settings.c_cflag & PARODD);

    ASSERT_NE(0, uart.setParameter(port, 19200, 7, 0, 2));
    settings = line.settings();
    EXPECT_EQ(static_cast<speed_t>(B19200), cfgetospeed(&settings));
    EXPECT_EQ(0u, settings.c_cflag & CSTOPB);
    EXPECT_EQ(0u, settings.c_cflag & PARODD);

    for (int baud : {1200, 2400, 4800, 9600, 38400, 57600, 230400}) {
        EXPECT_NE(0, uart.setParameter(port, baud, 8, 1, 0)) << baud;
    }
    EXPECT_NE(0, uart.setParameter(port, 9600, 5, 1, 0));

    EXPECT_EQ(0, uart.setParameter(port, 9601, 8, 1, 0));
    EXPECT_EQ(0, uart.setParameter(port, 0, 8, 1, 0));
    EXPECT_EQ(0, uart.setParameter(port, 460800, 8, 1, 0));
    EXPECT_EQ(0, uart.setParameter(port, 19200, 4, 1, 0));
    EXPECT_EQ(0, uart.setParameter(port, 19200, 9, 1, 0));
    EXPECT_EQ(0, uart.setParameter(port, 19200, 8, 3, 0));
    EXPECT_EQ(0, uart.setParameter(port, 19200, 8, -1, 0));
    EXPECT_EQ(0, uart.setParameter(port, 19200, 8, 1, 3));
    EXPECT_EQ(0, uart.setParameter(port, 19200, 8, 1, -1));
    // A refused call leaves the line as it was.
    settings = line.settings();
    EXPECT_EQ(static_cast<speed_t>(B9600), cfgetospeed(&settings));
}

// The protocols read answers byte by byte: one burst on the line must cost
// one system call however it is read, and bytes taken ahead stay the port's
// until read or emptied.
TEST(PosixUARTController, ABurstIsOneSystemCallHoweverSmallTheReads) {
    ScratchRoot root;
    Line line(root, "/dev/ttyAMA1");
    PosixUARTController uart;
    int port = uart.open("/dev/ttyAMA1");
    ASSERT_GE(port, 0);
    char byte = 0;

    EXPECT_EQ(3, uart.write(port, "\x81\x01\xFF", 3));
    unsigned long before = uart.systemCalls(port);
    line.send("\x90\x41\xFF\x90\x51\xFF");
    std::string answer;
    for (int index = 0; index < 6; ++index) {
        ASSERT_EQ(1, uart.read(port, &byte, 1, 3));
        answer += byte;
    }
    EXPECT_EQ("\x90\x41\xFF\x90\x51\xFF", answer);
    EXPECT_EQ(1u, uart.systemCalls(port) - before);

    // Emptying the port as the controllers do (reads until one comes back
    // short) takes what the port holds ahead as well as what is on the line.
    line.send("\x90\x41\xFF\x90\x51\xFF");
    ASSERT_EQ(1, uart.read(port, &byte, 1, 3));
    char rest[20];
    EXPECT_EQ(5, uart.read(port, rest, sizeof(rest), 1));
    EXPECT_EQ(0, uart.read(port, rest, sizeof(rest), 0));

    // A port opened again at a freed index starts with nothing held.
    line.send("\x90\x41\xFF");
    ASSERT_EQ(1, uart.read(port, &byte, 1, 3));
    uart.close(port);
    ASSERT_EQ(port, uart.open("/dev/ttyAMA1"));
    EXPECT_EQ(0, uart.read(port, rest, sizeof(rest), 0));
}

TEST(PosixUARTController, ClosingAPortWaitsForTheReadStillWaitingOnIt) {
    ScratchRoot root;
    Line line(root, "/dev/ttyAMA1");
    PosixUARTController uart;
    int port = uart.open("/dev/ttyAMA1");
    ASSERT_GE(port, 0);
    int got = -2;
    std::thread reader([&] {
        char buffer[4];
        got = uart.read(port, buffer, sizeof(buffer), 2);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    SteadyClock::time_point start = SteadyClock::now();
    uart.close(port);
    long waited = msSince(start);
    reader.join();
    EXPECT_EQ(0, got);
    EXPECT_LT(waited, 1000);
    char byte = 0;
    EXPECT_EQ(-1, uart.read(port, &byte, 1, 0));
}
