// SPDX-License-Identifier: MIT
#include "NewFile.h"

#include "AppError.h"

#include <QFile>
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

// A hidden file beside the target, removed again unless it was published.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        if (!name_.isEmpty() && !published_)
            ::unlink(name_.constData());
    }

    // Returns 0 or the errno of the failure. Mode 0666 lets the umask and the folder's default
    // ACL apply as they do to any newly created file.
    int CreateBeside(const QByteArray& target) {
        const QByteArray folder = target.left(target.lastIndexOf('/') + 1);
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

    // Encodes into the file and flushes it to disk, so that a crash after publishing can never
    // leave a truncated file under the real name.
    bool Write(const std::function<bool(QIODevice&)>& encode) {
        QFile file;
        if (!file.open(descriptor_, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return false;
        const bool written = encode(file) && file.flush() && ::fsync(descriptor_) == 0;
        const bool closed = ::close(descriptor_) == 0;
        descriptor_ = -1;
        return written && closed;
    }

    // Returns 0 or the errno of the failure; an existing name is never replaced.
    int PublishAs(const QByteArray& target) {
        if (::renameat2(AT_FDCWD, name_.constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return errno;
            // The filesystem has no rename that refuses an existing name; a hard link does.
            if (::link(name_.constData(), target.constData()) != 0)
                return errno;
            ::unlink(name_.constData());
        }
        published_ = true;
        return 0;
    }

private:
    QByteArray name_;
    int descriptor_ = -1;
    bool published_ = false;
};

} // namespace

void WriteNewFile(const QString& path, const std::function<bool(QIODevice&)>& encode) {
    const QByteArray target = QFile::encodeName(path);
    TemporaryFile temporary;
    if (const int error = temporary.CreateBeside(target))
        ThrowCannotCreate(path, error);
    if (!temporary.Write(encode))
        ThrowSavingFailed();
    if (const int error = temporary.PublishAs(target))
        ThrowCannotCreate(path, error);
}
