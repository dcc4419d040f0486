// SPDX-License-Identifier: MIT
#pragma once

#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

class Workbench;

// One timed operation: a benchmark body and what the summary says about it.
struct TimedOperation {
    std::string name;        // the benchmark's name within its family
    std::string description; // its line in the summary
    double goal = 0;         // at most this many times the family's yardstick; 0 for none
    std::function<void(benchmark::State&)> run;
    double goalMs = 0;      // at most this many milliseconds of real time, in place of `goal`
    double goalExtraMs = 0; // at most this many milliseconds more than the yardstick, in place
                            // of `goal`
    int threads = 0;        // the threads the program's passes split over; 0: as many as it finds
};

// The operations, each one named in `goalsOnTwo` twice: its passes on one thread
// ("<name>/threads:1", its own goal) and on two ("<name>/threads:2", the goal named), one beside
// the other, so that the summary shows the scaling.
std::vector<TimedOperation> OnOneAndTwoThreads(const std::vector<TimedOperation>& operations,
                                               const std::map<std::string, double>& goalsOnTwo);

// Operations measured against one yardstick timed in the same run.
struct BenchFamily {
    std::string name;
    TimedOperation yardstick;
    std::vector<TimedOperation> operations;
};

// The benchmark name of an operation: "<family>/<operation>".
std::string BenchmarkNameOf(const BenchFamily& family, const TimedOperation& operation);

// A benchmark body with the workbench it drives.
std::function<void(benchmark::State&)> Driving(Workbench& bench,
                                               void (*body)(benchmark::State&, Workbench&));

// Registers the yardstick first, then the operations, all timed in milliseconds of real time:
// page faults and waits for the disk are part of what a user waits for.
void RegisterFamily(const BenchFamily& family);

// Grey and posterize passes, the handlers that run them, Oilify, recolour and grid, against a
// memcpy of the bitmap.
BenchFamily EffectsFamily(Workbench& bench);
// The photo at another scale on screen; measured against the effects' yardstick.
std::vector<TimedOperation> ViewOperations(Workbench& bench);
// The value key's tone and patch counts on the shown photo; measured against the same yardstick.
std::vector<TimedOperation> ValueKeyOperations(Workbench& bench);
// The value bands' histogram and the study again as an edge moves; against the same yardstick.
std::vector<TimedOperation> ValueBandsOperations(Workbench& bench);
// Simplify Shapes' count and merge to 0.1 %; against the same yardstick.
std::vector<TimedOperation> SimplifyOperations(Workbench& bench);
// The outline sheet of the simplified photo traced and its numbers placed; against the same
// yardstick.
std::vector<TimedOperation> OutlineTraceOperations(Workbench& bench);
// The outline sheet's PDF written; against the clock, in the export family.
std::vector<TimedOperation> OutlinePdfOperations(Workbench& bench);
// Opening the photo, against one plain decode of it.
BenchFamily OpenFamily(Workbench& bench);
// Saving the shown picture, against one plain JPEG encode of it to memory.
BenchFamily SaveFamily(Workbench& bench);
// Exporting the shown picture as PNG and PDF, against one plain PNG encode of it to memory.
BenchFamily ExportFamily(Workbench& bench);
// Loading the photo stored as TIFF and as PNG, each against Qt's plain decode of that file.
std::vector<BenchFamily> ConvertedPhotoFamilies(Workbench& bench);
// Loading through the decoder helper process, against the same decode run in this process: the
// photo as JPEG and a small PNG.
std::vector<BenchFamily> DecoderHelperFamilies(Workbench& bench);
