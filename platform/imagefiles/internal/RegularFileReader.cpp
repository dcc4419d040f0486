// SPDX-License-Identifier: MIT
#include "RegularFileReader.h"

#include "AppError.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemDescription(int error) {
    char buffer[256];
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

} // namespace

RegularFileReader::RegularFileReader(const QString& path, ReadCall read)
    : path_(path), read_(read ? std::move(read) : ReadCall(&::read)),
      // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer, for good.
      descriptor_(::open(QFile::encodeName(path).constData(),
                         O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {
    if (descriptor_.get() < 0)
        Fail(SystemDescription(errno));
    // Judged on the opened descriptor, so the file cannot be swapped for another in between.
    struct stat status {};
    if (::fstat(descriptor_.get(), &status) != 0)
        Fail(SystemDescription(errno));
    if (S_ISDIR(status.st_mode))
        Fail(SystemDescription(EISDIR));
    if (!S_ISREG(status.st_mode))
        Fail(QStringLiteral("Not a regular file"));
    const int flags = ::fcntl(descriptor_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(descriptor_.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        Fail(SystemDescription(errno));
    size_ = std::uint64_t(status.st_size);
}

RegularFileReader::Descriptor::~Descriptor() {
    if (value_ >= 0)
        ::close(value_);
}

QByteArray RegularFileReader::ReadAll() {
    QByteArray bytes(qsizetype(size_), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got =
            read_(descriptor_.get(), bytes.data() + filled, std::size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail(SystemDescription(errno));
        }
        if (got == 0)
            break; // the file became shorter since it was opened
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}

void RegularFileReader::Fail(const QString& reason) const {
    throw AppError(QStringLiteral("Cannot open file \"%1\". %2")
                       .arg(QFileInfo(path_).absoluteFilePath(), reason));
}
