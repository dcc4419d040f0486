// SPDX-License-Identifier: MIT
#include "DecoderProcess.h"

#include "AvailableMemory.h"
#include "DecoderProtocol.h"
#include "ImageHeader.h"
#include "PictureMemory.h"
#include "WholeWrite.h"

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
#include <exception>
#include <fcntl.h>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace {

using namespace DecoderProtocol;
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
    ~FileDescriptor() { Close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Close() {
        if (fd_ >= 0)
            close(std::exchange(fd_, -1));
    }

private:
    int fd_;
};

// A descriptor numbered above the helper's fixed one, so that placing it cannot overwrite
// another.
FileDescriptor AboveFixedDescriptors(FileDescriptor made) {
    if (!made.Valid())
        return FileDescriptor();
    return FileDescriptor(fcntl(made.Get(), F_DUPFD_CLOEXEC, ChannelFd + 1));
}

// The most a pipe may hold without privileges by default: fewer trips for the pixels.
constexpr int PixelsPipeBytes = 1 << 20;

// The pipe the pixels come through: reading end, writing end.
std::optional<std::pair<FileDescriptor, FileDescriptor>> PixelsPipe() {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC) != 0)
        return std::nullopt;
    FileDescriptor reading(ends[0]);
    FileDescriptor writing(ends[1]);
    fcntl(writing.Get(), F_SETPIPE_SZ, PixelsPipeBytes); // a smaller pipe only takes more trips
    return std::make_pair(std::move(reading), std::move(writing));
}

