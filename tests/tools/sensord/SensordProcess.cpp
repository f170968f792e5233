#include "SensordProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> command(const std::string& p_strRoot,
                                 const std::vector<std::string>& p_args) {
    std::vector<std::string> words;
    std::istringstream emulator(SENSORD_EMULATOR);
    for (std::string word; emulator >> word;) {
        words.push_back(word);
    }
    words.push_back(SENSORD_PATH);
    words.push_back("--root");
    words.push_back(p_strRoot);
    words.insert(words.end(), p_args.begin(), p_args.end());
    return words;
}

pid_t spawn(const std::vector<std::string>& p_words, int p_nIn, int p_nOut, int p_nErr) {
    std::vector<char*> argv;
    for (const std::string& word : p_words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (p_nIn >= 0) {
        posix_spawn_file_actions_adddup2(&actions, p_nIn, 0);
    }
    if (p_nOut >= 0) {
        posix_spawn_file_actions_adddup2(&actions, p_nOut, 1);
    }
    if (p_nErr >= 0) {
        posix_spawn_file_actions_adddup2(&actions, p_nErr, 2);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int statusOf(int p_nStatus) {
    return WIFEXITED(p_nStatus) ? WEXITSTATUS(p_nStatus) : 128 + WTERMSIG(p_nStatus);
}

}  // namespace

SensordProcess::SensordProcess(const std::string& p_strRoot, const std::string& p_strModule,
                               std::vector<std::string> p_extra) {
    std::vector<std::string> args = {"--module", p_strModule, "--listen", "127.0.0.1:0"};
    args.insert(args.end(), p_extra.begin(), p_extra.end());
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return;
    }
    m_nPid = spawn(command(p_strRoot, args), -1, -1, pipeFds[1]);
    close(pipeFds[1]);
    m_nErrors = pipeFds[0];
}

SensordProcess::~SensordProcess() {
    if (m_nPid > 0 && m_nStatus < 0) {
        kill(m_nPid, SIGKILL);
        wait(60);
    }
    if (m_nErrors >= 0) {
        close(m_nErrors);
    }
}

bool SensordProcess::started() {
    static const std::string kServing = "://127.0.0.1:";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (m_nPort == 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd wait{m_nErrors, POLLIN, 0};
        if (poll(&wait, 1, 200) <= 0) {
            continue;
        }
        char buffer[512];
        ssize_t count = read(m_nErrors, buffer, sizeof(buffer));
        if (count <= 0) {
            return false;
        }
        m_strErrors.append(buffer, static_cast<size_t>(count));
        std::string::size_type at = m_strErrors.find("serving on http");
        at = at == std::string::npos ? at : m_strErrors.find(kServing, at);
        if (at != std::string::npos) {
            m_nPort = std::atoi(m_strErrors.c_str() + at + kServing.size());
        }
    }
    return m_nPort != 0;
}

void SensordProcess::signal(int p_nSignal) {
    if (m_nPid > 0) {
        kill(m_nPid, p_nSignal);
    }
}

int SensordProcess::wait(int p_nSeconds) {
    if (m_nStatus >= 0 || m_nPid <= 0) {
        return m_nStatus;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(p_nSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_nPid, &status, WNOHANG) == m_nPid) {
            m_nStatus = statusOf(status);
            return m_nStatus;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

int SensordProcess::run(const std::string& p_strRoot, const std::vector<std::string>& p_args,
                        const std::string& p_strInput, std::string* p_pOutput) {
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) {
        return -1;
    }
    pid_t pid = spawn(command(p_strRoot, p_args), input[0], output[1], output[1]);
    close(input[0]);
    close(output[1]);
    if (write(input[1], p_strInput.data(), p_strInput.size()) < 0) {
        // The command may not read its input at all.
    }
    close(input[1]);
    std::string text;
    char buffer[512];
    for (ssize_t count; (count = read(output[0], buffer, sizeof(buffer))) > 0;) {
        text.append(buffer, static_cast<size_t>(count));
    }
    close(output[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (p_pOutput != nullptr) {
        *p_pOutput = text;
    }
    return pid > 0 ? statusOf(status) : -1;
}
