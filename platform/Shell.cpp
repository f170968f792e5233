#include "Shell.h"

#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <mutex>

#include "PlatformRoot.h"
#include "internal/ChildWait.h"
#include "internal/FileCommand.h"

extern char** environ;

namespace {

const std::size_t kRecordLimit = 256;

std::atomic<uint64_t> g_nSpawned{0};

std::mutex& recordMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

std::deque<std::string>& records() {
    static std::deque<std::string> s_records;
    return s_records;
}

bool startsPathWord(const std::string& p_strCommand, std::string::size_type p_nPos) {
    if (p_nPos == 0) {
        return true;
    }
    char before = p_strCommand[p_nPos - 1];
    return before == ' ' || before == '\t' || before == '>' || before == '<' || before == '=';
}

// Starts "/bin/sh -c COMMAND" as vfork does: the child borrows the host's
// address space until it execs, where fork would first copy the page tables
// of a host of hundreds of megabytes. -1 when it could not be started.
pid_t spawnShell(const std::string& p_strCommand) {
    const char* argv[] = {"sh", "-c", p_strCommand.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The command's complaints join the library's console output (stdout)
    // instead of the host's error stream.
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The calling thread may be a host thread that blocks signals for a
    // signal-handling thread of its own; the command starts with none blocked.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    short flags = POSIX_SPAWN_SETSIGMASK;
#ifdef POSIX_SPAWN_USEVFORK
    // Older C libraries fork unless asked; newer ones always spawn this way.
    flags |= POSIX_SPAWN_USEVFORK;
#endif
    posix_spawnattr_setflags(&attributes, flags);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, "/bin/sh", &actions, &attributes, const_cast<char* const*>(argv),
                             environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

}  // namespace

void recordShellCommand(const std::string& p_strCommand) {
    std::lock_guard<std::mutex> guard(recordMutex());
    records().push_back(p_strCommand);
    while (records().size() > kRecordLimit) {
        records().pop_front();
    }
}

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

uint64_t ShellRecord::spawned() {
    return g_nSpawned.load();
}

int sy_system(const char* p_szCommand, int p_nTimeoutSeconds) {
    if (p_szCommand == nullptr) {
        return -1;
    }
    recordShellCommand(p_szCommand);
    pid_t pid = spawnShell(ShellRecord::mapCommand(p_szCommand));
    if (pid < 0) {
        return -1;
    }
    ++g_nSpawned;
    return waitForChild(pid, p_nTimeoutSeconds < 0 ? 0 : p_nTimeoutSeconds);
}
