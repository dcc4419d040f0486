// SPDX-License-Identifier: MIT
#include "JpegFile.h"

#include "AppError.h"
#include "FileErrors.h"
#include "ImageCompare.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SavingFailed = QStringLiteral("Saving bitmap failed.");

// Flat 16x16 blocks of distinct colours, aligned to the encoder's blocks so that the JPEG keeps
// their insides close to exact; five by three blocks, so a swapped or mirrored picture shows.
constexpr int Block = 16;
const std::vector<std::vector<TAlphaColor>> BlockColours = {
    {0xFFC02020, 0xFF20C020, 0xFF2020C0, 0xFFE0E0E0, 0xFF202020},
    {0xFF808080, 0xFFC0C020, 0xFF20C0C0, 0xFFC020C0, 0xFF604020},
    {0xFFFFFFFF, 0xFF000000, 0xFF4080C0, 0xFFC08040, 0xFF80C040},
};

void FillBlocks(TBitmap& bitmap) {
    std::vector<std::vector<TAlphaColor>> rows;
    for (const auto& blockRow : BlockColours)
        for (int y = 0; y < Block; ++y) {
            std::vector<TAlphaColor> row;
            for (TAlphaColor colour : blockRow)
                row.insert(row.end(), Block, colour);
            rows.push_back(row);
        }
    FillBitmap(bitmap, rows);
}

// Within JPEG's loss on a flat area; a wrong channel order or a dropped colour is far beyond it.
testing::AssertionResult CloseColour(QRgb actual, TAlphaColor expected) {
    constexpr int Tolerance = 8;
    if (qAlpha(actual) != 255)
        return testing::AssertionFailure() << "0x" << std::hex << actual << " is not opaque";
    return NearColour(expected | 0xFF000000u, actual, Tolerance);
}

struct Decoded {
    QByteArray format;
    QImage image;
};

Decoded Decode(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    Decoded decoded;
    decoded.format = reader.format();
    decoded.image = reader.read().convertToFormat(QImage::Format_ARGB32);
    return decoded;
}

void WriteFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::NewOnly));
    file.write(contents);
}

// Root passes every permission check. While this lives, a root process acts as the unprivileged
// user "nobody" (its saved user id lets it switch back), so read-only folders refuse it too.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() : switched_(geteuid() == 0 && seteuid(Nobody) == 0) {}
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
    ~AsOrdinaryUser() {
        if (switched_ && seteuid(0) != 0)
            std::abort();
    }
    static bool PermissionsApply() { return geteuid() != 0; }

private:
    static constexpr uid_t Nobody = 65534;
    bool switched_;
};

class JpegFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QString Path(const QString& name) const { return folder_.filePath(name); }

    // Every entry below the folder, hidden ones included, so that a stray temporary file shows.
    QStringList Entries() const {
        QStringList entries;
        QDirIterator it(folder_.path(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            entries << QDir(folder_.path()).relativeFilePath(it.next());
        entries.sort();
        return entries;
    }

    QTemporaryDir folder_;
};

TEST_F(JpegFileTest, WrittenFileIsAJpegOfThePictureAtFullSize) {
    TBitmap bitmap;
    FillBlocks(bitmap);
    const QString path = Path(QStringLiteral("blocks.jpg"));
    SaveBitmapAsJpeg(bitmap, path);

    const Decoded decoded = Decode(path);
    EXPECT_EQ(decoded.format, "jpeg");
    ASSERT_EQ(decoded.image.size(), QSize(5 * Block, 3 * Block));
    // Block borders may bleed through chroma upsampling; the insides must hold their colour.
    constexpr int Inset = 4;
    for (int by = 0; by < 3; ++by)
        for (int bx = 0; bx < 5; ++bx)
            for (int y = by * Block + Inset; y < (by + 1) * Block - Inset; ++y)
                for (int x = bx * Block + Inset; x < (bx + 1) * Block - Inset; ++x)
                    ASSERT_TRUE(CloseColour(decoded.image.pixel(x, y), BlockColours[by][bx]))
                        << "at (" << x << ", " << y << ")";
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("blocks.jpg")});
}

