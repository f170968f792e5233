#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "SensorctlRun.h"

// A camera's setting reaches the module before it is saved; whatever ends
// the output or the process in between must not leave the two apart.

TEST_F(SensorctlTest, AReaderThatLeavesAfterOneLineEndsTheOutputNotTheSetting) {
    ASSERT_EQ(0, sensorctl({"--module", "fcbev7310", "status"}).nExit);
    const std::string fifo = m_root.dir() + "/head";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    std::string firstLine;
    // As `| head -1`: one line, then the pipe has no reader.
    std::thread head([&] {
        int fd = open(fifo.c_str(), O_RDONLY);
        char byte = 0;
        while (fd >= 0 && read(fd, &byte, 1) == 1 && byte != '\n') {
            firstLine += byte;
        }
        close(fd);
    });
    pid_t pid = spawnSensorctl({"--root", m_root.dir() + "/" + m_strCamera, "--virtual-time",
                                "--module", "fcbev7310", "--trace", "set", "10", "1"},
                               fifo, m_root.dir() + "/err");
    ASSERT_GT(pid, 0);
    head.join();
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(0u, firstLine.find("tx: ")) << firstLine;
    EXPECT_EQ("1\n", sensorctl({"--module", "fcbev7310", "get", "10"}).strOut);
}

TEST_F(SensorctlTest, ATerminationDuringASettingWaitsUntilItIsSaved) {
    // On the real clock a CMD8300 takes seconds to boot (its picture
    // switches wait a second each): long enough to be stopped in the middle.
    ASSERT_EQ(0, sensorctl({"--module", "cmd8300", "status"}).nExit);
    pid_t pid = spawnSensorctl(
        {"--root", m_root.dir() + "/" + m_strCamera, "--module", "cmd8300", "set", "gamma", "3"},
        m_root.dir() + "/out", m_root.dir() + "/err");
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ("gamma (4) = 3\n", slurp(m_root.dir() + "/out"));
    EXPECT_EQ("3\n", sensorctl({"--module", "cmd8300", "get", "gamma"}).strOut);
}
