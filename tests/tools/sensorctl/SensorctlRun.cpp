#include "SensorctlRun.h"

#include <fcntl.h>
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

// SENSORCTL_EMULATOR is empty on the build machine's own architecture, or
// the emulator's words ("qemu-arm -L /").
std::vector<std::string> programWords() {
    std::vector<std::string> words;
    std::istringstream emulator(SENSORCTL_EMULATOR);
    for (std::string word; emulator >> word;) {
        words.push_back(word);
    }
    words.push_back(SENSORCTL_PATH);
    return words;
}

}  // namespace

pid_t spawnSensorctl(const std::vector<std::string>& p_arguments, const std::string& p_strOut,
                     const std::string& p_strErr) {
    std::vector<std::string> words = programWords();
    words.insert(words.end(), p_arguments.begin(), p_arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!p_strOut.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, p_strOut.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (!p_strErr.empty()) {
        posix_spawn_file_actions_addopen(&actions, 2, p_strErr.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Outcome SensorctlTest::sensorctl(const std::vector<std::string>& p_arguments, bool p_bVirtual) {
    std::vector<std::string> words = {"--root", m_root.dir() + "/" + m_strCamera};
    if (p_bVirtual) {
        words.push_back("--virtual-time");
    }
    words.insert(words.end(), p_arguments.begin(), p_arguments.end());
    std::string outPath = m_root.dir() + "/out";
    std::string errPath = m_root.dir() + "/err";
    Outcome run;
    pid_t pid = spawnSensorctl(words, outPath, errPath);
    if (pid > 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.strOut = slurp(outPath);
    run.strErr = slurp(errPath);
    return run;
}

std::string servedTerminal(const std::string& p_strOutPath) {
    std::regex announcement("simulated .* on (/dev/pts/[0-9]+) \\(");
    std::smatch match;
    // Generous: under the emulator on a loaded machine a start takes seconds.
    for (int tries = 0; tries < 6000; ++tries) {
        std::string announced = slurp(p_strOutPath);
        if (std::regex_search(announced, match, announcement)) {
            return match[1];
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::string();
}
