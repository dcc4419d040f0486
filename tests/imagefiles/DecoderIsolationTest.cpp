// SPDX-License-Identifier: MIT
// Decoding in the helper process: whatever stops the helper (its wall, a crash, a cap, the time
// limit) ends in the load message with the target untouched, and the program keeps no child,
// descriptor or mapping of it.
#include "AppError.h"
#include "Bitmap.h"
#include "DecoderProcess.h"
#include "FileErrors.h"
#include "ImageCompare.h"
#include "ImageDecoder.h"
#include "ImageFile.h"
#include "JxrHeader.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/wait.h>

namespace {

using namespace std::chrono_literals;

// Collects what is logged while it lives.
class LogCapture {
public:
    LogCapture() : previous_(qInstallMessageHandler(&LogCapture::Record)) { Lines().clear(); }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QString Text() const { return Lines().join(u'\n'); }

private:
    static QStringList& Lines() {
        static QStringList lines;
        return lines;
    }
    static void Record(QtMsgType, const QMessageLogContext&, const QString& message) {
        Lines().append(message);
    }
    QtMessageHandler previous_;
};

int OpenDescriptorCount() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                   .size());
}

int SharedMemoryMappingCount() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    return int(maps.readAll().count("memfd:halvane-"));
}

testing::AssertionResult NoChildProcess() {
    int status = 0;
    const pid_t child = waitpid(-1, &status, WNOHANG);
    if (child == -1 && errno == ECHILD)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "a child process is left (waitpid gave " << child << ")";
}

constexpr TAlphaColor Red = 0xFFFF0000;
constexpr TAlphaColor Lime = 0xFF00FF00;
constexpr TAlphaColor Blue = 0xFF0000FF;

// A target holding a known picture, and the process's descriptors before the load.
class HelperEnding : public testing::Test {
protected:
    void SetUp() override {
        FillBitmap(target_, {{Red, Lime}, {Blue, 0x80402010}});
        FillBitmap(before_, {{Red, Lime}, {Blue, 0x80402010}});
        target_.SetObserver([this] { ++notifications_; });
        descriptors_ = OpenDescriptorCount();
    }

    // The load fails with the load message, logs `cause`, and leaves nothing behind.
    void ExpectContainedFailure(const QString& path, const ImageLoadOptions& options,
                                const QString& cause) {
        SCOPED_TRACE(path.toStdString());
        LogCapture log;
        EXPECT_EQ(LoadError(target_, path, options), LoadFailedMessage(path));
        EXPECT_TRUE(log.Text().contains(cause)) << log.Text().toStdString();
        EXPECT_TRUE(SameBitmap(before_, target_));
        EXPECT_EQ(notifications_, 0);
        EXPECT_TRUE(NoChildProcess());
        EXPECT_EQ(OpenDescriptorCount(), descriptors_);
        EXPECT_EQ(SharedMemoryMappingCount(), 0);
    }

    TBitmap target_;
    TBitmap before_;
    int notifications_ = 0;
    int descriptors_ = 0;
};

// The file's bytes with the container's width and height entries renamed to a tag nobody reads,
// so that sizes a mutation garbled no longer contradict the codestream's.
QByteArray WithoutContainerSizes(QByteArray bytes) {
    const quint32 directory = qFromLittleEndian<quint32>(bytes.constData() + 4);
    const quint16 count = qFromLittleEndian<quint16>(bytes.constData() + directory);
    for (quint32 i = 0; i < count; ++i) {
        char* tag = bytes.data() + directory + 2 + i * 12;
        const quint16 value = qFromLittleEndian<quint16>(tag);
        if (value == 0xBC80 || value == 0xBC81)
            qToLittleEndian<quint16>(0xBCFF, tag);
    }
    return bytes;
}

