// The CMD modules' serial path: one acknowledged command through the real
// termios port over a pseudo-terminal, to set beside the VISCA exchange of
// SerialBench.cpp (run both with --benchmark_filter=ExchangeOverPseudoTerminal).
// The CMD transport takes its acknowledgement in one 3-byte read where the
// FCB-EV7310 reads its answer byte by byte.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "BenchBoard.h"
#include "controllers/serial/cmd/CMD7300SenseController.h"
#include "controllers/serial/visca/Visca.h"
#include "platform/PosixUARTController.h"
#include "sim/PtyBridge.h"
#include "sim/SimGPIO.h"
#include "sim/cmd/SimCmdCamera.h"

namespace {

// The CMD module simulator answering on a pseudo-terminal that the board
// calls /dev/ttyAMA1.
class CmdModuleOnPty {
public:
    explicit CmdModuleOnPty(const std::string& p_strBoardDir) : m_bridge(*m_pModule) {
        std::string devices = p_strBoardDir + "/dev";
        m_bReady = std::system(("mkdir -p " + devices).c_str()) == 0 && m_bridge.start() &&
                   symlink(m_bridge.slavePath().c_str(), (devices + "/ttyAMA1").c_str()) == 0;
    }
    ~CmdModuleOnPty() { m_bridge.stop(); }

    bool ready() const { return m_bReady; }

private:
    SimCmdCamera* m_pModule = new SimCmdCamera();
    SafePointer<IUARTController> m_holder{m_pModule};
    PtyBridge m_bridge;
    bool m_bReady = false;
};

void BM_CmdExchangeOverPseudoTerminal(benchmark::State& p_state) {
    BenchBoard board(false);
    CmdModuleOnPty module(board.dir());
    if (!module.ready()) {
        p_state.SkipWithError("no pseudo-terminal");
        return;
    }
    CMD7300SenseController camera;
    camera.setOperator(SafePointer<IUARTController>(new PosixUARTController()),
                       SafePointer<IGPIO>(new SimGPIO()));
    if (!camera.initController(21,
                               ModuleConfigure(21, "RS485=/dev/ttyAMA1;isInfrared=0;generation=1",
                                               "RS485=9600,8,0,0"))) {
        p_state.SkipWithError("the camera did not initialise");
        return;
    }
    // Sharpness 50 on the CMD7300: 81 01 04 42 00 00 00 07 FF, answered 90 41 FF.
    const std::string frame = Visca::command(0x42, Visca::bytes({0, 0, 0, 0x07}));
    double cpu = 0.0;
    for (auto _ : p_state) {
        double start = threadCpuSeconds();
        int acknowledged = camera.setParameterValue(frame.data(), static_cast<int>(frame.size()));
        cpu += threadCpuSeconds() - start;
        if (!acknowledged) {
            p_state.SkipWithError("exchange failed");
            break;
        }
    }
    const double bytesOnTheWire = static_cast<double>(frame.size() + 3);
    p_state.counters["wire_ms_at_9600"] = bytesOnTheWire * 10.0 / 9600 * 1000.0;
    p_state.counters["cpu_us_per_exchange"] =
        benchmark::Counter(cpu * 1e6 / static_cast<double>(p_state.iterations()));
}
BENCHMARK(BM_CmdExchangeOverPseudoTerminal)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
