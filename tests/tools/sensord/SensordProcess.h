#ifndef SENSORD_TEST_SENSORDPROCESS_H
#define SENSORD_TEST_SENSORDPROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

// The sensord program started as a camera starts it, on a root of the
// test's, listening on a free port of 127.0.0.1.
class SensordProcess {
public:
    SensordProcess(const std::string& p_strRoot, const std::string& p_strModule,
                   std::vector<std::string> p_extra = {});
    ~SensordProcess();
    SensordProcess(const SensordProcess&) = delete;
    SensordProcess& operator=(const SensordProcess&) = delete;

    // Waits (generously) for the line that says where it serves; false
    // when it exited or never said.
    bool started();
    int port() const { return m_nPort; }
    pid_t pid() const { return m_nPid; }
    // Everything it wrote on stderr so far.
    const std::string& errors() const { return m_strErrors; }
    void signal(int p_nSignal);
    // Its exit status (128 + N when a signal N ended it); -1 when it did not
    // end within p_nSeconds.
    int wait(int p_nSeconds);

    // Runs "sensord --root ROOT ARGS...", feeding p_strInput; the exit status.
    static int run(const std::string& p_strRoot, const std::vector<std::string>& p_args,
                   const std::string& p_strInput, std::string* p_pOutput = nullptr);

private:
    pid_t m_nPid = -1;
    int m_nErrors = -1;
    int m_nPort = 0;
    int m_nStatus = -1;
    std::string m_strErrors;
};

#endif
