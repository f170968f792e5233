// A shell command through sy_system, alone and inside a host the size of a
// camera's main application, beside what fork and exec of the same shell
// cost in that host.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include "LargeHost.h"
#include "platform/Shell.h"

namespace {

void runCommands(benchmark::State& p_state) {
    for (auto _ : p_state) {
        benchmark::DoNotOptimize(sy_system("true", 30));
    }
}

void BM_ShellCommand(benchmark::State& p_state) {
    runCommands(p_state);
}
BENCHMARK(BM_ShellCommand)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ShellCommandLargeHost(benchmark::State& p_state) {
    LargeHost host;
    runCommands(p_state);
}
BENCHMARK(BM_ShellCommandLargeHost)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The reference: a forked child copies the host's page tables before it
// execs.
void BM_ForkedShellLargeHost(benchmark::State& p_state) {
    LargeHost host;
    for (auto _ : p_state) {
        pid_t pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", "true", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK(BM_ForkedShellLargeHost)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
