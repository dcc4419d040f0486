// SPDX-License-Identifier: MIT
#pragma once

#include "CanvasPlan.h"
#include "StudyPipeline.h"

#include <QString>
#include <QStringList>

// The file format of the studies written.
enum class SavedFormat { Jpeg, Png };
// The format of the outline sheet written beside each study, where one is asked for.
enum class OutlineFormat { Pdf, Png };

struct BatchOptions {
    QStringList files;
    QString outputFolder;
    StudyParameters study;
    SavedFormat format = SavedFormat::Jpeg;
    std::optional<OutlineFormat> outline;
    // The canvas of the outline; none: the window's first canvas, turned to each picture.
    std::optional<CanvasSettings> canvas;
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
