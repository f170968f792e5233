#include "SensorctlRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

std::string slurp(const std::string& p_strPath) {
    std::ifstream in(p_strPath);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Outcome SensorctlTest::sensorctl(const std::vector<std::string>& p_arguments, bool p_bVirtual) {
    std::vector<std::string> words = {SENSORCTL_PATH, "--root", m_root.dir() + "/" + m_strCamera};
    if (p_bVirtual) {
        words.push_back("--virtual-time");
    }
    words.insert(words.end(), p_arguments.begin(), p_arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    std::string outPath = m_root.dir() + "/out";
    std::string errPath = m_root.dir() + "/err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    Outcome run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.strOut = slurp(outPath);
    run.strErr = slurp(errPath);
    return run;
}
