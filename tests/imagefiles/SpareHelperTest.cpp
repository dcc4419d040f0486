// SPDX-License-Identifier: MIT
// Loads that keep a spare decoder helper: each finds one waiting and leaves the next waiting.
// In a test program of their own, since the spare outlives every load.
#include "Bitmap.h"
#include "FileErrors.h"
#include "ImageCompare.h"
#include "ImageFile.h"

#include <QDir>
#include <QFile>
#include <QSize>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

// The process's children, as the kernel lists them per thread.
QStringList Children() {
    QStringList children;
    for (const QString& task :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile list(QStringLiteral("/proc/self/task/%1/children").arg(task));
        if (list.open(QIODevice::ReadOnly))
            children << QString::fromLatin1(list.readAll()).split(u' ', Qt::SkipEmptyParts);
    }
    return children;
}

// A process's command line, argument by argument; empty for one that has ended, or is still
// starting.
QStringList CommandLine(const QString& pid) {
    std::ifstream file(QStringLiteral("/proc/%1/cmdline").arg(pid).toStdString());
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return QString::fromStdString(all).split(QChar(0), Qt::SkipEmptyParts);
}

// The command line of the child that is not among `before`, once it runs its program: a spare
// started as a load ends may still be on its way into its executable.
QStringList NewChildsCommandLine(const QStringList& before) {
    for (int tries = 0; tries < 500; ++tries) {
        if (tries > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const QString& child : Children())
            if (!before.contains(child))
                if (const QStringList arguments = CommandLine(child); !arguments.isEmpty())
                    return arguments;
    }
    return {};
}

ImageLoadOptions KeepingASpare() {
    ImageLoadOptions options;
    options.spareHelper = true;
    return options;
}

// After each load one spare waits, a new one each time (beside it at most the helper that just
// decoded, ending), and every picture is the one a load without spares gives, whatever the size
// of the picture before it, for which the spare readied its storage (the same, turned, reduced
// from beyond the largest side, larger, smaller); a spare that died while waiting is passed over.
TEST(SpareHelper, EachLoadTakesTheWaitingHelperAndLeavesANewOne) {
    QStringList before;
    for (const char* file : {"quads.png", "quads.jpg", "rotated6.jpg", "rotated6.jpg", "wide.png",
                             "tiled.tif", "bgr24.wmp", "alpha.png"}) {
        SCOPED_TRACE(file);
        TBitmap withSpare;
        TBitmap without;
        ASSERT_EQ(LoadError(withSpare, TestDataPath(file), KeepingASpare()), std::nullopt);
        ASSERT_EQ(LoadError(without, TestDataPath(file)), std::nullopt);
        EXPECT_TRUE(SameBitmap(without, withSpare));
        const QStringList children = Children();
        ASSERT_GE(children.size(), 1);
        ASSERT_LE(children.size(), 2);
        EXPECT_FALSE(before.contains(children.back())) << "no new helper was started";
        before = children;
    }
    // The newest child is the waiting spare. Killed, and waited for until it has ended, without
    // reaping it: that is the pool's to do.
    const pid_t spare = before.back().toInt();
    ASSERT_EQ(kill(spare, SIGKILL), 0);
    siginfo_t ended{};
    ASSERT_EQ(waitid(P_PID, id_t(spare), &ended, WEXITED | WNOWAIT), 0);
    TBitmap afterDeath;
    EXPECT_EQ(LoadError(afterDeath, TestDataPath("quads.png"), KeepingASpare()), std::nullopt);
    EXPECT_EQ(afterDeath.Width(), 16);
}

// A load that fails leaves a new spare waiting too, beside at most the helper that gave the
// picture before.
TEST(SpareHelper, AFailedLoadLeavesANewSpare) {
    TBitmap first;
    ASSERT_EQ(LoadError(first, TestDataPath("quads.png"), KeepingASpare()), std::nullopt);
    const QStringList before = Children();
    for (const char* file : {"damaged.png", "damaged.jpg", "damaged.tif"}) {
        SCOPED_TRACE(file);
        TBitmap target;
        ASSERT_EQ(LoadError(target, TestDataPath(file), KeepingASpare()),
                  LoadFailedMessage(TestDataPath(file)));
        const QStringList children = Children();
        ASSERT_FALSE(children.isEmpty());
        EXPECT_FALSE(before.contains(children.back())) << "no new helper was started";
        EXPECT_LE(children.size(), 2);
    }
}

// The spare a load leaves is told to ready storage for a picture of the size that load gave (a
// turned one's as turned); a load that fails leaves the size of the last picture.
TEST(SpareHelper, TheNextSpareReadiesStorageForTheLastPicturesSize) {
    for (const char* file : {"quads.png", "rotated6.jpg", "damaged.png"}) {
        SCOPED_TRACE(file);
        const QStringList before = Children();
        TBitmap picture;
        LoadError(picture, TestDataPath(file), KeepingASpare());
        const QStringList arguments = NewChildsCommandLine(before);
        ASSERT_EQ(arguments.size(), 5) << arguments.join(u' ').toStdString();
        const QSize last = QString::fromLatin1(file) == QStringLiteral("quads.png")
                               ? QSize(16, 8)
                               : QSize(8, 16); // rotated6.jpg, turned, before damaged.png
        EXPECT_EQ(arguments[3], QString::number(last.width()));
        EXPECT_EQ(arguments[4], QString::number(last.height()));
    }
}

// Loads on several threads at once, as halvane-batch's, share the spares: each takes a waiting
// helper or starts its own, and every picture is the one a load without spares gives.
TEST(SpareHelper, LoadsOnSeveralThreadsShareTheSpares) {
    const char* files[] = {"quads.png", "rotated6.jpg", "tiled.tif", "bgr24.wmp"};
    std::vector<TBitmap> expected(std::size(files));
    for (std::size_t i = 0; i < std::size(files); ++i)
        ASSERT_EQ(LoadError(expected[i], TestDataPath(files[i])), std::nullopt);
    std::atomic<int> wrong = 0;
    const auto loads = [&](std::size_t first) {
        for (std::size_t k = 0; k < 2 * std::size(files); ++k) {
            const std::size_t i = (first + k) % std::size(files);
            TBitmap picture;
            if (LoadError(picture, TestDataPath(files[i]), KeepingASpare()) != std::nullopt ||
                !SameBitmap(expected[i], picture))
                ++wrong;
        }
    };
    std::thread other(loads, 1);
    loads(0);
    other.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
