// SPDX-License-Identifier: MIT
#include "BenchFamily.h"

std::string BenchmarkNameOf(const BenchFamily& family, const TimedOperation& operation) {
    return family.name + '/' + operation.name;
}

std::function<void(benchmark::State&)> Driving(Workbench& bench,
                                               void (*body)(benchmark::State&, Workbench&)) {
    return [&bench, body](benchmark::State& state) { body(state, bench); };
}

namespace {

// Long enough for several runs of the slowest operations, which take about a second.
constexpr double MinSecondsPerBenchmark = 2.0;

void Register(const BenchFamily& family, const TimedOperation& operation) {
    benchmark::RegisterBenchmark(BenchmarkNameOf(family, operation).c_str(), operation.run)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(MinSecondsPerBenchmark)
        ->UseRealTime();
}

} // namespace

void RegisterFamily(const BenchFamily& family) {
    Register(family, family.yardstick);
    for (const TimedOperation& operation : family.operations)
        Register(family, operation);
}