// The file's bytes, sealed: the helper decodes exactly what the program read.
FileDescriptor SealedCopy(const QByteArray& bytes) {
    FileDescriptor file(memfd_create("halvane-file", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!file.Valid() || !WriteWhole(file.Get(), bytes.constData(), std::size_t(bytes.size())) ||
        fcntl(file.Get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) !=
            0)
        return FileDescriptor();
    return file;
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

    // The helper sees the channel at its fixed descriptor and /dev/null for the standard ones:
    // its output and the decoders' remarks on damaged files go nowhere (the program logs how the
    // helper ended). No other descriptor of the program reaches it. Signals start unblocked and
    // with their default actions, whatever the calling thread had.
    bool Prepare(int channelFd) {
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        return posix_spawnattr_setflags(&attributes_,
                                        POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
               posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
               posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
               posix_spawn_file_actions_adddup2(&actions_, channelFd, ChannelFd) == 0 &&
               posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY,
                                                0) == 0 &&
               posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY,
                                                0) == 0 &&
               posix_spawn_file_actions_adddup2(&actions_, STDOUT_FILENO, STDERR_FILENO) == 0 &&
               posix_spawn_file_actions_addclosefrom_np(&actions_, ChannelFd + 1) == 0;
    }

    // 0 with the child's id in `child`, or the error number when it could not be started.
    int Spawn(const QByteArray& path, char* const argv[], pid_t& child) const {
        return posix_spawn(&child, path.constData(), &actions_, &attributes_, argv, environ);
    }

private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

// One run of the helper, from its start to its reaping: a run given up on the way (an error, an
// exception, the end of the process for a spare) kills and reaps the helper, so that none is left
// behind.
class HelperRun {
public:
    HelperRun(QByteArray path, pid_t child, FileDescriptor channel)
        : path_(std::move(path)), child_(child), channel_(std::move(channel)),
          exited_(int(syscall(SYS_pidfd_open, child, 0))) {}
    ~HelperRun() {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            Reap();
        }
    }
    HelperRun(HelperRun&& other) noexcept
        : path_(std::move(other.path_)), child_(std::exchange(other.child_, -1)),
          channel_(std::move(other.channel_)), pixels_(std::move(other.pixels_)),
          exited_(std::move(other.exited_)), deadline_(other.deadline_) {}
    HelperRun(const HelperRun&) = delete;
    HelperRun& operator=(const HelperRun&) = delete;
    HelperRun& operator=(HelperRun&&) = delete;

    const QByteArray& Path() const { return path_; }
    pid_t Child() const { return child_; }

    void SetDeadline(std::chrono::milliseconds fromNow) { deadline_ = Clock::now() + fromNow; }

    // Sends the file and the pipe's writing end; keeps the reading end for the pixels. Through
    // sendmsg() with MSG_NOSIGNAL, as every write to the channel: a helper that has died must not
    // take the program with it by SIGPIPE.
    bool HandOver(const FileDescriptor& file, FileDescriptor pixelsReading,
                  const FileDescriptor& pixelsWriting) {
        pixels_ = std::move(pixelsReading);
        const char byte = 0;
        iovec data{const_cast<char*>(&byte), 1};
        alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(2 * sizeof(int));
        const int descriptors[2] = {file.Get(), pixelsWriting.Get()};
        std::memcpy(CMSG_DATA(header), descriptors, sizeof descriptors);
        return SendOn(message);
    }

    bool SendGoAhead() {
        const char go = 1;
        iovec data{const_cast<char*>(&go), 1};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        return SendOn(message);
    }

    // A size the helper sends; nullopt when the channel closes or the deadline passes first.
    std::optional<QSize> ReceiveSize() {
        PictureSize message;
        if (!Receive(channel_.Get(), reinterpret_cast<char*>(&message), sizeof message))
            return std::nullopt;
        return QSize(message.width, message.height);
    }

    // The picture's pixels, into `into`'s storage; false when the pipe closes or the deadline
    // passes first.
    bool ReceivePixels(TBitmap& into) {
        return Receive(pixels_.Get(), reinterpret_cast<char*>(into.Bits()), into.ByteCount());
    }

    // The helper's exit status once it ends within the deadline; nullopt when it has to be
    // killed for time. The helper is reaped either way.
    std::optional<int> Finish() {
        const bool ended = WaitReadable(exited_.Get());
        if (!ended)
            kill(child_, SIGKILL);
        const int status = Reap();
        if (!ended)
            return std::nullopt;
        return status;
    }

    // Whether the helper has ended already (a spare that died waiting).
    bool Ended() const {
        pollfd check{exited_.Get(), POLLIN, 0};
        return exited_.Valid() && poll(&check, 1, 0) != 0;
    }

    // Whether its ending can be seen without waiting for it (Ended()).
    bool Watched() const { return exited_.Valid(); }

    // Whether the helper has said more or ended since the last message: nothing to wait for.
    bool Answered() const {
        pollfd check[2] = {{channel_.Get(), POLLIN, 0}, {exited_.Get(), POLLIN, 0}};
        return poll(check, 2, 0) != 0;
    }

    // Ends the helper without waiting for it: it is reaped once Ended().
    void Stop() {
        if (child_ > 0)
            kill(child_, SIGKILL);
    }

private:
    bool SendOn(const msghdr& message) {
        ssize_t sent = 0;
        while ((sent = sendmsg(channel_.Get(), &message, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
        }
        return sent == 1;
    }

    // Waits until `fd` can be read, up to the deadline.
    bool WaitReadable(int fd) const {
        if (fd < 0)
            return false;
        for (;;) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd wait{fd, POLLIN, 0};
            const int ready = poll(&wait, 1, int(std::min<std::int64_t>(left.count(), INT_MAX)));
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

    bool Receive(int fd, char* into, std::size_t bytes) {
        while (bytes > 0) {
            if (!WaitReadable(fd))
                return false;
            const ssize_t got = read(fd, into, bytes);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            into += got;
            bytes -= std::size_t(got);
        }
        return true;
    }

    int Reap() {
        int status = 0;
        while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
        }
        child_ = -1;
        return status;
    }

    QByteArray path_;
    pid_t child_;
    FileDescriptor channel_;
    FileDescriptor pixels_;
    FileDescriptor exited_;
    Clock::time_point deadline_ = Clock::now();
};

// Starts a helper, which readies itself (libraries, plug-ins, storage for a picture of
// `readySize`, its wall) and waits for a file. Its soft limits are the header's for an empty
// file; HandOver's caller raises them.
std::optional<HelperRun> StartHelper(const QString& helperPath, QSize readySize = QSize()) {
    const QByteArray path = QFile::encodeName(helperPath);
    int ends[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        qWarning("Decoder helper not started: no channel (%s)", std::strerror(errno));
        return std::nullopt;
    }
    FileDescriptor programEnd(ends[0]);
    const FileDescriptor helperEnd = AboveFixedDescriptors(FileDescriptor(ends[1]));
    const DecoderLimits start = DecoderLimitsFor(QSize(), 0);
    std::string arguments[] = {path.toStdString(), std::to_string(start.addressSpace),
                               std::to_string(start.cpuTime.count()),
                               std::to_string(std::max(readySize.width(), 0)),
                               std::to_string(std::max(readySize.height(), 0))};
    char* argv[ArgumentCount + 2] = {};
    for (int i = 0; i <= ArgumentCount; ++i)
        argv[i] = arguments[i].data();
    SpawnSetup setup;
    if (!helperEnd.Valid() || !setup.Prepare(helperEnd.Get())) {
        qWarning("Decoder helper %s not started: no spawn setup", path.constData());
        return std::nullopt;
    }
    pid_t child = 0;
    if (const int error = setup.Spawn(path, argv, child); error != 0) {
        qWarning("Decoder helper %s not started: %s", path.constData(), std::strerror(error));
        return std::nullopt;
    }
    // Only the helper holds its end now, so the channel closes when it ends.
    return std::optional<HelperRun>(std::in_place, path, child, std::move(programEnd));
}

// Helpers started ahead of the loads that will use them, per helper executable; killed and
// reaped when the process ends. A load takes one and starts the next, which readies itself
// while the program shows the picture, storage for a picture of the last one's size included:
// the next photo is most often one from the same camera. That storage is the spare's memory
// while it waits, decoded into, or given back when the file declares a size it would not keep.
class SpareHelpers {
public:
    static SpareHelpers& Instance() {
        static SpareHelpers spares;
        return spares;
    }

    std::optional<HelperRun> Take(const QString& helperPath) {
        const std::lock_guard lock(mutex_);
        ReapRetired();
        std::vector<HelperRun>& waiting = spares_[helperPath];
        while (!waiting.empty()) {
            HelperRun spare = std::move(waiting.back());
            waiting.pop_back();
            if (!spare.Ended())
                return spare;
        }
        return std::nullopt;
    }

    // A spare not started is no load's failure: the next load starts its helper itself.
    void StartOne(const QString& helperPath) noexcept {
        try {
            QSize readySize;
            {
                const std::lock_guard lock(mutex_);
                readySize = lastPictureSizes_[helperPath];
            }
            std::optional<HelperRun> spare = StartHelper(helperPath, readySize);
            if (!spare)
                return;
            const std::lock_guard lock(mutex_);
            spares_[helperPath].push_back(std::move(*spare));
        } catch (const std::exception& error) {
            qWarning("Decoder helper not started as a spare: %s", error.what());
        }
    }

    // Ends a helper that has given its picture, of `pictureSize`, and keeps it until it has
    // ended: its exit, which unmaps all it had, is no load's to wait for. One whose ending cannot
    // be watched is reaped now.
    void Retire(HelperRun run, QSize pictureSize) {
        run.Stop();
        const std::lock_guard lock(mutex_);
        lastPictureSizes_[QFile::decodeName(run.Path())] = pictureSize;
        ReapRetired();
        if (run.Watched())
            retired_.push_back(std::move(run));
    }

private:
    // Under the lock.
    void ReapRetired() {
        retired_.remove_if([](const HelperRun& done) { return done.Ended(); });
    }

    std::mutex mutex_;
    std::map<QString, std::vector<HelperRun>> spares_;
    std::list<HelperRun> retired_;
    std::map<QString, QSize> lastPictureSizes_;
};

// Logs why a helper that gave no picture ended, once it has been reaped.
void LogEnding(const QByteArray& path, const std::optional<int>& status) {
    if (!status)
        qWarning("Decoder helper %s stopped: out of time", path.constData());
    else if (WIFSIGNALED(*status))
        qWarning("Decoder helper %s stopped by signal %d (%s)", path.constData(), WTERMSIG(*status),
                 strsignal(WTERMSIG(*status)));
    else if (!WIFEXITED(*status) || WEXITSTATUS(*status) != DecodedExitStatus)
        qWarning("Decoder helper %s ended with status %d", path.constData(),
                 WIFEXITED(*status) ? WEXITSTATUS(*status) : -1);
}

// Sets the helper's limits to `limits`, soft and hard alike, so that it can take no more.
bool LimitHelper(pid_t child, const DecoderLimits& limits) {
    const rlimit addressSpace{rlim_t(limits.addressSpace), rlim_t(limits.addressSpace)};
    const rlimit cpu{rlim_t(limits.cpuTime.count()), rlim_t(limits.cpuTime.count() + 1)};
    return prlimit(child, RLIMIT_AS, &addressSpace, nullptr) == 0 &&
           prlimit(child, RLIMIT_CPU, &cpu, nullptr) == 0;
}

// Raises the helper's soft limits to `limits`, its hard ones left as they are for the next step.
bool RaiseHelper(pid_t child, const DecoderLimits& limits) {
    const auto raise = [child](decltype(RLIMIT_AS) resource, rlim_t soft) {
        rlimit limit{};
        if (prlimit(child, resource, nullptr, &limit) != 0)
            return false;
        limit.rlim_cur = std::min(soft, limit.rlim_max);
        return prlimit(child, resource, &limit, nullptr) == 0;
    };
    return raise(RLIMIT_AS, rlim_t(limits.addressSpace)) &&
           raise(RLIMIT_CPU, rlim_t(limits.cpuTime.count()));
}

bool Sensible(QSize size) {
    return size.width() > 0 && size.height() > 0;
}

// Whether the decoded size the helper reports fits what it declared: the same picture, turned or
// reduced to TBitmap::MaxSide.
bool FitsDeclared(QSize declared, QSize decoded) {
    return Sensible(decoded) && decoded.width() <= TBitmap::MaxSide &&
           decoded.height() <= TBitmap::MaxSide &&
           qint64(decoded.width()) * decoded.height() <=
               qint64(declared.width()) * declared.height();
}

// Backs `picture`'s pages a part at a time for as long as the helper has not answered: a file
// that declares a large picture and fails at once costs no more than the answer's wait.
void PopulateWhileDecoding(const HelperRun& run, TBitmap& picture) {
    constexpr std::size_t Part = std::size_t(8) << 20;
    const std::size_t bytes = picture.ByteCount();
    for (std::size_t done = 0; done < bytes && !run.Answered(); done += Part)
        PopulatePictureMemory(picture.Bits() + done, std::min(Part, bytes - done));
}

// A spare where one waits, else a helper started now.
std::optional<HelperRun> SpareOrNewHelper(const QString& helperPath) {
    std::optional<HelperRun> spare = SpareHelpers::Instance().Take(helperPath);
    return spare ? std::move(spare) : StartHelper(helperPath);
}

// One load through `run`, up to the picture swapped into `into`; throws as DecodeInHelper. The
// run ends with the load: the helper is killed, and reaped at once, or by the spares' pool once
// it has given a picture to a load that keeps spares.
void DecodeThrough(HelperRun run, const QByteArray& bytes, const QString& path,
                   const ImageLoadOptions& options, TBitmap& into) {
    const std::uint64_t memoryLimit = options.memoryLimit.value_or(AvailableMemoryBytes());
    const std::size_t fileBytes = std::size_t(bytes.size());
    const FileDescriptor file = SealedCopy(bytes);
    std::optional<std::pair<FileDescriptor, FileDescriptor>> pixels = PixelsPipe();
    if (!file.Valid() || !pixels) {
        qWarning("Decoder helper not started: no shared memory or pipe (%s)", std::strerror(errno));
        ThrowLoadFailed(path);
    }
    const auto wallTime = [&](QSize size) {
        return options.decoderTimeLimit.value_or(DecoderLimitsFor(size, fileBytes).wallTime);
    };
    run.SetDeadline(wallTime(QSize()));
    // The program keeps no writing end of the pipe, so that it closes when the helper ends.
    const bool handedOver = RaiseHelper(run.Child(), DecoderLimitsFor(QSize(), fileBytes)) &&
                            run.HandOver(file, std::move(pixels->first), pixels->second);
    pixels->second.Close();
    const std::optional<QSize> declared = handedOver ? run.ReceiveSize() : std::optional<QSize>();
    if (!declared) {
        LogEnding(run.Path(), run.Finish());
        ThrowLoadFailed(path);
    }
    // From here every way out but a picture kills the helper (HelperRun's destructor).
    if (!Sensible(*declared)) {
        qWarning("Decoder helper %s declared no picture", run.Path().constData());
        ThrowLoadFailed(path);
    }
    RequireWorkingSetFits(*declared, options.workingSetBitmaps, memoryLimit);
    if (!LimitHelper(run.Child(), DecoderLimitsFor(*declared, fileBytes)) || !run.SendGoAhead()) {
        qWarning("Decoder helper %s not let on: %s", run.Path().constData(), std::strerror(errno));
        ThrowLoadFailed(path);
    }
    run.SetDeadline(wallTime(*declared));
    // The program's storage for the picture is made ready while the helper decodes: its page
    // faults, taken during the copy from the pipe, had cost more than the copy itself. A picture
    // beyond the largest side comes reduced, in storage made for its decoded size.
    TBitmap picture;
    if (declared->width() <= TBitmap::MaxSide && declared->height() <= TBitmap::MaxSide) {
        picture.SetSize(declared->width(), declared->height());
        PopulateWhileDecoding(run, picture);
    }
    const std::optional<QSize> decoded = run.ReceiveSize();
    if (decoded && !FitsDeclared(*declared, *decoded)) {
        qWarning("Decoder helper %s reported a picture it did not declare", run.Path().constData());
        ThrowLoadFailed(path);
    }
    if (decoded)
        picture.SetSize(decoded->width(), decoded->height());
    if (!decoded || !run.ReceivePixels(picture)) {
        LogEnding(run.Path(), run.Finish());
        ThrowLoadFailed(path);
    }
    // Every pixel is in: the helper's ending can tell nothing more of the picture.
    if (options.spareHelper)
        SpareHelpers::Instance().Retire(std::move(run), QSize(picture.Width(), picture.Height()));
    into.Swap(picture);
}

} // namespace

DecoderLimits DecoderLimitsFor(QSize size, std::size_t fileBytes) {
    const std::uint64_t pixels =
        std::uint64_t(std::max(size.width(), 0)) * std::uint64_t(std::max(size.height(), 0));
    const std::chrono::seconds cpu =
        BaseCpuTime + std::chrono::seconds(pixels / PixelsPerCpuSecond);
    return DecoderLimits{HelperBaseBytes + pixels * BytesPerPixel + fileBytes * CopiesOfFile, cpu,
                         WallTimePerCpuTime * cpu};
}

QString DecoderHelperFor(const QString& programDir) {
    const QDir dir(programDir);
    const QString beside = dir.filePath(QLatin1String(ExecutableName));
    if (const QFileInfo file(beside); file.isFile() && file.isExecutable())
        return beside;
    return QDir::cleanPath(dir.filePath(QLatin1String(HALVANE_HELPERS_FROM_PROGRAM) + u'/' +
                                        QLatin1String(ExecutableName)));
}

QString DecoderHelperBesideExecutable() {
    return DecoderHelperFor(QCoreApplication::applicationDirPath());
}

void StartSpareDecoderHelper() {
    SpareHelpers::Instance().StartOne(DecoderHelperBesideExecutable());
}

void DecodeInHelper(const QByteArray& bytes, const QString& path, const ImageLoadOptions& options,
                    TBitmap& into) {
    const QString helper =
        options.decoderHelper.isEmpty() ? DecoderHelperBesideExecutable() : options.decoderHelper;
    const auto decodeThrough = [&](std::optional<HelperRun> run) {
        if (!run)
            ThrowLoadFailed(path);
        DecodeThrough(std::move(*run), bytes, path, options, into);
    };
    if (!options.spareHelper) {
        decodeThrough(StartHelper(helper));
        return;
    }
    // The next spare is started once this load has ended, however it ends: readying itself
    // during the decode, it had taken a core from it.
    std::exception_ptr failure;
    try {
        decodeThrough(SpareOrNewHelper(helper));
    } catch (...) {
        failure = std::current_exception();
    }
    SpareHelpers::Instance().StartOne(helper);
    if (failure)
        std::rethrow_exception(failure);
}
