// SPDX-License-Identifier: MIT
#pragma once

#include "BatchOptions.h"
#include "BatchProgress.h"

#include <QString>

// The files one picture makes in the output folder, under the file's name without its last
// extension: its study with the format's extension, and its outline sheet where one is asked for,
// "-outline" added to the name.
struct StudyOutputs {
    QString study;
    QString outline; // empty for none
};
StudyOutputs OutputsFor(const QString& file, const BatchOptions& options);

// One file: opened as "Open.." opens it, made into a study, written to its outputs, never
// replacing anything there; where the outline fails, the study written is taken back. Throws
// AppError with the message the window would show.
void MakeStudyFile(const QString& file, const StudyOutputs& outputs, const BatchOptions& options);

// Every file of the options, options.jobs at a time on as many threads, each file's work on one
// thread; failures and progress go to `progress`. Returns the number of files that failed.
int RunBatch(const BatchOptions& options, BatchProgress& progress);
