// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <chrono>
#include <cstdio>
#include <mutex>

// The progress line's text: files done of all, failures, time so far and an estimate of the rest.
QString ProgressText(int finished, int total, int failed, std::chrono::seconds elapsed);

// What a batch tells its user on standard error: each failure as "<file>: <message>", and, when
// `showLine`, one progress line redrawn in place below them. Safe to call from several threads.
class BatchProgress {
public:
    BatchProgress(std::FILE* out, int total, bool showLine);

    void Failed(const QString& name, const QString& message);
    void Finished(bool worked);
    // Redraws the line so that the time in it moves on.
    void Tick();
    // The line a last time, and the end of it.
    void End();

    int Failures() const;

private:
    void DrawLine(); // with the mutex held

    std::FILE* out_;
    const int total_;
    const bool showLine_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    mutable std::mutex mutex_;
    int finished_ = 0;
    int failed_ = 0;
};
