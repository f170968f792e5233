// The register modules' serial figures: the library's CPU per exchange
// through the real termios port on a pseudo-terminal, beside the wire time
// of the same bytes at the module's baud rate, and the idle cost of an IT1
// camera whose own day/night thread reads the module once a second.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "BenchBoard.h"
#include "controllers/serial/register/EffioSenseController.h"
#include "controllers/serial/register/IT1SenseController.h"
#include "controllers/serial/register/ITNSenseController.h"
#include "platform/PosixUARTController.h"
#include "sim/PtyBridge.h"
#include "sim/SimGPIO.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimITNModule.h"

namespace {

const int kBaudRate = 9600;
const char* const kLine = "RS232=9600,8,0,0";
const char* const kDetail = "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0";

// 8 data bits, no parity, 1 stop bit: 10 bits a byte on the line.
double wireSeconds(size_t p_nBytes) {
    return static_cast<double>(p_nBytes) * 10.0 / kBaudRate;
}

// A simulated module behind a pseudo-terminal linked into the board as
// /dev/ttyAMA1, and a controller on the real termios port opened on it.
template <class Module, class Controller>
struct PtyModule {
    explicit PtyModule(BenchBoard& p_board) : bridge(*module) {
        std::string dev = p_board.dir() + "/dev";
        bReady = std::system(("mkdir -p " + dev).c_str()) == 0 && bridge.start() &&
                 symlink(bridge.slavePath().c_str(), (dev + "/ttyAMA1").c_str()) == 0;
        controller.setOperator(SafePointer<IUARTController>(new PosixUARTController()),
                               SafePointer<IGPIO>(new SimGPIO()));
        bReady = bReady && controller.initController(0, ModuleConfigure(0, kDetail, kLine));
    }
    ~PtyModule() {
        controller.stopThreads();
        bridge.stop();
    }

    Module* module = new Module();
    SafePointer<IUARTController> holder{module};
    PtyBridge bridge;
    Controller controller;
    bool bReady = false;
};

// CPU of the calling thread per call of p_exchange, with the wire time of
// p_nBytes at the module's rate.
template <class Exchange>
void measure(benchmark::State& p_state, size_t p_nBytes, Exchange p_exchange) {
    double cpu = 0.0;
    for (auto _ : p_state) {
        double before = threadCpuSeconds();
        if (!p_exchange()) {
            p_state.SkipWithError("exchange failed");
            break;
        }
        cpu += threadCpuSeconds() - before;
    }
    p_state.counters["wire_ms_at_9600"] = wireSeconds(p_nBytes) * 1000.0;
    p_state.counters["cpu_us_per_exchange"] =
        benchmark::Counter(cpu * 1e6 / static_cast<double>(p_state.iterations()));
}

// setMirror: read 06 52 .. (6 bytes) and its 4-byte reply, write 06 57 ..
// (6 bytes) and its 3-byte acknowledgement; the 10-ms pause after a read is
// the DSP's and costs no CPU.
void BM_EffioReadModifyWriteOverPseudoTerminal(benchmark::State& p_state) {
    BenchBoard board(false);
    PtyModule<SimEffioModule, EffioSenseController> line(board);
    if (!line.bReady) {
        p_state.SkipWithError("no pseudo-terminal or no module");
        return;
    }
    int mirror = 0;
    measure(p_state, 6 + 4 + 6 + 3, [&] { return line.controller.setMirror(mirror ^= 1); });
}
BENCHMARK(BM_EffioReadModifyWriteOverPseudoTerminal)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A one-byte register read: 8 bytes out, 6 back.
void BM_IT1RegisterReadOverPseudoTerminal(benchmark::State& p_state) {
    BenchBoard board(false);
    PtyModule<SimIT1Module, IT1SenseController> line(board);
    if (!line.bReady) {
        p_state.SkipWithError("no pseudo-terminal or no module");
        return;
    }
    line.controller.stopSwitchThread();  // the line to this benchmark alone
    int value = 0;
    measure(p_state, 8 + 6, [&] { return line.controller.getBrightness(value); });
}
BENCHMARK(BM_IT1RegisterReadOverPseudoTerminal)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A one-byte register read: 9 bytes out, 6 back.
void BM_ITNRegisterReadOverPseudoTerminal(benchmark::State& p_state) {
    BenchBoard board(false);
    PtyModule<SimITNModule, ITNSenseController> line(board);
    if (!line.bReady) {
        p_state.SkipWithError("no pseudo-terminal or no module");
        return;
    }
    line.controller.stopSwitchThread();
    int value = 0;
    measure(p_state, 9 + 6, [&] { return line.controller.getBrightness(value); });
}
BENCHMARK(BM_ITNRegisterReadOverPseudoTerminal)->Unit(benchmark::kMicrosecond)->UseRealTime();

// CPU spent in 10 s of real time by an initialised IT1 camera: its
// "DayNightSwitchThread" reads the module's judgement once a second and its
// base thread wakes once a second. The module is the simulator on the port
// seam, so the figure is the library's own.
void BM_IT1IdleCpuOver10s(benchmark::State& p_state) {
    BenchBoard board(false);
    SimIT1Module* module = new SimIT1Module();
    IT1SenseController camera;
    camera.setOperator(SafePointer<IUARTController>(module), SafePointer<IGPIO>(new SimGPIO()));
    if (!camera.init(1, ModuleConfigure(2, kDetail, kLine), VideoResolution(1920, 1080))) {
        camera.stopThreads();
        p_state.SkipWithError("the camera did not initialise");
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));  // past init's own work
    for (auto _ : p_state) {
        size_t reads = module->received().size();
        double before = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        p_state.counters["cpu_ms_per_10s"] = (processCpuSeconds() - before) * 1000.0;
        p_state.counters["module_reads"] = static_cast<double>(module->received().size() - reads);
    }
    camera.stopThreads();
}
BENCHMARK(BM_IT1IdleCpuOver10s)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
