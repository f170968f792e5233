// The serial path's figures: a VISCA command exchange through the real
// termios port over a pseudo-terminal, against the wire time of its bytes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "BenchBoard.h"
#include "controllers/serial/NoSensorUIController.h"
#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "controllers/serial/visca/Visca.h"
#include "platform/PosixUARTController.h"
#include "sim/PtyBridge.h"
#include "sim/SimGPIO.h"
#include "sim/visca/SimViscaCamera.h"

namespace {

// 8 data bits, no parity, 1 stop bit: 10 bits a byte on the line.
double wireSeconds(size_t p_nBytes, int p_nBaudRate) {
    return static_cast<double>(p_nBytes) * 10.0 / p_nBaudRate;
}

// The simulated camera behind a pseudo-terminal, linked into the board as
// /dev/ttyAMA1 so the real termios port opens it.
struct PtyCamera {
    explicit PtyCamera(BenchBoard& p_board) : bridge(*visca) {
        visca->setSendCompletions(false);  // the acknowledgement ends the exchange
        std::string dev = p_board.dir() + "/dev";
        bReady = std::system(("mkdir -p " + dev).c_str()) == 0 && bridge.start() &&
                 symlink(bridge.slavePath().c_str(), (dev + "/ttyAMA1").c_str()) == 0;
    }
    ~PtyCamera() { bridge.stop(); }

    SimViscaCamera* visca = new SimViscaCamera();
    SafePointer<IUARTController> holder{visca};
    PtyBridge bridge;
    bool bReady = false;
};

void BM_ViscaExchangeOverPseudoTerminal(benchmark::State& p_state) {
    BenchBoard board(false);
    std::system(("mkdir -p " + board.dir() + "/hd1/program/config && " +
                 "printf '0 1000 0 0\\n' > " + board.dir() + "/hd1/program/config/ZMAParam.txt")
                    .c_str());
    PtyCamera line(board);
    if (!line.bReady) {
        p_state.SkipWithError("no pseudo-terminal");
        return;
    }
    FCBEV7310SenseController camera;
    PosixUARTController* port = new PosixUARTController();
    camera.setOperator(SafePointer<IUARTController>(port), SafePointer<IGPIO>(new SimGPIO()));
    if (!camera.initController(85,
                               ModuleConfigure(85, "RS485=/dev/ttyAMA1;isInfrared=0;generation=1",
                                               "RS485=9600,8,0,0"))) {
        p_state.SkipWithError("the camera did not initialise");
        return;
    }
    const std::string frame = Visca::command(0x42, Visca::bytes({0, 0, 0, 0x0A}));
    double cpu = 0.0;
    const unsigned long callsBefore = port->systemCalls(0);  // the camera's port is the first
    for (auto _ : p_state) {
        double before = threadCpuSeconds();
        if (!camera.setParameterValue(frame.data(), static_cast<int>(frame.size()))) {
            p_state.SkipWithError("exchange failed");
            break;
        }
        cpu += threadCpuSeconds() - before;
    }
    double wire = wireSeconds(frame.size() + 3, 9600);
    p_state.counters["wire_ms_at_9600"] = wire * 1000.0;
    p_state.counters["cpu_us_per_exchange"] =
        benchmark::Counter(cpu * 1e6 / static_cast<double>(p_state.iterations()));
    p_state.counters["syscalls_per_exchange"] =
        static_cast<double>(port->systemCalls(0) - callsBefore) /
        static_cast<double>(p_state.iterations());
}
BENCHMARK(BM_ViscaExchangeOverPseudoTerminal)->Unit(benchmark::kMicrosecond)->UseRealTime();

// CPU spent in 10 s of real time by a no-sensor camera, whose "getDN" thread
// asks the module for its IR-cut state once a second, and whose day/night
// thread wakes once a second. The module is the simulator on the port seam,
// so the figure is the library's own; the real port's cost of an exchange is
// the figure above.
void BM_NoSensorPollingIdleCpuOver10s(benchmark::State& p_state) {
    BenchBoard board(false);
    SimViscaCamera* visca = new SimViscaCamera();
    visca->setSendCompletions(false);
    NoSensorUIController camera(90);
    camera.setOperator(SafePointer<IUARTController>(visca), SafePointer<IGPIO>(new SimGPIO()));
    if (!camera.init(1, ModuleConfigure(90, "RS485=/dev/ttyAMA1", "RS485=9600,8,0,0"),
                     VideoResolution(1920, 1080))) {
        p_state.SkipWithError("the camera did not initialise");
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));  // past init's own work
    for (auto _ : p_state) {
        size_t polls = visca->received().size();
        double before = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        p_state.counters["cpu_ms_per_10s"] = (processCpuSeconds() - before) * 1000.0;
        p_state.counters["polls"] = static_cast<double>(visca->received().size() - polls);
    }
}
BENCHMARK(BM_NoSensorPollingIdleCpuOver10s)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
