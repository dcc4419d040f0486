// SPDX-License-Identifier: MIT
#include "JxrHelper.h"

#include "JxrHelperProtocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

using namespace JxrHelperProtocol;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t HelperBaseBytes = std::uint64_t(512) << 20;
constexpr std::uint64_t BytesPerPixel = 16;
constexpr std::uint64_t CopiesOfFile = 3;
constexpr std::chrono::seconds BaseCpuTime{5};
constexpr std::uint64_t PixelsPerCpuSecond = 1'000'000;
constexpr int WallTimePerCpuTime = 2;

// Owns a file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// A shared memory file, numbered above the helper's fixed descriptors so that placing one of them
// cannot overwrite the other.
FileDescriptor SharedMemoryFile(const char* name, unsigned flags) {
    const FileDescriptor made(memfd_create(name, MFD_CLOEXEC | flags));
    if (!made.Valid())
        return FileDescriptor();
    return FileDescriptor(fcntl(made.Get(), F_DUPFD_CLOEXEC, PixelsFd + 1));
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, next, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        left -= written;
    }
    return true;
}

// The file's bytes, sealed: the helper decodes exactly what the program checked.
FileDescriptor SealedCopy(const QByteArray& bytes) {
    FileDescriptor file = SharedMemoryFile("halvane-jxr-file", MFD_ALLOW_SEALING);
    if (!file.Valid() || !WriteAll(file.Get(), bytes) || lseek(file.Get(), 0, SEEK_SET) != 0 ||
        fcntl(file.Get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) !=
            0)
        return FileDescriptor();
    return file;
}

std::size_t PixelBytes(QSize size) {
    return std::size_t(size.width()) * std::size_t(size.height()) * 4;
}

// Owns the attributes and file actions of one posix_spawn call.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // The helper sees the file and the pixels at its fixed descriptors, its output goes nowhere,
    // and no other descriptor of the program reaches it. Signals start unblocked and with their
    // default actions, whatever the calling thread had.
    bool Prepare(int fileFd, int pixelsFd) {
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        return posix_spawnattr_setflags(&attributes_,
                                        POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
               posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
               posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
               posix_spawn_file_actions_adddup2(&actions_, fileFd, FileFd) == 0 &&
               posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY,
                                                0) == 0 &&
               posix_spawn_file_actions_adddup2(&actions_, pixelsFd, PixelsFd) == 0 &&
               posix_spawn_file_actions_addclosefrom_np(&actions_, PixelsFd + 1) == 0;
    }

    // 0 with the child's id in `child`, or the error number when it could not be started.
    int Spawn(const QByteArray& path, char* const argv[], pid_t& child) const {
        return posix_spawn(&child, path.constData(), &actions_, &attributes_, argv, environ);
    }

private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

std::optional<pid_t> StartHelper(const QString& helperPath, int fileFd, int pixelsFd, QSize size,
                                 const JxrHelperLimits& limits) {
    const QByteArray path = QFile::encodeName(helperPath);
    std::string arguments[] = {
        path.toStdString(), std::to_string(size.width()), std::to_string(size.height()),
        std::to_string(limits.addressSpaceBytes), std::to_string(limits.cpuTime.count())};
    char* argv[ArgumentCount + 2] = {};
    for (int i = 0; i <= ArgumentCount; ++i)
        argv[i] = arguments[i].data();
    SpawnSetup setup;
    if (!setup.Prepare(fileFd, pixelsFd)) {
        qWarning("JPEG XR helper %s not started: no spawn setup", path.constData());
        return std::nullopt;
    }
    pid_t child = 0;
    if (const int error = setup.Spawn(path, argv, child); error != 0) {
        qWarning("JPEG XR helper %s not started: %s", path.constData(), std::strerror(error));
        return std::nullopt;
    }
    return child;
}