TEST_F(JpegFileTest, UsesTheEncoderDefaultsOnly) {
    TBitmap bitmap;
    FillBlocks(bitmap);
    const QString path = Path(QStringLiteral("defaults.jpg"));
    SaveBitmapAsJpeg(bitmap, path);

    // A plain encode of the same opaque picture with no option set.
    QByteArray plain;
    QBuffer buffer(&plain);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "jpeg").write(bitmap.ImageView()));
    EXPECT_TRUE(FileBytes(path) == plain);
}

TEST_F(JpegFileTest, HasThePermissionsOfANormallyCreatedFile) {
    const mode_t previous = umask(022);
    const auto restoreUmask = qScopeGuard([previous] { umask(previous); });
    TBitmap bitmap;
    FillBlocks(bitmap);
    const QString path = Path(QStringLiteral("mode.jpg"));
    SaveBitmapAsJpeg(bitmap, path);
    WriteFile(Path(QStringLiteral("normal")), "x");

    struct stat saved {};
    struct stat normal {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &saved), 0);
    ASSERT_EQ(stat(QFile::encodeName(Path(QStringLiteral("normal"))).constData(), &normal), 0);
    EXPECT_EQ(saved.st_mode & 07777, normal.st_mode & 07777);
}

TEST_F(JpegFileTest, BareNameIsWrittenInTheWorkingFolder) {
    const QString previous = QDir::currentPath();
    const auto restoreFolder = qScopeGuard([previous] { QDir::setCurrent(previous); });
    ASSERT_TRUE(QDir::setCurrent(folder_.path()));
    // As an ordinary user, so that a temporary file misplaced in "/" cannot go unnoticed.
    ASSERT_EQ(chmod(QFile::encodeName(folder_.path()).constData(), 0777), 0);
    TBitmap bitmap;
    FillBlocks(bitmap);
    QString error;
    {
        AsOrdinaryUser ordinary;
        error = SaveError(bitmap, QStringLiteral("bare.jpg"));
    }
    EXPECT_EQ(error, QString());
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("bare.jpg")});
}

// The alpha channel is dropped and the colour channels kept as the bitmap holds them
// (premultiplied), so a semi-transparent pixel is stored as it looks over black.
TEST_F(JpegFileTest, AlphaIsNotStored) {
    struct Case {
        const char* what;
        TAlphaColor held;
        TAlphaColor stored;
    };
    const Case cases[] = {
        {"half transparent", 0x80643219, 0xFF643219},
        {"mostly transparent", 0x40402010, 0xFF402010},
        {"fully transparent", 0x00000000, 0xFF000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBitmap bitmap;
        FillBitmap(bitmap, std::vector<std::vector<TAlphaColor>>(
                               Block, std::vector<TAlphaColor>(Block, c.held)));
        const QString path = Path(QString::fromLatin1(c.what) + QStringLiteral(".jpg"));
        SaveBitmapAsJpeg(bitmap, path);

        const Decoded decoded = Decode(path);
        ASSERT_EQ(decoded.image.size(), QSize(Block, Block));
        EXPECT_TRUE(CloseColour(decoded.image.pixel(Block / 2, Block / 2), c.stored));
    }
}

TEST_F(JpegFileTest, AcceptsJpegExtensionsInAnyLetterCase) {
    const char* const names[] = {"a.jpg",
                                 "b.JPG",
                                 "c.Jpg",
                                 "d.jpeg",
                                 "e.JPEG",
                                 "f.x.jpg",
                                 "g with spaces.jpg",
                                 "h\u00e9\u4e16.jpg"};
    TBitmap bitmap;
    FillBlocks(bitmap);
    QStringList written;
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const QString path = Path(QString::fromUtf8(name));
        EXPECT_EQ(SaveError(bitmap, path), QString());
        EXPECT_EQ(Decode(path).format, "jpeg");
        written << QString::fromUtf8(name);
    }
    written.sort();
    EXPECT_EQ(Entries(), written);
}

TEST_F(JpegFileTest, OtherExtensionsFailAndLeaveNoFile) {
    const char* const names[] = {"a.png", "b.bmp", "c", "d.jpg.png", "e.jpgx", "jpg", "f.jpg."};
    TBitmap bitmap;
    FillBlocks(bitmap);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(SaveError(bitmap, Path(QString::fromUtf8(name))), SavingFailed);
    }
    EXPECT_EQ(Entries(), QStringList());
}

