// SPDX-License-Identifier: MIT
#include "BenchFamily.h"

#include "Cores.h"

#include <utility>

std::string BenchmarkNameOf(const BenchFamily& family, const TimedOperation& operation) {
    return family.name + '/' + operation.name;
}

std::function<void(benchmark::State&)> Driving(Workbench& bench,
                                               void (*body)(benchmark::State&, Workbench&)) {
    return [&bench, body](benchmark::State& state) { body(state, bench); };
}

std::vector<TimedOperation> OnOneAndTwoThreads(const std::vector<TimedOperation>& operations,
                                               const std::map<std::string, double>& goalsOnTwo) {
    std::vector<TimedOperation> result;
    for (const TimedOperation& operation : operations) {
        const auto goalOnTwo = goalsOnTwo.find(operation.name);
        if (goalOnTwo == goalsOnTwo.end()) {
            result.push_back(operation);
            continue;
        }
        for (const auto& [threads, goal] :
             {std::pair{1, operation.goal}, std::pair{2, goalOnTwo->second}}) {
            TimedOperation split = operation;
            split.name += "/threads:" + std::to_string(threads);
            split.description += threads == 1 ? ", 1 thread" : ", 2 threads";
            split.goal = goal;
            split.threads = threads;
            split.run = [run = operation.run, threads = threads](benchmark::State& state) {
                WithThreads(threads, [&] { run(state); });
            };
            result.push_back(std::move(split));
        }
    }
    return result;
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
