// SPDX-License-Identifier: MIT
#pragma once

#include "StudyPipeline.h"

#include <QString>
#include <QStringList>

// The file format of the studies written.
enum class SavedFormat { Jpeg, Png };

struct BatchOptions {
    QStringList files;
    QString outputFolder;
    StudyParameters study;
    SavedFormat format = SavedFormat::Jpeg;
    int jobs = 1;
    bool quiet = false;
};

// What a command line asks for. Everything is checked here, before any picture is read.
struct BatchCommand {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    BatchOptions options;
    QString error; // for UsageError: what is wrong, in a few words
};

// Reads the arguments after the program's name. `defaultJobs`: files at a time without -j.
BatchCommand ReadBatchArguments(const QStringList& arguments, int defaultJobs);

// The --help text, which lists every option; ends in a newline.
QString BatchUsage(int defaultJobs);
