// SPDX-License-Identifier: MIT
// Saving into a misbehaving folder: the file has no name until it is complete, so neither a
// failed write nor a killed program leaves anything behind, and a failed write names the
// system's reason.
#include "AppError.h"
#include "FileErrors.h"
#include "ImageCompare.h"
#include "JpegFile.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

// Opaque noise, so that the JPEG takes many of the encoder's 4 KB writes.
void FillNoise(TBitmap& bitmap, int side) {
    bitmap.SetSize(side, side);
    auto* pixels = reinterpret_cast<quint32*>(bitmap.Bits());
    const std::size_t count = bitmap.ByteCount() / sizeof(quint32);
    QRandomGenerator(1).fillRange(pixels, count);
    for (std::size_t i = 0; i < count; ++i)
        pixels[i] |= 0xFF000000u;
}

class SaveFaults : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        FillNoise(picture_, 300);
    }

    QString Path(const QString& name) const { return folder_.filePath(name); }
    // Every entry of the folder, hidden ones included.
    QStringList Entries() const {
        return QDir(folder_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    // Whether the folder's filesystem gives unnamed files; elsewhere a hidden named file is used.
    bool HasUnnamedFiles() const {
        const int probe = ::open(QFile::encodeName(folder_.path()).constData(),
                                 O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (probe < 0)
            return false;
        ::close(probe);
        return true;
    }

    QTemporaryDir folder_;
    TBitmap picture_;
};

// write(2) that fails with `error` once `goodBytes` were written; 0 for `error`: write(2)
// answers that nothing more fits.
WriteCall FailingAfter(qint64 goodBytes, int error) {
    auto written = std::make_shared<qint64>(0);
    return [=](int descriptor, const void* buffer, std::size_t count) -> ssize_t {
        const qint64 left = goodBytes - *written;
        if (left <= 0) {
            errno = error;
            return error ? -1 : 0;
        }
        const ssize_t done = ::write(descriptor, buffer, std::min<std::size_t>(count, left));
        if (done > 0)
            *written += done;
        return done;
    };
}

TEST_F(SaveFaults, AFailedWriteNamesTheSystemsReasonAndLeavesNothing) {
    struct Case {
        qint64 goodBytes;
        int error;
        int reported;
    };
    const Case cases[] = {
        {0, ENOSPC, ENOSPC}, {10000, ENOSPC, ENOSPC}, {10000, EDQUOT, EDQUOT},
        {10000, EIO, EIO},   {10000, 0, ENOSPC},      {4096 * 3 + 100, EFBIG, EFBIG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::strerror(c.error) << " after " << c.goodBytes);
        const QString path = Path(QStringLiteral("full.jpg"));
        EXPECT_EQ(SaveError(picture_, path, FailingAfter(c.goodBytes, c.error)),
                  CannotCreate(path, c.reported));
        EXPECT_EQ(Entries(), QStringList());
    }
}

// A write may take fewer bytes than offered, or be interrupted by a signal; neither is an error.
TEST_F(SaveFaults, ShortAndInterruptedWritesStoreTheWholeJpeg) {
    const QString path = Path(QStringLiteral("dribbled.jpg"));
    auto interrupt = std::make_shared<bool>(false);
    EXPECT_EQ(SaveError(picture_, path,
                        [interrupt](int descriptor, const void* buffer, std::size_t count) {
                            *interrupt = !*interrupt;
                            if (*interrupt) {
                                errno = EINTR;
                                return ssize_t(-1);
                            }
                            return ::write(descriptor, buffer, std::min<std::size_t>(count, 100));
                        }),
              QString());
    QByteArray plain;
    QBuffer buffer(&plain);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "jpeg").write(picture_.ImageView()));
    EXPECT_TRUE(FileBytes(path) == plain);
}

TEST_F(SaveFaults, TheFileHasNoNameUntilItIsComplete) {
    if (!HasUnnamedFiles())
        GTEST_SKIP() << "the test folder's filesystem has no unnamed files (O_TMPFILE)";
    const QString path = Path(QStringLiteral("whole.jpg"));
    int writes = 0;
    QStringList seenWhileWriting;
    EXPECT_EQ(SaveError(picture_, path,
                        [&](int descriptor, const void* buffer, std::size_t count) {
                            ++writes;
                            seenWhileWriting << Entries();
                            return ::write(descriptor, buffer, count);
                        }),
              QString());
    EXPECT_GT(writes, 2);
    EXPECT_EQ(seenWhileWriting, QStringList());
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("whole.jpg")});
}

// Another process saves and is killed with SIGKILL in the middle of its writing, as the program
// would be by the system or a power loss.
TEST_F(SaveFaults, AProgramKilledWhileSavingLeavesTheFolderAsItWas) {
    if (!HasUnnamedFiles())
        GTEST_SKIP() << "the test folder's filesystem has no unnamed files (O_TMPFILE)";
    QFile existing(Path(QStringLiteral("existing.jpg")));
    ASSERT_TRUE(existing.open(QIODevice::NewOnly));
    existing.close();
    const QStringList before = Entries();
    QProcess saver;
    saver.start(QStringLiteral(HALVANE_INTERRUPTED_SAVE), {Path(QStringLiteral("killed.jpg"))});
    ASSERT_TRUE(saver.waitForStarted());
    ASSERT_TRUE(saver.waitForReadyRead(60000)) << saver.readAllStandardError().toStdString();
    ASSERT_EQ(saver.readAllStandardOutput(), "w");
    EXPECT_EQ(Entries(), before) << "while the other process is writing";
    ASSERT_EQ(::kill(pid_t(saver.processId()), SIGKILL), 0);
    ASSERT_TRUE(saver.waitForFinished());
    EXPECT_EQ(saver.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(Entries(), before);
}

} // namespace
