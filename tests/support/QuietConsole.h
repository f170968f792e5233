#ifndef SENSORCONTROL_TESTS_SUPPORT_QUIETCONSOLE_H
#define SENSORCONTROL_TESTS_SUPPORT_QUIETCONSOLE_H

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

// The library talks on the console, and a host keeps that from its own
// output by sending it to /dev/null for good: a test's own output comes back
// when this goes.
class QuietConsole {
public:
    QuietConsole() : m_nSaved(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    ~QuietConsole() {
        std::fflush(stdout);
        dup2(m_nSaved, STDOUT_FILENO);
        close(m_nSaved);
    }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

private:
    int m_nSaved;
};

#endif
