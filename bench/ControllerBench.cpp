// Controller base figures: single parameter writes, a whole scheme switch with
// flush, init on an empty and on a warm flash (alone, and inside a host the
// size of a camera's main application) beside what one file replacement
// costs on the same disk, one day/night thread cycle.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "BenchBoard.h"
#include "LargeHost.h"
#include "framework/ISensorController.h"
#include "platform/Clock.h"
#include "platform/OVFile.h"
#include "platform/PlatformRoot.h"
#include "platform/SensorParameterParser.h"
#include "platform/Shell.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"

namespace {

const int kParameters = 50;

// A controller whose hardware accepts everything at once: what is measured is
// the library's own work.
class BenchController : public ISensorController {
public:
    BenchController() : ISensorController(98) {
        m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, kParameters);
        m_bIsUARTModule = true;  // no GPIO pauses in the day/night sequences
        setSensorConfigVersion(1);
        setSensorConfigVersion2(1);
    }
    ~BenchController() override { stopThreads(); }
    int getMirrorValue(int& p_nMirror) override {
        p_nMirror = 0;
        return 1;
    }
    int setSensorVideoSystem(int, const VideoResolution&) override { return 1; }
    int initController(int, const ModuleConfigure&) override { return 1; }
    int getParameterFromSensor(int p_nId, int& p_nValue) override {
        if (p_nId >= 1 && p_nId <= kParameters) {
            p_nValue = p_nId;
            return 1;
        }
        return ISensorController::getParameterFromSensor(p_nId, p_nValue);
    }
    int setParameterToSensor(int p_nId, int p_nValue) override {
        int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
        return base != -1 ? base : 1;
    }
};

struct Wired {
    SafePointer<IUARTController> uart{new SimSerialPort()};
    SafePointer<IGPIO> gpio{new SimGPIO()};
    std::unique_ptr<BenchController> controller{new BenchController()};

    int boot(BenchBoard& p_board) {
        controller->setOperator(uart, gpio);
        int result = controller->init(0, ModuleConfigure(98, "", ""), VideoResolution());
        p_board.clock().settle(1);
        return result;
    }
};

void BM_SetParameterUnchanged(benchmark::State& p_state) {
    BenchController controller;
    controller.setParameter(1, 5);
    for (auto _ : p_state) {
        benchmark::DoNotOptimize(controller.setParameter(1, 5));
    }
}
BENCHMARK(BM_SetParameterUnchanged);

void BM_SetParameterNewValue(benchmark::State& p_state) {
    BenchController controller;
    int value = 0;
    for (auto _ : p_state) {
        benchmark::DoNotOptimize(controller.setParameter(1, ++value));
    }
}
BENCHMARK(BM_SetParameterNewValue);

// Switching between two schemes whose 50 values all differ, then flushing.
void BM_SchemeSwitchWithFlush(benchmark::State& p_state) {
    BenchBoard board;
    Wired wired;
    wired.boot(board);
    std::map<int, int> values;
    for (int id = 1; id <= kParameters; ++id) {
        values[id] = 100 + id;
    }
    values[500] = 0;
    values[501] = 0;
    values[502] = 0;
    values[503] = 24;
    values[504] = 0;
    SensorConfigFile other("/mnt/mtd/code/config_file/sensor1.cfg");
    other.setVersion(1);
    other.setVersion2(1);
    other.saveParametersToFile(values);
    wired.controller->setParamMode(0);
    int scheme = 1;
    for (auto _ : p_state) {
        wired.controller->switchScheme(scheme);
        benchmark::DoNotOptimize(wired.controller->flush());
        scheme = 1 - scheme;
    }
}
BENCHMARK(BM_SchemeSwitchWithFlush)->Unit(benchmark::kMicrosecond);

// Flash writes of a flush when nothing changed (must be zero).
void BM_FlushUnchanged(benchmark::State& p_state) {
    BenchBoard board;
    Wired wired;
    wired.boot(board);
    wired.controller->flush();
    uint64_t before = FileWriteCounters::written();
    for (auto _ : p_state) {
        benchmark::DoNotOptimize(wired.controller->flush());
    }
    p_state.counters["flash_writes_per_flush"] =
        benchmark::Counter(static_cast<double>(FileWriteCounters::written() - before) /
                           static_cast<double>(p_state.iterations()));
}
BENCHMARK(BM_FlushUnchanged)->Unit(benchmark::kMicrosecond);

