// SPDX-License-Identifier: MIT
// Files that misbehave while a picture is opened: a path that is no regular file is refused at
// once, without waiting on it, and a read that fails anywhere in the file is a load error that
// names the system's reason, never a partly decoded picture.
#include "AppError.h"
#include "Bitmap.h"
#include "FileErrors.h"
#include "ImageCompare.h"
#include "ImageFile.h"
#include "TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString CannotOpen(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QFileInfo(path).absoluteFilePath(), reason);
}

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A target holding a small known picture, to see that a failed load leaves it alone.
class FaultyFile : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        FillBitmap(target_, {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0x80402010}});
        before_.Assign(target_);
        target_.SetObserver([this] { ++notifications_; });
    }

    void ExpectUnchanged() {
        EXPECT_TRUE(SameBitmap(before_, target_));
        EXPECT_EQ(notifications_, 0);
    }

    QString Path(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
    TBitmap target_;
    TBitmap before_;
    int notifications_ = 0;
};

// The load's message; a load that waits on the FIFO for a writer fails the test instead of
// hanging it.
std::optional<QString> LoadErrorWithoutWaiting(TBitmap& target, const QString& path,
                                               const QString& fifo) {
    std::optional<QString> error;
    if (WaitedOnFifo(fifo, [&] { error = LoadError(target, path); }))
        ADD_FAILURE() << "the load of " << path.toStdString() << " waits on the file";
    return error;
}

TEST_F(FaultyFile, APathThatIsNoRegularFileIsRefusedAtOnce) {
    const QString fifo = Path(QStringLiteral("x.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, Path(QStringLiteral("link-to-fifo.jpg"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), Path(QStringLiteral("device.bmp"))));
    const QString socketPath = Path(QStringLiteral("socket.gif"));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(socket, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(socketPath);
    ASSERT_LT(std::size_t(socketName.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketName.constData(), std::size_t(socketName.size()));
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(socket, 1), 0);
    const QString folderPath = Path(QStringLiteral("folder.tif"));
    ASSERT_TRUE(QFile::link(folder_.path(), folderPath));

    struct Case {
        QString path, reason;
    };
    const Case cases[] = {
        {fifo, QStringLiteral("Not a regular file")},
        {Path(QStringLiteral("link-to-fifo.jpg")), QStringLiteral("Not a regular file")},
        {Path(QStringLiteral("device.bmp")), QStringLiteral("Not a regular file")},
        {socketPath, SystemReason(ENXIO)},
        {folderPath, SystemReason(EISDIR)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(LoadErrorWithoutWaiting(target_, c.path, fifo), CannotOpen(c.path, c.reason));
        ExpectUnchanged();
    }
    ::close(socket);
}

TEST_F(FaultyFile, ALinkToARegularFileStillLoads) {
    const QString link = Path(QStringLiteral("link.png"));
    ASSERT_TRUE(QFile::link(TestDataPath(QStringLiteral("quads.png")), link));
    TBitmap viaLink;
    TBitmap direct;
    ASSERT_EQ(LoadError(viaLink, link), std::nullopt);
    ASSERT_EQ(LoadError(direct, TestDataPath(QStringLiteral("quads.png"))), std::nullopt);
    EXPECT_TRUE(SameBitmap(direct, viaLink));
}

// read(2) as the file system would give it, failing with `error` once `goodBytes` were read.
ReadCall FailingAfter(qint64 goodBytes, int error) {
    auto delivered = std::make_shared<qint64>(0);
    return [=](int descriptor, void* buffer, std::size_t count) -> ssize_t {
        const qint64 left = goodBytes - *delivered;
        if (left <= 0) {
            errno = error;
            return -1;
        }
        const ssize_t got = ::read(descriptor, buffer, std::min<std::size_t>(count, left));
        if (got > 0)
            *delivered += got;
        return got;
    };
}

TEST_F(FaultyFile, AReadErrorAnywhereIsALoadErrorWithTheSystemsReason) {
    struct Case {
        const char* file;
        double failAt; // the share of the file read before the failure
        int error;
    };
    const Case cases[] = {
        {"quads.bmp", 0.0, EIO},    {"quads.bmp", 0.5, EIO},     {"quads.jpg", 0.5, EIO},
        {"quads.png", 0.5, EIO},    {"anim.gif", 0.5, EIO},      {"pages.tif", 0.5, EIO},
        {"two.ico", 0.5, EIO},      {"bgr24.wmp", 0.5, EIO},     {"quads.jpg", 0.99, EIO},
        {"quads.bmp", 0.5, ESTALE}, {"quads.png", 0.5, EBADMSG},
    };
    for (const Case& c : cases) {
        const QString path = TestDataPath(QString::fromLatin1(c.file));
        SCOPED_TRACE(testing::Message() << c.file << " failing after " << c.failAt);
        ImageLoadOptions options;
        options.read = FailingAfter(qint64(QFileInfo(path).size() * c.failAt), c.error);
        EXPECT_EQ(LoadError(target_, path, options), CannotOpen(path, SystemReason(c.error)));
        ExpectUnchanged();
    }
}

// A read may deliver fewer bytes than asked, or be interrupted by a signal; neither is an error
// nor an end of file.
TEST_F(FaultyFile, ShortAndInterruptedReadsDeliverTheWholeFile) {
    const auto dribble = [interrupt = false](int descriptor, void* buffer,
                                             std::size_t count) mutable -> ssize_t {
        interrupt = !interrupt;
        if (interrupt) {
            errno = EINTR;
            return -1;
        }
        return ::read(descriptor, buffer, std::min<std::size_t>(count, 7));
    };
    for (const char* file : {"quads.bmp", "quads.jpg", "rotated6.jpg", "mask.ico", "bgra32.wmp"}) {
        SCOPED_TRACE(file);
        ImageLoadOptions options;
        options.read = dribble;
        TBitmap dribbled;
        TBitmap plain;
        ASSERT_EQ(LoadError(dribbled, TestDataPath(QString::fromLatin1(file)), options),
                  std::nullopt);
        ASSERT_EQ(LoadError(plain, TestDataPath(QString::fromLatin1(file))), std::nullopt);
        EXPECT_TRUE(SameBitmap(plain, dribbled));
    }
}

} // namespace
