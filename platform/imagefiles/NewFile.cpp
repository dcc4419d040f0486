// SPDX-License-Identifier: MIT
#include "NewFile.h"

#include "AppError.h"

#include <QFile>
#include <QIODevice>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowSavingFailed() {
    throw AppError(QStringLiteral("Saving bitmap failed."));
}

[[noreturn]] void ThrowCannotCreate(const QString& path, int error) {
    char buffer[256];
    const char* description = strerror_r(error, buffer, sizeof buffer);
    throw AppError(QStringLiteral("Cannot create file \"%1\". %2")
                       .arg(path, QString::fromLocal8Bit(description)));
}

// The encoder's output, written whole to a descriptor. The errno of the first failed write is
// kept, since the encoder only learns that writing failed, not why.
class DescriptorWriter final : public QIODevice {
public:
    DescriptorWriter(int descriptor, const WriteCall& write)
        : descriptor_(descriptor), write_(write ? write : WriteCall(&::write)) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    int Error() const { return error_; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        qint64 written = 0;
        while (written < size) {
            const ssize_t count = write_(descriptor_, data + written, std::size_t(size - written));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                // write(2) gives 0 only where nothing more fits.
                error_ = count < 0 ? errno : ENOSPC;
                return -1;
            }
            written += count;
        }
        return written;
    }

private:
    int descriptor_;
    WriteCall write_;
    int error_ = 0;
};

// The file the JPEG is written into before it gets its name. Unnamed where the filesystem allows
// (O_TMPFILE), so that no directory entry exists until it is published and a crash leaves
// nothing behind; otherwise a hidden file beside the target, removed again unless published.
class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        if (!name_.isEmpty() && !published_)
            ::unlink(name_.constData());
    }

    int Descriptor() const { return descriptor_; }

    // Returns 0 or the errno of the failure. Mode 0666 lets the umask and the folder's default
    // ACL apply as they do to any newly created file.
    int CreateBeside(const QByteArray& target) {
        const QByteArray folder = target.left(target.lastIndexOf('/') + 1);
        descriptor_ = ::open(folder.isEmpty() ? "." : folder.constData(),
                             O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (descriptor_ >= 0)
            return 0;
        // The errors of a filesystem or kernel without unnamed files.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
        return CreateNamed(folder);
    }

    // Flushes the file to disk, so that a crash after publishing can never leave a truncated
    // file under the real name. Returns 0 or the errno of the failure.
    int Flush() { return ::fsync(descriptor_) == 0 ? 0 : errno; }

    // Returns 0 or the errno of the failure; an existing name is never replaced.
    int PublishAs(const QByteArray& target) {
        const int error = name_.isEmpty() ? LinkUnnamed(target) : RenameNamed(target);
        published_ = error == 0;
        return error;
    }

private:
    int CreateNamed(const QByteArray& folder) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = folder + ".halvane-" +
                                    QByteArray::number(QRandomGenerator::global()->generate(), 16) +
                                    ".tmp";
            descriptor_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor_ >= 0) {
                name_ = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    int LinkUnnamed(const QByteArray& target) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(descriptor_);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW))
            return LinkWithoutProc(target, errno);
        return 0;
    }

    // Without /proc, only a process allowed to link any open file can name it.
    int LinkWithoutProc(const QByteArray& target, int procError) {
        if (procError != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
            return procError;
        if (::linkat(descriptor_, "", AT_FDCWD, target.constData(), AT_EMPTY_PATH))
            return errno;
        return 0;
    }

    int RenameNamed(const QByteArray& target) {
        if (::renameat2(AT_FDCWD, name_.constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        // The filesystem has no rename that refuses an existing name; a hard link does.
        if (::link(name_.constData(), target.constData()) != 0)
            return errno;
        ::unlink(name_.constData());
        return 0;
    }

    QByteArray name_;
    int descriptor_ = -1;
    bool published_ = false;
};

} // namespace

void WriteNewFile(const QString& path, const std::function<bool(QIODevice&)>& encode,
                  const WriteCall& write) {
    const QByteArray target = QFile::encodeName(path);
    PendingFile file;
    if (const int error = file.CreateBeside(target))
        ThrowCannotCreate(path, error);
    DescriptorWriter device(file.Descriptor(), write);
    if (!encode(device)) {
        if (device.Error())
            ThrowCannotCreate(path, device.Error());
        ThrowSavingFailed();
    }
    if (const int error = file.Flush())
        ThrowCannotCreate(path, error);
    if (const int error = file.PublishAs(target))
        ThrowCannotCreate(path, error);
}
