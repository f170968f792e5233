// The live path's figures: module 60 through the manager on the simulated
// board.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "BenchBoard.h"
#include "framework/SensorControllerManager.h"
#include "platform/Clock.h"
#include "platform/PlatformRoot.h"
#include "sim/SimBoard.h"
#include "sim/SimSerialPort.h"

namespace {

// A host with module 60 initialised on the simulated board.
struct Camera {
    SimGPIO* pGpio = new SimGPIO();
    SafePointer<IGPIO> gpio{pGpio};
    SafePointer<IUARTController> uart{new SimSerialPort()};
    SimBoard board{pGpio};
    SensorControllerManager manager;
    SafePointer<ISensorController> controller;

    Camera() {
        manager.setUARTController(uart);
        manager.setGPIO(gpio);
        if (!manager.init(1, VideoResolution(1920, 1080),
                          ModuleConfigure(60, "isInfrared=0;GPIO=1,2,0", ""))) {
            std::abort();
        }
        controller = manager.getSensorController();
    }
};

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

void BM_Hi351xSetParameter(benchmark::State& p_state) {
    BenchBoard board(true);
    Camera camera;
    board.clock().settle(1);
    int value = 0;
    for (auto _ : p_state) {
        value = (value + 1) % 101;  // a new value every time: it reaches the ISP
        benchmark::DoNotOptimize(camera.controller->setParameter(1, value));
    }
}
BENCHMARK(BM_Hi351xSetParameter);

// Switching between two schemes that differ in every one of ids 1-47, with a
// flush after each switch.
void BM_Hi351xSchemeSwitchWithFlush(benchmark::State& p_state) {
    BenchBoard board(true);
    Camera camera;
    board.clock().settle(1);
    ISensorController& controller = *camera.controller;
    controller.setParamMode(0);
    controller.switchScheme(1);
    for (int id = 1; id <= 47; ++id) {
        int value = 0;
        controller.getParameter(id, value);
        controller.setParameter(id, value == 0 ? 1 : value - 1);
    }
    controller.flush();
    int scheme = 0;
    for (auto _ : p_state) {
        controller.switchScheme(scheme);
        benchmark::DoNotOptimize(controller.flush());
        scheme = 1 - scheme;
    }
}
BENCHMARK(BM_Hi351xSchemeSwitchWithFlush)->Unit(benchmark::kMicrosecond);

// CPU spent by an initialised camera left alone for 10 s of real time: its
// day/night thread wakes once a second on the real clock.
void BM_Hi351xIdleCpuOver10s(benchmark::State& p_state) {
    BenchBoard board(false);
    Camera camera;
    std::this_thread::sleep_for(std::chrono::seconds(1));  // past init's own work
    for (auto _ : p_state) {
        double before = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        p_state.counters["cpu_ms_per_10s"] = (processCpuSeconds() - before) * 1000.0;
    }
}
BENCHMARK(BM_Hi351xIdleCpuOver10s)->Iterations(1)->Unit(benchmark::kSecond);

// Memory one initialised camera adds to its host: heap in use and resident
// pages (the resident figure also holds its thread's stack pages).
void BM_Hi351xMemory(benchmark::State& p_state) {
    BenchBoard board(true);
    for (auto _ : p_state) {
        long residentBefore = residentKilobytes();
        size_t heapBefore = mallinfo2().uordblks;
        std::unique_ptr<Camera> camera(new Camera());
        board.clock().settle(1);
        p_state.counters["heap_kb"] =
            static_cast<double>(mallinfo2().uordblks - heapBefore) / 1024.0;
        p_state.counters["rss_kb"] = static_cast<double>(residentKilobytes() - residentBefore);
    }
}
BENCHMARK(BM_Hi351xMemory)->Iterations(1);

}  // namespace
