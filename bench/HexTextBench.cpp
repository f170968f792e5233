// The hex-text modules' figures: an echoed write through the real termios
// port over a pseudo-terminal against the wire time of its characters, and
// the idle cost of an initialised camera whose "getDN" thread polls the
// module once a second.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "BenchBoard.h"
#include "controllers/serial/hextext/CMD7200SenseController.h"
#include "controllers/serial/hextext/HitachSenseController.h"
#include "platform/PosixUARTController.h"
#include "sim/PtyBridge.h"
#include "sim/SimGPIO.h"
#include "sim/hextext/SimHexTextModule.h"

namespace {

// 8 data bits, no parity, 1 stop bit: 10 bits a character on the line.
double wireSeconds(size_t p_nCharacters, int p_nBaudRate) {
    return static_cast<double>(p_nCharacters) * 10.0 / p_nBaudRate;
}

void BM_HexTextWriteOverPseudoTerminal(benchmark::State& p_state) {
    BenchBoard board(false);
    SimHexTextModule* module = new SimHexTextModule(SimHexTextModule::CMD7200);
    SafePointer<IUARTController> holder(module);
    PtyBridge bridge(*module);
    std::string dev = board.dir() + "/dev";
    if (std::system(("mkdir -p " + dev).c_str()) != 0 || !bridge.start() ||
        symlink(bridge.slavePath().c_str(), (dev + "/ttyAMA1").c_str()) != 0) {
        p_state.SkipWithError("no pseudo-terminal");
        return;
    }
    CMD7200SenseController camera;
    camera.setOperator(SafePointer<IUARTController>(new PosixUARTController()),
                       SafePointer<IGPIO>(new SimGPIO()));
    if (!camera.initController(
            22, ModuleConfigure(22, "RS485=/dev/ttyAMA1;isInfrared=0", "RS485=9600,8,0,0"))) {
        p_state.SkipWithError("the camera did not initialise");
        return;
    }
    // The poll stopped, so the exchanges measured are the only ones on the
    // line.
    camera.stopThreads();
    const std::string command = ":WFD9E80";
    double cpu = 0.0;
    for (auto _ : p_state) {
        double before = threadCpuSeconds();
        if (!camera.sendData(command)) {
            p_state.SkipWithError("exchange failed");
            break;
        }
        cpu += threadCpuSeconds() - before;
    }
    p_state.counters["wire_ms_at_9600"] = wireSeconds(2 * command.size(), 9600) * 1000.0;
    p_state.counters["cpu_us_per_exchange"] =
        benchmark::Counter(cpu * 1e6 / static_cast<double>(p_state.iterations()));
    bridge.stop();
}
BENCHMARK(BM_HexTextWriteOverPseudoTerminal)->Unit(benchmark::kMicrosecond)->UseRealTime();

// CPU spent in 10 s of real time by an initialised Hitachi camera: its
// "getDN" thread reads the day/night register once a second, its day/night
// thread wakes once a second and its camera-mode thread once a minute. The
// module is the simulator on the port seam, so the figure is the library's
// own.
void BM_HexTextIdleCpuOver10s(benchmark::State& p_state) {
    BenchBoard board(false);
    SimHexTextModule* module = new SimHexTextModule(SimHexTextModule::HITACH);
    HitachSenseController camera;
    camera.setOperator(SafePointer<IUARTController>(module), SafePointer<IGPIO>(new SimGPIO()));
    if (!camera.init(1, ModuleConfigure(7, "RS485=/dev/ttyAMA1;isInfrared=0", "RS485=9600,8,0,0"),
                     VideoResolution(1280, 720))) {
        camera.stopThreads();
        p_state.SkipWithError("the camera did not initialise");
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));  // past init and the first scheme
    for (auto _ : p_state) {
        module->clearReceived();
        double before = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        p_state.counters["cpu_ms_per_10s"] = (processCpuSeconds() - before) * 1000.0;
        p_state.counters["polls"] = static_cast<double>(module->received().size());
    }
    camera.stopThreads();
}
BENCHMARK(BM_HexTextIdleCpuOver10s)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
