#include "SensorctlRun.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

extern char** environ;

std::string slurp(const std::string& p_strPath) {
    std::ifstream in(p_strPath);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

// Starts the program with its standard output (and error, when a path is
// given) going to files; 0 when it could not start.
pid_t spawn(std::vector<std::string> p_words, const std::string& p_strOut,
            const std::string& p_strErr) {
    std::vector<char*> argv;
    for (auto& word : p_words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, p_strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (!p_strErr.empty()) {
        posix_spawn_file_actions_addopen(&actions, 2, p_strErr.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

Outcome SensorctlTest::sensorctl(const std::vector<std::string>& p_arguments, bool p_bVirtual) {
    std::vector<std::string> words = {SENSORCTL_PATH, "--root", m_root.dir() + "/" + m_strCamera};
    if (p_bVirtual) {
        words.push_back("--virtual-time");
    }
    words.insert(words.end(), p_arguments.begin(), p_arguments.end());
    std::string outPath = m_root.dir() + "/out";
    std::string errPath = m_root.dir() + "/err";
    Outcome run;
    if (pid_t pid = spawn(words, outPath, errPath)) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.strOut = slurp(outPath);
    run.strErr = slurp(errPath);
    return run;
}

std::string SensorctlTest::startSimModule(const std::string& p_strKind) {
    std::string simOut = m_root.dir() + "/sim.out";
    m_nSimulator =
        spawn({SENSORCTL_PATH, "sim-module", p_strKind, "--seconds", "30"}, simOut, std::string());
    if (m_nSimulator == 0) {
        return std::string();
    }
    std::smatch match;
    std::string announced;
    std::regex path(" on (/dev/pts/[0-9]+)");
    for (int tries = 0; tries < 500 && !std::regex_search(announced, match, path); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        announced = slurp(simOut);
    }
    return std::regex_search(announced, match, path) ? match[1].str() : std::string();
}

bool SensorctlTest::stopSimModule() {
    if (m_nSimulator <= 0) {
        return false;
    }
    kill(m_nSimulator, SIGTERM);
    int status = 0;
    waitpid(m_nSimulator, &status, 0);
    m_nSimulator = 0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
