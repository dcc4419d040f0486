// SPDX-License-Identifier: MIT
#pragma once

#include "BenchFamily.h"

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

// The console report, followed by a summary of every operation as a ratio to its family's
// yardstick and its goal. With repetitions, the medians are compared.
class RatioReport : public benchmark::ConsoleReporter {
public:
    explicit RatioReport(const std::vector<BenchFamily>& families) : families_(families) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Result {
        double realMs = 0;
        double cpuMs = 0;
        benchmark::UserCounters counters;
        bool median = false;
    };

    void PrintFamily(std::ostream& out, const BenchFamily& family) const;
    static void PrintOperation(std::ostream& out, const std::string& label,
                               const TimedOperation& operation, const Result& result,
                               const Result& yardstick);
    const Result* Find(const BenchFamily& family, const TimedOperation& operation) const;

    const std::vector<BenchFamily>& families_;
    std::map<std::string, Result> results_;
};
