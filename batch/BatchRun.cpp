// SPDX-License-Identifier: MIT
#include "BatchRun.h"

#include "AppError.h"
#include "Cores.h"
#include "ImageFile.h"
#include "JpegFile.h"
#include "PngFile.h"
#include "StudyPipeline.h"

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
    // False where the name is claimed already or taken on disk.
    bool Claim(const QString& path) {
        const std::lock_guard lock(mutex_);
        if (names_.contains(path) || NameTaken(path))
            return false;
        names_.insert(path);
        return true;
    }
    // A study that failed leaves its name free again.
    void Release(const QString& path) {
        const std::lock_guard lock(mutex_);
        names_.remove(path);
    }

private:
    std::mutex mutex_;
    QSet<QString> names_;
};

} // namespace

QString StudyPathFor(const QString& file, const QString& outputFolder, SavedFormat format) {
    const QString extension =
        format == SavedFormat::Png ? QStringLiteral(".png") : QStringLiteral(".jpg");
    return QDir(outputFolder).filePath(QFileInfo(file).completeBaseName() + extension);
}

void MakeStudyFile(const QString& file, const QString& output, const BatchOptions& options) {
    TBitmap picture;
    ImageLoadOptions loading;
    // Loading holds two (the one being decoded), the study at most StudyBitmaps.
    loading.workingSetBitmaps = StudyBitmaps;
    loading.spareHelper = true;
    LoadBitmapFromFile(picture, file, loading);
    MakeStudy(picture, options.study);
    if (options.format == SavedFormat::Png)
        SaveBitmapAsPng(picture, output);
    else
        SaveBitmapAsJpeg(picture, output);
}

int RunBatch(const BatchOptions& options, BatchProgress& progress) {
    const int count = int(options.files.size());
    std::atomic<int> next{0};
    ClaimedNames claimed;
    const auto runFiles = [&] {
        for (int index = next++; index < count; index = next++) {
            const QString& file = options.files[index];
            const QString output = StudyPathFor(file, options.outputFolder, options.format);
            bool worked = false;
            if (!claimed.Claim(output)) {
                progress.Failed(file, output + QStringLiteral(" exists"));
            } else {
                try {
                    MakeStudyFile(file, output, options);
                    worked = true;
                } catch (...) {
                    claimed.Release(output);
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
