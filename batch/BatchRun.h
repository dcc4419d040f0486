// SPDX-License-Identifier: MIT
#pragma once

#include "BatchOptions.h"
#include "BatchProgress.h"

#include <QString>

// Where a file's study goes: the output folder, the file's name without its last extension, and
// the format's extension.
QString StudyPathFor(const QString& file, const QString& outputFolder, SavedFormat format);

// One file: opened as "Open.." opens it, made into a study, written to `output`, never replacing
// anything there. Throws AppError with the message the window would show.
void MakeStudyFile(const QString& file, const QString& output, const BatchOptions& options);

// Every file of the options, options.jobs at a time on as many threads, each file's work on one
// thread; failures and progress go to `progress`. Returns the number of files that failed.
int RunBatch(const BatchOptions& options, BatchProgress& progress);