// Mutated copies of the small fixtures, their container sizes taken out. Their headers are then
// sound, so the program starts the helper; the decoding library then dies or gives up inside it.
// In the program's own process each of these would have ended the program, or (the balloon) had
// it allocate over 800 MB for a 4 x 2 picture: a tile layout of 4096 x 4096 tiles.
TEST_F(HelperEnding, DamagedFilesThatKillTheDecoderEndInTheLoadMessage) {
    struct Case {
        const char* file;
        QString cause;
    };
    const Case cases[] = {
        {"jxr_sigsegv.wmp", QStringLiteral("stopped by signal %1").arg(SIGSEGV)},
        {"jxr_sigabrt.wmp", QStringLiteral("stopped by signal %1").arg(SIGABRT)},
        {"jxr_sigfpe.wmp", QStringLiteral("stopped by signal %1").arg(SIGFPE)},
        {"jxr_balloon.wmp", QStringLiteral("ended with status 1")},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const Case& c : cases) {
        const QByteArray bytes =
            WithoutContainerSizes(FileBytes(TestDataPath(QStringLiteral("fuzz/") + c.file)));
        EXPECT_TRUE(JxrImageSize(bytes).has_value()) << c.file << ": header refused";
        const QString path = folder.filePath(QLatin1String(c.file));
        QFile copy(path);
        ASSERT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
        copy.close();
        ExpectContainedFailure(path, {}, c.cause);
    }
}

// Sets what the wall probe does for as long as it lives.
class ProbeMode {
public:
    explicit ProbeMode(const char* attempt, bool confined = true) {
        qputenv("HALVANE_WALL_PROBE", attempt);
        qputenv("HALVANE_WALL_PROBE_UNCONFINED", confined ? "0" : "1");
    }
    ~ProbeMode() {
        qunsetenv("HALVANE_WALL_PROBE");
        qunsetenv("HALVANE_WALL_PROBE_UNCONFINED");
    }
    ProbeMode(const ProbeMode&) = delete;
    ProbeMode& operator=(const ProbeMode&) = delete;
};

ImageLoadOptions ThroughProbe() {
    ImageLoadOptions options;
    options.decoderHelper = QStringLiteral(HALVANE_WALL_PROBE);
    options.decoderTimeLimit = 2s;
    return options;
}

// After confining itself the probe tries what a decoder taken over by a hostile file would: each
// attempt kills it, and the load ends in the load message with nothing changed. The same attempts
// without the filter succeed (the probe then exits with status 7), so the wall is what stops them.
TEST_F(HelperEnding, TheWallKillsTheHelperAtEveryForbiddenCall) {
    const QString killed = QStringLiteral("stopped by signal %1").arg(SIGSYS);
    for (const char* attempt : {"open", "socket", "execve", "fork"}) {
        SCOPED_TRACE(attempt);
        {
            const ProbeMode confined(attempt);
            ExpectContainedFailure(TestDataPath("quads.png"), ThroughProbe(), killed);
        }
        const ProbeMode unconfined(attempt, false);
        ExpectContainedFailure(TestDataPath("quads.png"), ThroughProbe(),
                               QStringLiteral("ended with status 7"));
    }
}

// Whatever the format, a helper that crashes, loops or outgrows its address space is refused
// cleanly; a loop only by the time limit.
TEST_F(HelperEnding, AHelperThatDiesOrHangsIsRefusedForEveryFormat) {
    struct Ending {
        const char* attempt;
        QString cause;
    };
    const Ending endings[] = {
        {"crash", QStringLiteral("stopped by signal %1").arg(SIGSEGV)},
        {"hang", QStringLiteral("out of time")},
        {"memory", QStringLiteral("stopped by signal %1").arg(SIGABRT)},
    };
    const char* files[] = {"quads.bmp", "quads.png", "tiled.tif", "quads.jpg",
                           "anim.gif",  "two.ico",   "bgr24.wmp"};
    for (const Ending& ending : endings) {
        const ProbeMode mode(ending.attempt);
        ImageLoadOptions options = ThroughProbe();
        if (std::string_view(ending.attempt) == "hang")
            options.decoderTimeLimit = 200ms;
        for (const char* file : files) {
            SCOPED_TRACE(std::string(ending.attempt) + " " + file);
            ExpectContainedFailure(TestDataPath(file), options, ending.cause);
        }
    }
}

TEST_F(HelperEnding, MissingHelperEndsInTheLoadMessage) {
    ImageLoadOptions options;
    options.decoderHelper = TestDataPath("missing/halvane-decode");
    ExpectContainedFailure(TestDataPath("bgr24.wmp"), options, QStringLiteral("not started"));
}

