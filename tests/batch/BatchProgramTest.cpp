// SPDX-License-Identifier: MIT
// halvane-batch as a user runs it: exit status, what it says, what it writes and what it leaves.
#include "BatchProgram.h"
#include "ImageCompare.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BatchProgram : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(folder.path()).mkdir("out"));
        out = folder.filePath("out");
    }
    // A picture with some detail in every channel, written as PNG.
    QString Picture(const QString& name, int width = 40, int height = 30) {
        QImage picture(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.setPixel(x, y, qRgb(x * 6 % 256, y * 8 % 256, (x * y) % 256));
        const QString path = folder.filePath(name);
        EXPECT_TRUE(picture.save(path, "PNG"));
        return path;
    }
    QString Copy(const QString& fixture) {
        const QString path = folder.filePath(fixture);
        EXPECT_TRUE(QFile::copy(TestDataPath(fixture), path));
        return path;
    }
    QStringList Written() const {
        return QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir folder;
    QString out;
};

TEST_F(BatchProgram, EveryFileWrittenUnderItsBaseNameWithStatusZeroAndNothingSaid) {
    const BatchProgramRun run = RunBatchProgram(
        {Picture("one.png"), Picture("two.v2.png"), "-o", out, "--format", "jpg", "-j", "2"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "") << "without a terminal, nothing but errors";
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(Written(), (QStringList{"one.jpg", "two.v2.jpg"}));
    EXPECT_EQ(QImage(out + "/one.jpg").size(), QSize(40, 30));
}

TEST_F(BatchProgram, ADamagedFileAmongGoodOnesFailsAloneWithStatusOne) {
    const QString damaged = Copy("damaged.jpg");
    const BatchProgramRun run =
        RunBatchProgram({Picture("first.png"), damaged, Picture("last.png"), "-o", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, damaged + ": Loading bitmap failed (" + damaged + ").\n");
    EXPECT_EQ(Written(), (QStringList{"first.jpg", "last.jpg"})) << "no temporary file is left";
}

TEST_F(BatchProgram, AFileCutShortFailsAndWritesNothing) {
    const QString cut = Copy("cut.jpg");
    const BatchProgramRun run = RunBatchProgram({cut, "-o", out, "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, cut + ": Loading bitmap failed (" + cut + ").\n");
    EXPECT_TRUE(Written().isEmpty());
}

TEST_F(BatchProgram, NeverReplacesAFileTheOthersGoOn) {
    const QString taken = out + "/taken.jpg";
    QFile existing(taken);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("the user's own file");
    existing.close();
    ASSERT_TRUE(QFile::link(out + "/nowhere", out + "/dangling.jpg"));
    QDir(folder.path()).mkdir("elsewhere");
    const QString takenInput = Picture("taken.png");
    const QString danglingInput = Picture("dangling.png");
    const QString freeInput = Picture("free.png");
    const QString sameName = folder.filePath("elsewhere/free.png");
    QFile::copy(freeInput, sameName);
    // A study that failed leaves its name to a later file of the same base name.
    const QString damaged = Copy("damaged.png");
    QFile::rename(damaged, folder.filePath("elsewhere/retried.png"));
    const QString retried = Picture("retried.png");

    const BatchProgramRun run =
        RunBatchProgram({takenInput, danglingInput, freeInput, sameName,
                         folder.filePath("elsewhere/retried.png"), retried, "-o", out, "-j", "1"});
    EXPECT_EQ(run.exitCode, 1);
    const QString retriedFailure = folder.filePath("elsewhere/retried.png") + ": Loading bitmap";
    EXPECT_EQ(run.errors.left(run.errors.indexOf(retriedFailure)),
              takenInput + ": " + taken + " exists\n" + danglingInput + ": " + out +
                  "/dangling.jpg exists\n" + sameName + ": " + out + "/free.jpg exists\n")
        << "each failure named by its input file; a later file of the same base name does not "
           "replace an earlier one's study, and says so as for a name taken before";
    EXPECT_TRUE(run.errors.contains(retriedFailure)) << run.errors.toStdString();
    EXPECT_EQ(FileBytes(taken), "the user's own file");
    EXPECT_EQ(Written(), (QStringList{"dangling.jpg", "free.jpg", "retried.jpg", "taken.jpg"}));
}

TEST_F(BatchProgram, OutlineBesideItsStudyAndATakenOutlineNameWritesNeitherFile) {
    const QString taken = out + "/taken-outline.pdf";
    QFile existing(taken);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("the user's own file");
    existing.close();
    const QString takenInput = Picture("taken.png");
    const BatchProgramRun run = RunBatchProgram(
        {takenInput, Picture("free.png"), "-o", out, "--outline", "pdf", "--quiet"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, takenInput + ": " + taken + " exists\n");
    EXPECT_EQ(FileBytes(taken), "the user's own file");
    EXPECT_EQ(Written(), (QStringList{"free-outline.pdf", "free.jpg", "taken-outline.pdf"}))
        << "no study without its outline, no temporary file left";
}

TEST_F(BatchProgram, UsageErrorsReadNoFileAndEndWithStatusTwoAndOneLine) {
    const QString missing = folder.filePath("missing.png");
    const QString picture = Picture("picture.png");
    for (const QStringList& arguments :
         {QStringList{picture, missing, "--levels", "1", "-o", out},
          QStringList{picture, missing, "--grid", "0", "-o", out},
          QStringList{picture, missing, "--no-such-option", "-o", out},
          QStringList{picture, missing}, QStringList{picture, missing, "-o", missing}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const BatchProgramRun run = RunBatchProgram(arguments);
        EXPECT_EQ(run.exitCode, 2);
        const QStringList lines = run.errors.split(u'\n');
        ASSERT_EQ(lines.size(), 3) << run.errors.toStdString();
        EXPECT_TRUE(lines[0].startsWith("halvane-batch: ")) << run.errors.toStdString();
        EXPECT_EQ(lines[1], "Try 'halvane-batch --help'.");
        EXPECT_EQ(lines[2], "") << "the last line is ended";
        EXPECT_FALSE(run.errors.contains(missing + ":")) << "no file was tried";
        EXPECT_TRUE(Written().isEmpty());
    }
}

TEST_F(BatchProgram, HelpAndVersionOnStandardOutput) {
    const BatchProgramRun help = RunBatchProgram({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.startsWith("Usage: halvane-batch")) << help.output.toStdString();
    const BatchProgramRun version = RunBatchProgram({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "halvane-batch " HALVANE_VERSION "\n");
}

TEST_F(BatchProgram, ProgressLineOnlyOnATerminal) {
    const QString damaged = Copy("damaged.jpg");
    int exitCode = -1;
    const QByteArray terminal =
        RunBatchProgramOnTerminal({Picture("a.png"), damaged, "-o", out, "-j", "1"}, &exitCode);
    ASSERT_FALSE(terminal.startsWith("no terminal")) << terminal.toStdString();
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(terminal.contains("\r\033[K0/2 files, 0 failed, 0:00 elapsed"))
        << terminal.toStdString();
    EXPECT_TRUE(terminal.contains("\r\033[K" + QFile::encodeName(damaged) + ": Loading bitmap"))
        << "a failure first blanks the progress line";
    EXPECT_TRUE(terminal.contains("2/2 files, 1 failed, 0:0")) << terminal.toStdString();
    EXPECT_TRUE(terminal.endsWith("elapsed\r\n")) << "the last line is ended";

    const QByteArray quiet = RunBatchProgramOnTerminal(
        {Picture("b.png"), damaged, "-o", out, "-j", "1", "--quiet"}, &exitCode);
    EXPECT_EQ(quiet, QFile::encodeName(damaged) + ": Loading bitmap failed (" +
                         QFile::encodeName(damaged) + ").\r\n");

    const BatchProgramRun piped = RunBatchProgram({Picture("c.png"), damaged, "-o", out});
    EXPECT_FALSE(piped.errors.contains("files,")) << piped.errors.toStdString();
}

TEST_F(BatchProgram, FilesAtATimeWriteWhatOneAtATimeWrites) {
    // JPEG XR files among them: each is decoded by a helper process of its own.
    QStringList files;
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"})
        files << Picture(name, 300, 200);
    files << Copy("bgr24.wmp") << Copy("rgb24.wmp") << Copy("width499.wmp") << Copy("quads.jpg");
    ASSERT_TRUE(QDir(folder.path()).mkdir("serial"));
    const QString serial = folder.filePath("serial");
    const QStringList steps{"--oilify", "2", "--levels", "5", "--grid", "3"};

    const BatchProgramRun one = RunBatchProgram(files + steps + QStringList{"-o", serial, "-j1"});
    const BatchProgramRun four = RunBatchProgram(files + steps + QStringList{"-o", out, "-j4"});
    EXPECT_EQ(one.exitCode, 0) << one.errors.toStdString();
    EXPECT_EQ(four.exitCode, 0) << four.errors.toStdString();
    ASSERT_EQ(Written().size(), files.size());
    for (const QString& name : Written()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(FileBytes(out + '/' + name), FileBytes(serial + '/' + name));
    }
}

} // namespace
