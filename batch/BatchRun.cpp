// SPDX-License-Identifier: MIT
#include "BatchRun.h"

#include "AppError.h"
#include "Cores.h"
#include "ImageFile.h"
#include "JpegFile.h"
#include "OutlinePages.h"
#include "PngFile.h"
#include "StudyPipeline.h"
#include "StudySteps.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Any entry at all, a dangling link or a folder included: publishing would refuse it anyway.
bool NameTaken(const QString& path) {
    std::error_code error;
    return std::filesystem::symlink_status(QFile::encodeName(path).toStdString(), error).type() !=
           std::filesystem::file_type::not_found;
}

// The studies this run is writing or has written, so that a later file of the same base name
// fails as a name taken before the run does, even while the earlier study is still being made.
class ClaimedNames {
public:
    // Claims every name of the outputs, or none: gives the first that is claimed already or
    // taken on disk.
    std::optional<QString> Claim(const StudyOutputs& outputs) {
        const std::lock_guard lock(mutex_);
        for (const QString& path : Paths(outputs))
            if (names_.contains(path) || NameTaken(path))
                return path;
        for (const QString& path : Paths(outputs))
            names_.insert(path);
        return std::nullopt;
    }
    // A study that failed leaves its names free again.
    void Release(const StudyOutputs& outputs) {
        const std::lock_guard lock(mutex_);
        for (const QString& path : Paths(outputs))
            names_.remove(path);
    }

private:
    static QStringList Paths(const StudyOutputs& outputs) {
        return outputs.outline.isEmpty() ? QStringList{outputs.study}
                                         : QStringList{outputs.study, outputs.outline};
    }
    std::mutex mutex_;
    QSet<QString> names_;
};

} // namespace

StudyOutputs OutputsFor(const QString& file, const BatchOptions& options) {
    const QDir folder(options.outputFolder);
    const QString name = QFileInfo(file).completeBaseName();
    StudyOutputs outputs;
    outputs.study =
        folder.filePath(name + (options.format == SavedFormat::Png ? QStringLiteral(".png")
                                                                   : QStringLiteral(".jpg")));
    if (options.outline)
        outputs.outline = folder.filePath(name + (*options.outline == OutlineFormat::Png
                                                      ? QStringLiteral("-outline.png")
                                                      : QStringLiteral("-outline.pdf")));
    return outputs;
}

namespace {

// The outline sheet of a study, as the window exports it with the dialog's first settings.
void WriteOutline(TBitmap& study, const QString& path, const BatchOptions& options) {
    const CanvasSettings canvas =
        options.canvas.value_or(OrientedLike(CanvasSettings{}, study.Width(), study.Height()));
    // The grid drawn into the study is no shape of it, as in the window.
    StudyOverlay overlay;
    if (options.study.grid && study.Width() >= 2)
        overlay.colours.push_back(options.study.grid->colour);
    const OutlineSheet sheet = OutlineStep(study, overlay, canvas, OutlineSettings{});
    if (*options.outline == OutlineFormat::Pdf) {
        WriteOutlinePdf(sheet, path);
        return;
    }
    TBitmap outline;
    sheet.Draw(outline);
    SaveBitmapAsPng(outline, path);
}

} // namespace

void MakeStudyFile(const QString& file, const StudyOutputs& outputs, const BatchOptions& options) {
    TBitmap picture;
    ImageLoadOptions loading;
    // Loading holds two (the one being decoded), the study at most StudyBitmaps.
    loading.workingSetBitmaps = StudyBitmaps;
    loading.spareHelper = true;
    LoadBitmapFromFile(picture, file, loading);
    MakeStudy(picture, options.study);
    if (options.format == SavedFormat::Png)
        SaveBitmapAsPng(picture, outputs.study);
    else
        SaveBitmapAsJpeg(picture, outputs.study);
    if (outputs.outline.isEmpty())
        return;
    try {
        WriteOutline(picture, outputs.outline, options);
    } catch (...) {
        QFile::remove(outputs.study);
        throw;
    }
}

int RunBatch(const BatchOptions& options, BatchProgress& progress) {
    const int count = int(options.files.size());
    std::atomic<int> next{0};
    ClaimedNames claimed;
    const auto runFiles = [&] {
        for (int index = next++; index < count; index = next++) {
            const QString& file = options.files[index];
            const StudyOutputs outputs = OutputsFor(file, options);
            bool worked = false;
            if (const std::optional<QString> taken = claimed.Claim(outputs)) {
                progress.Failed(file, *taken + QStringLiteral(" exists"));
            } else {
                try {
                    MakeStudyFile(file, outputs, options);
                    worked = true;
                } catch (...) {
                    claimed.Release(outputs);
                    const QString message = ErrorDisplayText(std::current_exception());
                    progress.Failed(file, message.isEmpty() ? QStringLiteral("failed") : message);
                }
            }
            progress.Finished(worked);
        }
    };

    std::mutex mutex;
    std::condition_variable allDone;
    int running = std::min(options.jobs, count);
    std::vector<std::jthread> workers;
    // Files side by side each run their steps on one thread, so that the workers do not crowd
    // the cores; a single worker lets the steps split over all of them.
    const int threadsPerFile = running > 1 ? 1 : PassThreads();
    for (int i = 0; i < running; ++i)
        workers.emplace_back([&] {
            WithThreads(threadsPerFile, runFiles);
            const std::lock_guard lock(mutex);
            --running;
            allDone.notify_one();
        });
    // The time in the progress line moves on while a long file is under way.
    std::unique_lock lock(mutex);
    while (!allDone.wait_for(lock, std::chrono::seconds(1), [&] { return running == 0; }))
        progress.Tick();
    lock.unlock();
    workers.clear();
    progress.End();
    return progress.Failures();
}
