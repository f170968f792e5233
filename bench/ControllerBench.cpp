// Controller base figures: single parameter writes, a whole scheme switch with
// flush, init on an empty and on a warm flash, one day/night thread cycle.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "BenchBoard.h"
#include "framework/ISensorController.h"
#include "platform/Clock.h"
#include "platform/OVFile.h"
#include "platform/PlatformRoot.h"
#include "platform/SensorParameterParser.h"
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

void BM_InitEmptyFlash(benchmark::State& p_state) {
    BenchBoard board;
    for (auto _ : p_state) {
        p_state.PauseTiming();
        board.clearFlash();
        Wired wired;
        p_state.ResumeTiming();
        benchmark::DoNotOptimize(wired.boot(board));
        p_state.PauseTiming();
        wired.controller.reset();
        p_state.ResumeTiming();
    }
}
BENCHMARK(BM_InitEmptyFlash)->Unit(benchmark::kMillisecond);

void BM_InitWarmFlash(benchmark::State& p_state) {
    BenchBoard board;
    {
        Wired first;
        first.boot(board);
    }
    for (auto _ : p_state) {
        p_state.PauseTiming();
        Wired wired;
        p_state.ResumeTiming();
        benchmark::DoNotOptimize(wired.boot(board));
        p_state.PauseTiming();
        wired.controller.reset();
        p_state.ResumeTiming();
    }
}
BENCHMARK(BM_InitWarmFlash)->Unit(benchmark::kMillisecond);

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
