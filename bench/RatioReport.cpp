// SPDX-License-Identifier: MIT
#include "RatioReport.h"

#include <iomanip>
#include <ostream>

namespace {

constexpr int DescriptionWidth = 62;
constexpr int NumberWidth = 9;

bool IsMedian(const benchmark::BenchmarkReporter::Run& run) {
    return run.run_type == benchmark::BenchmarkReporter::Run::RT_Aggregate &&
           run.aggregate_name == "median";
}

double MillisecondsOf(double time, benchmark::TimeUnit unit) {
    return time * 1e3 / benchmark::GetTimeUnitMultiplier(unit);
}

} // namespace

void RatioReport::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred)
            continue;
        const bool median = IsMedian(run);
        if (run.run_type != Run::RT_Iteration && !median)
            continue;
        Result& result = results_[run.run_name.function_name];
        if (result.median && !median)
            continue;
        result = {MillisecondsOf(run.GetAdjustedRealTime(), run.time_unit),
                  MillisecondsOf(run.GetAdjustedCPUTime(), run.time_unit), run.counters, median};
    }
}

void RatioReport::Finalize() {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    out << "\nRatios to the yardstick of the same run (real time; cpu time in brackets)\n"
        << std::left << std::setw(DescriptionWidth) << "" << std::right << std::setw(NumberWidth)
        << "ms" << std::setw(NumberWidth) << "ratio" << std::setw(NumberWidth) << "(cpu)"
        << std::setw(NumberWidth) << "goal" << '\n';
    for (const BenchFamily& family : families_)
        PrintFamily(out, family);
}

const RatioReport::Result* RatioReport::Find(const BenchFamily& family,
                                             const TimedOperation& operation) const {
    const auto found = results_.find(BenchmarkNameOf(family, operation));
    return found == results_.end() ? nullptr : &found->second;
}

void RatioReport::PrintFamily(std::ostream& out, const BenchFamily& family) const {
    const Result* yardstick = Find(family, family.yardstick);
    out << std::left << std::setw(DescriptionWidth)
        << (family.name + ": " + family.yardstick.description) << std::right;
    if (yardstick == nullptr) {
        out << "  not run\n";
        return;
    }
    out << std::fixed << std::setprecision(1) << std::setw(NumberWidth) << yardstick->realMs
        << '\n';
    for (const TimedOperation& operation : family.operations) {
        out << std::left << std::setw(DescriptionWidth) << ("  " + operation.description)
            << std::right;
        if (const Result* result = Find(family, operation))
            PrintOperation(out, operation, *result, *yardstick);
        else
            out << "  not run\n";
    }
}

void RatioReport::PrintOperation(std::ostream& out, const TimedOperation& operation,
                                 const Result& result, const Result& yardstick) const {
    const double ratio = result.realMs / yardstick.realMs;
    const double cpuRatio = result.cpuMs / yardstick.cpuMs;
    out << std::fixed << std::setprecision(1) << std::setw(NumberWidth) << result.realMs
        << std::setprecision(2) << std::setw(NumberWidth - 1) << ratio << 'x'
        << std::setw(NumberWidth - 2) << '(' << cpuRatio << "x)" << std::setw(NumberWidth - 4)
        << "<= " << operation.goal << "x  " << (ratio <= operation.goal ? "met" : "MISSED") << '\n';
    const auto peak = result.counters.find("peak_MB");
    const auto limit = result.counters.find("limit_MB");
    if (peak != result.counters.end() && limit != result.counters.end())
        out << std::left << std::setw(DescriptionWidth) << "    peak resident memory, MB"
            << std::right << std::setprecision(0) << std::setw(NumberWidth) << peak->second.value
            << std::setw(NumberWidth * 3) << "<= " << limit->second.value << "  "
            << (peak->second.value <= limit->second.value ? "met" : "MISSED") << '\n';
}
