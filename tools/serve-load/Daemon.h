#ifndef SERVELOAD_DAEMON_H
#define SERVELOAD_DAEMON_H

#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the kernel says of a process: its threads, its resident memory and
// the processor time it used so far.
struct ProcessSample {
    bool bOk = false;
    int nThreads = 0;
    long nRssKiB = 0;
    long long nCpuTicks = 0;  // utime + stime, in clock ticks

    static ProcessSample of(pid_t p_nPid);
};

// sensord as a child process on a root of its own: provisioned with users
// through its own command, started on a free port (read from the line it
// prints once listening), stopped the way the board stops it.
class Daemon {
public:
    Daemon(std::string p_strBinary, std::string p_strRoot, std::string p_strModule,
           std::vector<std::string> p_extraOptions);
    ~Daemon();
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    // sensord --root R user add NAME --level LEVEL --password-stdin.
    bool addUser(const std::string& p_strName, const std::string& p_strLevel,
                 const std::string& p_strPassword, std::string& p_strError);
    // Starts it and waits for the line with its port.
    bool start(std::string& p_strError);
    bool running() const { return m_nPid > 0; }
    pid_t pid() const { return m_nPid; }
    int port() const { return m_nPort; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_nPort); }

    struct Stop {
        bool bInTime = false;  // exited within the grace time
        bool bExited = false;  // exited at all (not killed)
        int nExitCode = -1;    // -1 when it did not exit normally
        int nSignal = 0;       // the signal that ended it, if one did
        double dSeconds = 0;   // from SIGTERM to its end
        std::string describe() const;
    };
    // SIGTERM, then waits p_dGraceSeconds; one still running gets a while
    // more to show how late it is, then SIGKILL.
    Stop stop(double p_dGraceSeconds);
    ProcessSample sample() const { return ProcessSample::of(m_nPid); }
    // The last lines it wrote on stderr.
    std::string logTail(size_t p_nLines = 12) const;

private:
    void readErrors(int p_nFd);

    std::string m_strBinary;
    std::string m_strRoot;
    std::string m_strModule;
    std::vector<std::string> m_extraOptions;
    pid_t m_nPid = -1;
    int m_nPort = 0;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_log;
    bool m_bStderrClosed = false;
};

// Runs p_args with p_strInput on its standard input; its exit code, or -1.
// p_strOutput gets what it wrote on stdout and stderr.
int runCommand(const std::vector<std::string>& p_args, const std::string& p_strInput,
               std::string& p_strOutput);

#endif
