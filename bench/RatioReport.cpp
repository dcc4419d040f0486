// SPDX-License-Identifier: MIT
#include "RatioReport.h"

#include <algorithm>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace {

constexpr int DescriptionWidth = 62;
constexpr int NumberWidth = 11;

bool IsMedian(const benchmark::BenchmarkReporter::Run& run) {
    return run.run_type == benchmark::BenchmarkReporter::Run::RT_Aggregate &&
           run.aggregate_name == "median";
}

std::string Fixed(double value, int decimals) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

std::string Verdict(bool met) {
    return met ? "met" : "MISSED";
}

// A label and right-aligned columns.
void PrintRow(std::ostream& out, const std::string& label,
              const std::vector<std::string>& columns) {
    out << std::left << std::setw(DescriptionWidth) << label << std::right;
    for (const std::string& column : columns)
        out << std::setw(NumberWidth) << column;
    out << '\n';
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
    out << "\nRatios to the yardstick of the same run (goals on real time)\n";
    PrintRow(out, "", {"real ms", "ratio", "cpu ratio", "goal"});
    for (const BenchFamily& family : families_)
        PrintFamily(out, family);
}

const RatioReport::Result* RatioReport::Find(const BenchFamily& family,
                                             const TimedOperation& operation) const {
    const auto found = results_.find(BenchmarkNameOf(family, operation));
    return found == results_.end() ? nullptr : &found->second;
}

void RatioReport::PrintFamily(std::ostream& out, const BenchFamily& family) const {
    const std::string title = family.name + ": " + family.yardstick.description;
    const Result* yardstick = Find(family, family.yardstick);
    if (yardstick == nullptr) {
        if (std::any_of(family.operations.begin(), family.operations.end(),
                        [&](const TimedOperation& operation) {
                            return Find(family, operation) != nullptr;
                        }))
            PrintRow(out, title, {"not run"});
        return;
    }
    PrintRow(out, title, {Fixed(yardstick->realMs, 1)});
    // The one-thread run of an operation split over threads, printed just before its two-thread
    // run: the scaling follows the latter.
    const Result* oneThread = nullptr;
    for (const TimedOperation& operation : family.operations) {
        const std::string label = "  " + operation.description;
        const Result* result = Find(family, operation);
        if (result != nullptr)
            PrintOperation(out, label, operation, *result, *yardstick);
        else
            PrintRow(out, label, {"not run"});
        if (operation.threads == 2 && oneThread != nullptr && result != nullptr)
            PrintRow(out, "    scaling from 1 to 2 threads",
                     {"", Fixed(oneThread->realMs / result->realMs, 2) + "x"});
        oneThread = operation.threads == 1 ? result : nullptr;
    }
}

void RatioReport::PrintOperation(std::ostream& out, const std::string& label,
                                 const TimedOperation& operation, const Result& result,
                                 const Result& yardstick) {
    const double ratio = result.realMs / yardstick.realMs;
    const double extraMs = result.realMs - yardstick.realMs;
    std::string goal = "<= " + Fixed(operation.goal, 1) + "x";
    bool met = ratio <= operation.goal;
    if (operation.goalMs > 0) {
        goal = "<= " + Fixed(operation.goalMs, 0) + " ms";
        met = result.realMs <= operation.goalMs;
    } else if (operation.goalExtraMs > 0) {
        // Appended piece by piece: GCC 12 warns falsely about "+" + std::string.
        goal = Fixed(extraMs, 1);
        goal.insert(0, 1, '+');
        goal += " <= +" + Fixed(operation.goalExtraMs, 0) + " ms";
        met = extraMs <= operation.goalExtraMs;
    }
    PrintRow(out, label,
             {Fixed(result.realMs, 1), Fixed(ratio, 2) + "x",
              Fixed(result.cpuMs / yardstick.cpuMs, 2) + "x", goal, Verdict(met)});
    const auto peak = result.counters.find("peak_MB");
    const auto limit = result.counters.find("limit_MB");
    if (peak != result.counters.end() && limit != result.counters.end())
        PrintRow(out, "    peak resident memory during the open, MB",
                 {Fixed(peak->second.value, 0), "", "", "<= " + Fixed(limit->second.value, 0),
                  Verdict(peak->second.value <= limit->second.value)});
}
