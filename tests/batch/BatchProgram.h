// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a run of the built halvane-batch left: its exit status and its two outputs.
struct BatchProgramRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs halvane-batch with the arguments, its standard error a pipe (no terminal).
BatchProgramRun RunBatchProgram(const QStringList& arguments);

// Runs halvane-batch with its standard output and error on a pseudo-terminal; returns everything
// the terminal received, or a text starting with "no terminal" when none could be had.
QByteArray RunBatchProgramOnTerminal(const QStringList& arguments, int* exitCode);