TEST_F(JpegFileTest, EmptyBitmapFailsAndLeavesNoFile) {
    const QSize sizes[] = {{0, 0}, {7, 0}, {0, 7}};
    for (const QSize& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        TBitmap bitmap;
        bitmap.SetSize(size.width(), size.height());
        EXPECT_EQ(SaveError(bitmap, Path(QStringLiteral("empty.jpg"))), SavingFailed);
        EXPECT_EQ(Entries(), QStringList());
    }
}

TEST_F(JpegFileTest, NeverReplacesAnExistingName) {
    struct Case {
        const char* what;
        std::function<void(const QString& path)> make;
        std::function<void(const QString& path)> check;
    };
    const auto isFileWithOldContents = [](const QString& path) {
        EXPECT_EQ(FileBytes(path), QByteArray("old contents"));
    };
    const Case cases[] = {
        {"file", [](const QString& path) { WriteFile(path, "old contents"); },
         isFileWithOldContents},
        {"folder", [](const QString& path) { ASSERT_TRUE(QDir().mkdir(path)); },
         [](const QString& path) { EXPECT_TRUE(QFileInfo(path).isDir()); }},
        {"link to a file",
         [this](const QString& path) {
             WriteFile(Path(QStringLiteral("target")), "old contents");
             ASSERT_TRUE(QFile::link(Path(QStringLiteral("target")), path));
         },
         [this, isFileWithOldContents](const QString& path) {
             EXPECT_TRUE(QFileInfo(path).isSymLink());
             isFileWithOldContents(Path(QStringLiteral("target")));
         }},
        {"link to nothing",
         [this](const QString& path) {
             ASSERT_TRUE(QFile::link(Path(QStringLiteral("nothing")), path));
         },
         [this](const QString& path) {
             EXPECT_TRUE(QFileInfo(path).isSymLink());
             EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("nothing"))));
         }},
    };
    TBitmap bitmap;
    FillBlocks(bitmap);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = Path(QString::fromLatin1(c.what) + QStringLiteral(".jpg"));
        c.make(path);
        const QStringList before = Entries();
        EXPECT_EQ(SaveError(bitmap, path), CannotCreate(path, EEXIST));
        c.check(path);
        EXPECT_EQ(Entries(), before);
    }
}

TEST_F(JpegFileTest, UncreatableFileGivesTheSystemsDescription) {
    struct Case {
        const char* what;
        const char* name;
        int error;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"missing folder", "missing/x.jpg", ENOENT, [] {}},
        {"folder is a file", "plain/x.jpg", ENOTDIR,
         [this] { WriteFile(Path(QStringLiteral("plain")), "plain"); }},
        {"name too long", nullptr, ENAMETOOLONG, [] {}},
    };
    TBitmap bitmap;
    FillBlocks(bitmap);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const QString path = c.name ? Path(QString::fromLatin1(c.name))
                                    : Path(QString(300, QLatin1Char('n')) + QStringLiteral(".jpg"));
        const QStringList before = Entries();
        EXPECT_EQ(SaveError(bitmap, path), CannotCreate(path, c.error));
        EXPECT_EQ(Entries(), before);
    }
}

TEST_F(JpegFileTest, ReadOnlyFolderGivesTheSystemsDescription) {
    // An ordinary user must be able to reach the read-only folder for the case to mean anything.
    ASSERT_EQ(chmod(QFile::encodeName(folder_.path()).constData(), 0755), 0);
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("read-only")));
    ASSERT_EQ(chmod(QFile::encodeName(Path(QStringLiteral("read-only"))).constData(), 0555), 0);
    TBitmap bitmap;
    FillBlocks(bitmap);
    const QString path = Path(QStringLiteral("read-only/x.jpg"));
    QString error;
    {
        AsOrdinaryUser ordinary;
        if (!AsOrdinaryUser::PermissionsApply())
            GTEST_SKIP() << "running as root without the right to switch user ids, so folder "
                            "permissions do not apply";
        error = SaveError(bitmap, path);
    }
    EXPECT_EQ(error, CannotCreate(path, EACCES));
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("read-only")});
}

} // namespace