// Nothing of the helper is left once the picture is in: no child, descriptor or mapping.
TEST_F(HelperEnding, DecodedPictureLeavesNothingBehind) {
    for (const char* file : {"bgra32.wmp", "quads.jpg", "quads.png"}) {
        SCOPED_TRACE(file);
        LogCapture log;
        TBitmap picture;
        ASSERT_EQ(LoadError(picture, TestDataPath(file)), std::nullopt) << log.Text().toStdString();
        EXPECT_GT(picture.Width(), 0);
        EXPECT_TRUE(NoChildProcess());
        EXPECT_EQ(OpenDescriptorCount(), descriptors_);
        EXPECT_EQ(SharedMemoryMappingCount(), 0);
    }
}

TEST(DecoderHelper, IsLookedForBesideTheExecutable) {
    const QString helper = DecoderHelperBesideExecutable();
    EXPECT_EQ(helper, QCoreApplication::applicationDirPath() + QStringLiteral("/halvane-decode"));
    EXPECT_TRUE(QFileInfo(helper).isExecutable()) << "the build places a copy beside the tests";
}

TEST(DecoderHelper, LimitsGrowWithThePicture) {
    const DecoderLimits header = DecoderLimitsFor(QSize(), 1000);
    const DecoderLimits small = DecoderLimitsFor(QSize(16, 8), 1000);
    const DecoderLimits photo = DecoderLimitsFor(QSize(6000, 4000), 2'000'000);
    // Room for the picture in its widest stored form plus the shared pixels, and for the file.
    EXPECT_GE(photo.addressSpace - small.addressSpace, 24'000'000ull * 12);
    EXPECT_GT(photo.cpuTime, small.cpuTime);
    EXPECT_GE(photo.wallTime, photo.cpuTime);
    // Neither the header nor a tiny picture leaves room for a decoder that wants a gigabyte.
    EXPECT_LE(header.addressSpace, small.addressSpace);
    EXPECT_LT(small.addressSpace, 1ull << 30);
}

// Each JPEG XR fixture holds the same picture as a PNG fixture (encoded without loss); both
// decode to the same premultiplied pixels, every one of them.
TEST(JxrDecoding, DecodesLikeThePngOfTheSamePicture) {
    struct Pair {
        const char* jxr;
        const char* png;
        int tolerance; // per channel: 16-bit samples are rounded to 8 on the way
    };
    const Pair pairs[] = {
        {"bgr24.wmp", "quads.png", 0},       {"rgb24.wmp", "quads.png", 0},
        {"width499.wmp", "width499.png", 0}, {"bgra32.wmp", "alpha.png", 0},
        {"rgba64.wmp", "alpha.png", 1},
    };
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(pair.jxr);
        TBitmap fromJxr;
        TBitmap reference;
        ASSERT_EQ(LoadError(fromJxr, TestDataPath(pair.jxr)), std::nullopt);
        ASSERT_EQ(LoadError(reference, TestDataPath(pair.png)), std::nullopt);
        ASSERT_EQ(fromJxr.Width(), reference.Width());
        ASSERT_EQ(fromJxr.Height(), reference.Height());
        const auto expected = PixelsOf(reference);
        const auto actual = PixelsOf(fromJxr);
        for (std::size_t y = 0; y < expected.size(); ++y)
            for (std::size_t x = 0; x < expected[y].size(); ++x)
                for (int shift = 0; shift < 32; shift += 8) {
                    const int difference =
                        int((expected[y][x] >> shift) & 0xFF) - int((actual[y][x] >> shift) & 0xFF);
                    ASSERT_LE(std::abs(difference), pair.tolerance)
                        << "pixel (" << x << ", " << y << ")";
                }
    }
}

} // namespace

// The helper's picture is the decoders' own, byte for byte: every fixture the helper loads
// decodes to the same pixels in this process, small pictures (whose pixels share heap pages with
// other allocations) and the rotated and reduced ones included.
TEST(DecoderHelper, GivesTheDecodersPicturesUnchanged) {
    const QStringList files =
        QDir(TestDataPath(QString())).entryList({QStringLiteral("*.*")}, QDir::Files);
    int compared = 0;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QString path = TestDataPath(name);
        TBitmap throughHelper;
        if (LoadError(throughHelper, path))
            continue;
        TBitmap here;
        DecodeImage(FileBytes(path), path, 1, UINT64_MAX, here);
        EXPECT_TRUE(SameBitmap(here, throughHelper));
        ++compared;
    }
    EXPECT_GT(compared, 50) << "the fixtures were not found";
}