// What each start did besides taking its time: processes started, file
// commands recorded, and file replacements that reached the disk (each syncs
// the file and its directory, which on a busy disk is most of the time).
struct StartCounts {
    uint64_t nSpawned = 0;
    uint64_t nCommands = 0;
    uint64_t nWritten = 0;

    void begin() {
        ShellRecord::clear();
        m_nSpawnedBefore = ShellRecord::spawned();
        m_nWrittenBefore = FileWriteCounters::written();
    }
    void end() {
        nSpawned += ShellRecord::spawned() - m_nSpawnedBefore;
        nCommands += ShellRecord::commands().size();
        nWritten += FileWriteCounters::written() - m_nWrittenBefore;
    }
    void report(benchmark::State& p_state) const {
        double starts = static_cast<double>(p_state.iterations());
        p_state.counters["spawned_per_start"] = static_cast<double>(nSpawned) / starts;
        p_state.counters["commands_per_start"] = static_cast<double>(nCommands) / starts;
        p_state.counters["files_written_per_start"] = static_cast<double>(nWritten) / starts;
    }

private:
    uint64_t m_nSpawnedBefore = 0;
    uint64_t m_nWrittenBefore = 0;
};

void initEmptyFlash(benchmark::State& p_state) {
    BenchBoard board;
    StartCounts counts;
    for (auto _ : p_state) {
        p_state.PauseTiming();
        board.clearFlash();
        Wired wired;
        counts.begin();
        p_state.ResumeTiming();
        benchmark::DoNotOptimize(wired.boot(board));
        p_state.PauseTiming();
        counts.end();
        wired.controller.reset();
        p_state.ResumeTiming();
    }
    counts.report(p_state);
}

void initWarmFlash(benchmark::State& p_state) {
    BenchBoard board;
    {
        Wired first;
        first.boot(board);
    }
    StartCounts counts;
    for (auto _ : p_state) {
        p_state.PauseTiming();
        Wired wired;
        counts.begin();
        p_state.ResumeTiming();
        benchmark::DoNotOptimize(wired.boot(board));
        p_state.PauseTiming();
        counts.end();
        wired.controller.reset();
        p_state.ResumeTiming();
    }
    counts.report(p_state);
}

void BM_InitEmptyFlash(benchmark::State& p_state) {
    initEmptyFlash(p_state);
}
BENCHMARK(BM_InitEmptyFlash)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_InitWarmFlash(benchmark::State& p_state) {
    initWarmFlash(p_state);
}
BENCHMARK(BM_InitWarmFlash)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_InitEmptyFlashLargeHost(benchmark::State& p_state) {
    LargeHost host;
    initEmptyFlash(p_state);
}
BENCHMARK(BM_InitEmptyFlashLargeHost)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_InitWarmFlashLargeHost(benchmark::State& p_state) {
    LargeHost host;
    initWarmFlash(p_state);
}
BENCHMARK(BM_InitWarmFlashLargeHost)->Unit(benchmark::kMillisecond)->UseRealTime();

// One parameter file replaced (written, synced, renamed, its directory
// synced), alternating two contents so that each one reaches the disk: what
// each of a start's files_written costs on this disk, in the same run.
void BM_ParameterFileReplacement(benchmark::State& p_state) {
    BenchBoard board;
    std::string path = PlatformRoot::map("/mnt/mtd/code/config_file/sensor0.cfg");
    const std::string contents[] = {std::string(400, '1'), std::string(400, '2')};
    int which = 0;
    for (auto _ : p_state) {
        benchmark::DoNotOptimize(replaceFileContent(path, contents[which]));
        which = 1 - which;
    }
}
BENCHMARK(BM_ParameterFileReplacement)->Unit(benchmark::kMillisecond)->UseRealTime();

// One cycle of the background thread's body (scheme check, hook, day/night),
// run in this thread so that its one-second pause costs nothing.
void BM_DayNightThreadCycle(benchmark::State& p_state) {
    BenchBoard board;
    BenchController controller;
    controller.setParamMode(0);
    for (auto _ : p_state) {
        benchmark::DoNotOptimize(controller.DNChangeThreadBody());
    }
}
BENCHMARK(BM_DayNightThreadCycle);

}  // namespace
