#include "Shell.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

#include "PlatformRoot.h"

extern char** environ;

namespace {

const std::size_t kRecordLimit = 256;

std::mutex& recordMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

std::deque<std::string>& records() {
    static std::deque<std::string> s_records;
    return s_records;
}

void record(const std::string& p_strCommand) {
    std::lock_guard<std::mutex> guard(recordMutex());
    records().push_back(p_strCommand);
    while (records().size() > kRecordLimit) {
        records().pop_front();
    }
}

bool startsPathWord(const std::string& p_strCommand, std::string::size_type p_nPos) {
    if (p_nPos == 0) {
        return true;
    }
    char before = p_strCommand[p_nPos - 1];
    return before == ' ' || before == '\t' || before == '>' || before == '<' || before == '=';
}

// Waits for the child without spinning: short sleeps that grow to 20 ms.
int waitForChild(pid_t p_pid, int p_nTimeoutSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(p_nTimeoutSeconds);
    std::chrono::milliseconds pause(1);
    for (;;) {
        int status = 0;
        pid_t done = waitpid(p_pid, &status, p_nTimeoutSeconds > 0 ? WNOHANG : 0);
        if (done == p_pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (done == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                kill(p_pid, SIGKILL);
                waitpid(p_pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(pause);
            if (pause < std::chrono::milliseconds(20)) {
                pause *= 2;
            }
        }
    }
}

}  // namespace

std::string ShellRecord::mapCommand(const std::string& p_strCommand) {
    std::string root = PlatformRoot::get();
    if (root.empty()) {
        return p_strCommand;
    }
    std::string mapped;
    mapped.reserve(p_strCommand.size() + 4 * root.size());
    for (std::string::size_type pos = 0; pos < p_strCommand.size(); ++pos) {
        if (p_strCommand[pos] == '/' && startsPathWord(p_strCommand, pos) &&
            p_strCommand.compare(pos, 9, "/dev/null") != 0) {
            mapped += root;
        }
        mapped += p_strCommand[pos];
    }
    return mapped;
}

std::vector<std::string> ShellRecord::commands() {
    std::lock_guard<std::mutex> guard(recordMutex());
    return std::vector<std::string>(records().begin(), records().end());
}

void ShellRecord::clear() {
    std::lock_guard<std::mutex> guard(recordMutex());
    records().clear();
}

int sy_system(const char* p_szCommand, int p_nTimeoutSeconds) {
    if (p_szCommand == nullptr) {
        return -1;
    }
    record(p_szCommand);
    std::string command = ShellRecord::mapCommand(p_szCommand);
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    // The command's complaints join the library's console output (stdout)
    // instead of the host's error stream.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    int spawned =
        posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    return waitForChild(pid, p_nTimeoutSeconds < 0 ? 0 : p_nTimeoutSeconds);
}
