// SPDX-License-Identifier: MIT
// The plain Qt operations that families of benchmarks are measured against.
#pragma once

#include <QString>
#include <benchmark/benchmark.h>

class QTemporaryDir;
class Workbench;

// Qt's decode of a file into a new 32-bit premultiplied image, nothing else.
void TimePlainDecode(benchmark::State& state, Workbench& bench, const QString& path);
// Qt's encode of the shown posterized photo to memory in a format ("jpeg", "png").
void TimePlainEncode(benchmark::State& state, Workbench& bench, const char* format);

// A scratch folder for files the benchmarks write; false, with the benchmark skipped, when none
// could be made.
bool UsableFolder(benchmark::State& state, const QTemporaryDir& folder);
