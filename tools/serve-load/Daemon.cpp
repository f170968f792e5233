#include "Daemon.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

const size_t kLogLines = 200;

std::vector<char*> argv(const std::vector<std::string>& p_args) {
    std::vector<char*> pointers;
    for (const std::string& arg : p_args) {
        pointers.push_back(const_cast<char*>(arg.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// In the child between fork and exec: only calls that are safe there.
[[noreturn]] void execChild(char* const* p_argv, int p_nStdin, int p_nStdout, int p_nStderr) {
    // A harness that dies (a time-out in CTest) takes its sensord along.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (p_nStdin >= 0) {
        dup2(p_nStdin, 0);
    }
    dup2(p_nStdout, 1);
    dup2(p_nStderr, 2);
    // The harness's own descriptors (sockets, pipes) are none of its business.
    for (int fd = 3; fd < 1024; ++fd) {
        close(fd);
    }
    execv(p_argv[0], p_argv);
    _exit(127);
}

double secondsSince(Clock::time_point p_start) {
    return std::chrono::duration<double>(Clock::now() - p_start).count();
}

}  // namespace

ProcessSample ProcessSample::of(pid_t p_nPid) {
    ProcessSample sample;
    if (p_nPid <= 0) {
        return sample;
    }
    std::ifstream status("/proc/" + std::to_string(p_nPid) + "/status");
    std::string line;
    bool threads = false;
    while (std::getline(status, line)) {
        if (line.compare(0, 8, "Threads:") == 0) {
            sample.nThreads = std::atoi(line.c_str() + 8);
            threads = true;
        } else if (line.compare(0, 6, "VmRSS:") == 0) {
            sample.nRssKiB = std::atol(line.c_str() + 6);
        }
    }
    std::ifstream stat("/proc/" + std::to_string(p_nPid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The name in parentheses may hold spaces: the fields count from after it.
    std::string::size_type close = text.rfind(')');
    if (close == std::string::npos) {
        return sample;
    }
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    // state is field 3 of the line, utime 14 and stime 15.
    for (int index = 3; index <= 15 && (fields >> field); ++index) {
        if (index == 14) {
            utime = std::atoll(field.c_str());
        } else if (index == 15) {
            stime = std::atoll(field.c_str());
        }
    }
    sample.nCpuTicks = utime + stime;
    sample.bOk = threads;
    return sample;
}

int runCommand(const std::vector<std::string>& p_args, const std::string& p_strInput,
               std::string& p_strOutput) {
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        p_strOutput = std::strerror(errno);
        return -1;
    }
    if (pipe2(output, O_CLOEXEC) != 0) {
        p_strOutput = std::strerror(errno);
        close(input[0]);
        close(input[1]);
        return -1;
    }
    std::vector<char*> args = argv(p_args);
    pid_t pid = fork();
    if (pid == 0) {
        execChild(args.data(), input[0], output[1], output[1]);
    }
    close(input[0]);
    close(output[1]);
    if (pid < 0) {
        p_strOutput = std::strerror(errno);
        close(input[1]);
        close(output[0]);
        return -1;
    }
    // A password is far below a pipe's capacity: the write cannot block.
    ssize_t written = write(input[1], p_strInput.data(), p_strInput.size());
    (void)written;
    close(input[1]);
    char buffer[4096];
    ssize_t count = 0;
    while ((count = read(output[0], buffer, sizeof(buffer))) > 0 || (count < 0 && errno == EINTR)) {
        if (count > 0) {
            p_strOutput.append(buffer, static_cast<size_t>(count));
        }
    }
    close(output[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Daemon::Daemon(std::string p_strBinary, std::string p_strRoot, std::string p_strModule,
               std::vector<std::string> p_extraOptions)
    : m_strBinary(std::move(p_strBinary)),
      m_strRoot(std::move(p_strRoot)),
      m_strModule(std::move(p_strModule)),
      m_extraOptions(std::move(p_extraOptions)) {}

Daemon::~Daemon() {
    if (m_nPid > 0) {
        stop(2.0);
    }
    if (m_reader.joinable()) {
        m_reader.join();
    }
}

bool Daemon::addUser(const std::string& p_strName, const std::string& p_strLevel,
                     const std::string& p_strPassword, std::string& p_strError) {
    std::string output;
    int code = runCommand({m_strBinary, "--root", m_strRoot, "user", "add", p_strName, "--level",
                           p_strLevel, "--password-stdin"},
                          p_strPassword + "\n", output);
    if (code != 0) {
        p_strError =
            "sensord user add " + p_strName + " exited " + std::to_string(code) + ": " + output;
        return false;
    }
    return true;
}

bool Daemon::start(std::string& p_strError) {
    if (m_reader.joinable()) {
        m_reader.join();
    }
    std::vector<std::string> args = {m_strBinary, "--root",   m_strRoot,    "--module",
                                     m_strModule, "--listen", "127.0.0.1:0"};
    args.insert(args.end(), m_extraOptions.begin(), m_extraOptions.end());
    int errors[2];
    if (pipe2(errors, O_CLOEXEC) != 0) {
        p_strError = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log.clear();
        m_bStderrClosed = false;
        m_nPort = 0;
    }
    std::vector<char*> pointers = argv(args);
    pid_t pid = fork();
    if (pid == 0) {
        execChild(pointers.data(), null, null, errors[1]);
    }
    close(errors[1]);
    close(null);
    if (pid < 0) {
        close(errors[0]);
        p_strError = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    m_nPid = pid;
    m_reader = std::thread([this, fd = errors[0]] { readErrors(fd); });
    std::unique_lock<std::mutex> lock(m_mutex);
    bool listening = m_changed.wait_for(lock, std::chrono::seconds(30),
                                        [this] { return m_nPort != 0 || m_bStderrClosed; });
    if (m_nPort == 0) {
        lock.unlock();
        p_strError = std::string(listening ? "sensord ended before listening"
                                           : "sensord did not say its port within 30 s") +
                     ": " + logTail();
        stop(2.0);
        return false;
    }
    return true;
}

void Daemon::readErrors(int p_nFd) {
    static const std::string kServing = "serving on http://";
    std::string pending;
    char buffer[4096];
    for (;;) {
        ssize_t count = read(p_nFd, buffer, sizeof(buffer));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        pending.append(buffer, static_cast<size_t>(count));
        std::string::size_type end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            std::lock_guard<std::mutex> lock(m_mutex);
            std::string::size_type at = line.find(kServing);
            if (m_nPort == 0 && at != std::string::npos) {
                std::string::size_type colon = line.find(':', at + kServing.size());
                if (colon != std::string::npos) {
                    m_nPort = std::atoi(line.c_str() + colon + 1);
                }
            }
            m_log.push_back(line);
            if (m_log.size() > kLogLines) {
                m_log.pop_front();
            }
            m_changed.notify_all();
        }
    }
    close(p_nFd);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStderrClosed = true;
    m_changed.notify_all();
}

Daemon::Stop Daemon::stop(double p_dGraceSeconds) {
    Stop result;
    if (m_nPid <= 0) {
        return result;
    }
    Clock::time_point start = Clock::now();
    kill(m_nPid, SIGTERM);
    int status = 0;
    bool ended = false;
    // Polled: waitpid has no time-out, and a late exit is worth measuring.
    while (!ended && secondsSince(start) < p_dGraceSeconds + 10) {
        pid_t done = waitpid(m_nPid, &status, WNOHANG);
        if (done == m_nPid) {
            ended = true;
            break;
        }
        usleep(5000);
    }
    result.dSeconds = secondsSince(start);
    if (!ended) {
        kill(m_nPid, SIGKILL);
        waitpid(m_nPid, &status, 0);
    }
    result.bInTime = ended && result.dSeconds <= p_dGraceSeconds;
    result.bExited = ended && WIFEXITED(status);
    result.nExitCode = result.bExited ? WEXITSTATUS(status) : -1;
    result.nSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    m_nPid = -1;
    if (m_reader.joinable()) {
        m_reader.join();
    }
    return result;
}

std::string Daemon::Stop::describe() const {
    char text[160];
    if (bExited) {
        std::snprintf(text, sizeof(text), "exit %d after %.2f s", nExitCode, dSeconds);
    } else if (nSignal != 0 && nSignal != SIGKILL) {
        std::snprintf(text, sizeof(text), "killed by signal %d after %.2f s", nSignal, dSeconds);
    } else {
        std::snprintf(text, sizeof(text), "still running after %.1f s (killed)", dSeconds);
    }
    return text;
}

std::string Daemon::logTail(size_t p_nLines) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string text;
    size_t first = m_log.size() > p_nLines ? m_log.size() - p_nLines : 0;
    for (size_t index = first; index < m_log.size(); ++index) {
        text += m_log[index] + "\n";
    }
    return text;
}
