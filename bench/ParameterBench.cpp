// Parameter model figures: parameter text, the value cache, parameter files.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BenchBoard.h"
#include "config/SensorCache.h"
#include "config/SensorConfigFile.h"
#include "platform/SensorParameterParser.h"

namespace {

std::map<int, int> groups(int p_nCount) {
    std::map<int, int> values;
    for (int id = 0; id < p_nCount; ++id) {
        values[id] = (id * 7919) % 4096 - 2048;
    }
    return values;
}

void BM_ParameterTextParse(benchmark::State& p_state) {
    const std::string text = SensorParameterParser::createSensorParameterString(groups(1000));
    for (auto _ : p_state) {
        std::map<int, int> values;
        SensorParameterParser::parseSensorParameter(text, values);
        benchmark::DoNotOptimize(values);
    }
    p_state.SetBytesProcessed(static_cast<int64_t>(p_state.iterations()) *
                              static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParameterTextParse);

void BM_ParameterTextFormat(benchmark::State& p_state) {
    const std::map<int, int> values = groups(1000);
    size_t bytes = 0;
    for (auto _ : p_state) {
        std::string text = SensorParameterParser::createSensorParameterString(values);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    p_state.SetBytesProcessed(static_cast<int64_t>(p_state.iterations()) *
                              static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ParameterTextFormat);

void BM_SensorCacheGet(benchmark::State& p_state) {
    SensorCache cache;
    cache.setSensorValues(SensorParameterParser::createSensorParameterString(groups(100)));
    int id = 0;
    for (auto _ : p_state) {
        int value = 0;
        benchmark::DoNotOptimize(cache.getSensorValue(id, value));
        id = (id + 37) % 100;
    }
}
BENCHMARK(BM_SensorCacheGet);

void BM_SensorCacheSet(benchmark::State& p_state) {
    SensorCache cache;
    cache.setSensorValues(SensorParameterParser::createSensorParameterString(groups(100)));
    int id = 0;
    for (auto _ : p_state) {
        benchmark::DoNotOptimize(cache.setSensorValue(id, id));
        id = (id + 37) % 100;
    }
}
BENCHMARK(BM_SensorCacheSet);

// A scheme file as a camera writes it: about 70 parameters with versions.
void BM_SensorConfigFileSave(benchmark::State& p_state, bool p_bChanged) {
    static BenchBoard s_board;
    SensorConfigFile file("/mnt/mtd/code/config_file/sensor0.cfg");
    file.setVersion(3);
    file.setVersion2(1);
    std::map<int, int> values = groups(70);
    file.saveParametersToFile(values);
    int round = 0;
    for (auto _ : p_state) {
        if (p_bChanged) {
            values[1] = ++round;
        }
        benchmark::DoNotOptimize(file.saveParametersToFile(values));
    }
}
BENCHMARK_CAPTURE(BM_SensorConfigFileSave, changed, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SensorConfigFileSave, unchanged, false)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