// True when the child ends within `limit`; it is not reaped yet.
bool EndsWithin(pid_t child, std::chrono::milliseconds limit) {
    // Through syscall(): glibc 2.36 declares pidfd_open without C linkage for C++.
    const FileDescriptor exited(int(syscall(SYS_pidfd_open, child, 0)));
    if (!exited.Valid()) {
        qWarning("JPEG XR helper not watched: %s", std::strerror(errno));
        return false;
    }
    const Clock::time_point deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd wait{exited.Get(), POLLIN, 0};
        const int ready = poll(&wait, 1, int(std::min<std::int64_t>(left.count(), INT_MAX)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

// Waits for the child to end within `limit`, kills it when it does not, and reaps it either way.
// The exit status, or nullopt when it was killed for taking too long.
std::optional<int> WaitWithin(pid_t child, std::chrono::milliseconds limit) {
    const bool finished = EndsWithin(child, limit);
    if (!finished)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished)
        return std::nullopt;
    return status;
}

bool Decoded(const std::optional<int>& status, const QByteArray& path) {
    if (!status) {
        qWarning("JPEG XR helper %s stopped: out of time", path.constData());
        return false;
    }
    if (WIFSIGNALED(*status)) {
        qWarning("JPEG XR helper %s stopped by signal %d (%s)", path.constData(), WTERMSIG(*status),
                 strsignal(WTERMSIG(*status)));
        return false;
    }
    if (!WIFEXITED(*status) || WEXITSTATUS(*status) != DecodedExitStatus) {
        qWarning("JPEG XR helper %s ended with status %d", path.constData(),
                 WIFEXITED(*status) ? WEXITSTATUS(*status) : -1);
        return false;
    }
    return true;
}

} // namespace

JxrHelperLimits JxrHelperLimitsFor(QSize size, std::size_t fileBytes) {
    const std::uint64_t pixels = std::uint64_t(size.width()) * std::uint64_t(size.height());
    const std::chrono::seconds cpu =
        BaseCpuTime + std::chrono::seconds(pixels / PixelsPerCpuSecond);
    return JxrHelperLimits{HelperBaseBytes + pixels * BytesPerPixel + fileBytes * CopiesOfFile, cpu,
                           WallTimePerCpuTime * cpu};
}

QString JxrHelperFor(const QString& programDir) {
    const QDir dir(programDir);
    const QString beside = dir.filePath(QLatin1String(ExecutableName));
    if (const QFileInfo file(beside); file.isFile() && file.isExecutable())
        return beside;
    return QDir::cleanPath(dir.filePath(QLatin1String(HALVANE_HELPERS_FROM_PROGRAM) + u'/' +
                                        QLatin1String(ExecutableName)));
}

QString JxrHelperBesideExecutable() {
    return JxrHelperFor(QCoreApplication::applicationDirPath());
}

JxrPixels::~JxrPixels() {
    if (mapping_)
        munmap(const_cast<unsigned char*>(mapping_), PixelBytes(size_));
}

JxrPixels::JxrPixels(JxrPixels&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)), size_(other.size_) {}

QImage JxrPixels::View() const {
    return QImage(mapping_, size_.width(), size_.height(), qsizetype(size_.width()) * 4,
                  QImage::Format_ARGB32_Premultiplied);
}

std::optional<JxrPixels> DecodeJxrInHelper(const QString& helperPath, const QByteArray& fileBytes,
                                           QSize size, const JxrHelperLimits& limits) {
    const FileDescriptor file = SealedCopy(fileBytes);
    const FileDescriptor pixels = SharedMemoryFile("halvane-jxr-pixels", 0);
    if (!file.Valid() || !pixels.Valid() || ftruncate(pixels.Get(), off_t(PixelBytes(size))) != 0) {
        qWarning("JPEG XR helper not started: no shared memory (%s)", std::strerror(errno));
        return std::nullopt;
    }
    const std::optional<pid_t> child =
        StartHelper(helperPath, file.Get(), pixels.Get(), size, limits);
    if (!child || !Decoded(WaitWithin(*child, limits.wallTime), QFile::encodeName(helperPath)))
        return std::nullopt;
    void* mapping = mmap(nullptr, PixelBytes(size), PROT_READ, MAP_SHARED, pixels.Get(), 0);
    if (mapping == MAP_FAILED)
        return std::nullopt;
    return JxrPixels(static_cast<const unsigned char*>(mapping), size);
}
