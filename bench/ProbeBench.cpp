// The line probe's figures on the real clock: the time to identify each
// protocol family served on a pseudo-terminal at 9600 8N1 (its first line
// setting), and the whole probe of a silent line, its worst case. Nearly all
// of it is waiting for replies; the requests counter says how many went out.
#include <benchmark/benchmark.h>

#include <memory>

#include "LineProbe.h"
#include "platform/PosixUARTController.h"
#include "sim/PtyBridge.h"
#include "sim/SimSerialPort.h"
#include "sim/cmd/SimCmdCamera.h"
#include "sim/hextext/SimHexTextModule.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimITNModule.h"
#include "sim/register/SimSeawolfModule.h"
#include "sim/visca/SimViscaCamera.h"

namespace {

template <class Module>
IUARTController* create() {
    return new Module();
}

void BM_Probe(benchmark::State& p_state, IUARTController* (*p_create)(),
              ProbeResult::Outcome p_eExpected) {
    std::unique_ptr<IUARTController> module(p_create());
    PtyBridge bridge(*module);
    PosixUARTController port;
    int index = bridge.start() ? port.open(bridge.slavePath()) : -1;
    if (index < 0) {
        p_state.SkipWithError("no pseudo-terminal");
        return;
    }
    const std::vector<SerialLineSettings> lines = LineProbe::lines({SerialLineSettings()});
    for (auto _ : p_state) {
        ProbeResult result = LineProbe(port, index).run(lines, 60.0);
        if (result.eOutcome != p_eExpected) {
            p_state.SkipWithError("unexpected outcome");
            break;
        }
        p_state.counters["requests"] = result.nRequests;
        p_state.counters["line_settings"] = result.nLinesTried;
    }
    port.close(index);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Probe, visca, create<SimViscaCamera>, ProbeResult::IDENTIFIED)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Probe, cmd, create<SimCmdCamera>, ProbeResult::IDENTIFIED)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Probe, hex_text, create<SimHexTextModule>, ProbeResult::IDENTIFIED)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Probe, effio, create<SimEffioModule>, ProbeResult::IDENTIFIED)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Probe, it1, create<SimIT1Module>, ProbeResult::IDENTIFIED)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Probe, itn, create<SimITNModule>, ProbeResult::IDENTIFIED)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Probe, seawolf, create<SimSeawolfModule>, ProbeResult::IDENTIFIED)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Probe, silent_line, create<SimSerialPort>, ProbeResult::SILENT)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
