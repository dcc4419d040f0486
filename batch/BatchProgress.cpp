// SPDX-License-Identifier: MIT
#include "BatchProgress.h"

namespace {

QString Duration(std::chrono::seconds time) {
    const auto seconds = time.count();
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Back to the start of the line and blank it.
constexpr char EraseLine[] = "\r\033[K";

} // namespace

QString ProgressText(int finished, int total, int failed, std::chrono::seconds elapsed) {
    QString text = QStringLiteral("%1/%2 files, %3 failed, %4 elapsed")
                       .arg(finished)
                       .arg(total)
                       .arg(failed)
                       .arg(Duration(elapsed));
    if (finished > 0 && finished < total)
        text += QStringLiteral(", about %1 left")
                    .arg(Duration(elapsed * (total - finished) / finished));
    return text;
}

BatchProgress::BatchProgress(std::FILE* out, int total, bool showLine)
    : out_(out), total_(total), showLine_(showLine) {
    const std::lock_guard lock(mutex_);
    DrawLine();
}

void BatchProgress::Failed(const QString& name, const QString& message) {
    const std::lock_guard lock(mutex_);
    if (showLine_)
        std::fputs(EraseLine, out_);
    std::fprintf(out_, "%s: %s\n", qPrintable(name), qPrintable(message));
    DrawLine();
}

void BatchProgress::Finished(bool worked) {
    const std::lock_guard lock(mutex_);
    ++finished_;
    failed_ += worked ? 0 : 1;
    DrawLine();
}

void BatchProgress::Tick() {
    const std::lock_guard lock(mutex_);
    DrawLine();
}

void BatchProgress::End() {
    const std::lock_guard lock(mutex_);
    DrawLine();
    if (showLine_)
        std::fputc('\n', out_);
    std::fflush(out_);
}

int BatchProgress::Failures() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}

void BatchProgress::DrawLine() {
    if (!showLine_)
        return;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_);
    std::fprintf(out_, "%s%s", EraseLine,
                 qPrintable(ProgressText(finished_, total_, failed_, elapsed)));
    std::fflush(out_);
}
