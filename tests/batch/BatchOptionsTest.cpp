// SPDX-License-Identifier: MIT
// The command line of halvane-batch, read without running anything, and the progress line's text.
#include "BatchOptions.h"
#include "BatchProgress.h"
#include "ImageCompare.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BatchArguments : public testing::Test {
protected:
    BatchCommand Read(QStringList arguments) {
        for (QString& argument : arguments)
            argument.replace(QStringLiteral("OUT"), folder.path());
        return ReadBatchArguments(arguments, 3);
    }
    QTemporaryDir folder;
};

TEST_F(BatchArguments, DefaultsAreTheWindowsAfterOpening) {
    const BatchCommand command = Read({"a.jpg", "-o", "OUT"});
    ASSERT_EQ(command.action, BatchCommand::Action::Run) << command.error.toStdString();
    const BatchOptions& options = command.options;
    EXPECT_EQ(options.files, QStringList{"a.jpg"});
    EXPECT_EQ(options.outputFolder, folder.path());
    EXPECT_EQ(options.study.method, GreyMethod::GreenLightened);
    EXPECT_EQ(options.study.levels, 6);
    EXPECT_EQ(options.study.oilifyClicks, 0);
    EXPECT_FALSE(options.study.grid);
    EXPECT_EQ(options.format, SavedFormat::Jpeg);
    EXPECT_EQ(options.jobs, 3) << "the number of cores given";
    EXPECT_FALSE(options.quiet);
}

TEST_F(BatchArguments, EveryOptionInBothSpellingsAndFilesAnywhere) {
    const BatchCommand command =
        Read({"a.jpg", "--method", "3", "--levels=13", "-o", "OUT", "b.png", "--oilify", "4",
              "--grid", "auto", "--grid-colour=#80ff0000", "--format", "png", "-j4", "--quiet",
              "--", "--odd-name.jpg"});
    ASSERT_EQ(command.action, BatchCommand::Action::Run) << command.error.toStdString();
    const BatchOptions& options = command.options;
    EXPECT_EQ(options.files, (QStringList{"a.jpg", "b.png", "--odd-name.jpg"}));
    EXPECT_EQ(options.study.method, GreyMethod::BlueLightened);
    EXPECT_EQ(options.study.levels, 13);
    EXPECT_EQ(options.study.oilifyClicks, 4);
    ASSERT_TRUE(options.study.grid);
    EXPECT_TRUE(options.study.grid->proposed);
    EXPECT_EQ(options.study.grid->colour, 0x80FF0000u);
    EXPECT_EQ(options.format, SavedFormat::Png);
    EXPECT_EQ(options.jobs, 4);
    EXPECT_TRUE(options.quiet);

    const BatchCommand fixed = Read({"a.jpg", "--grid", "200", "-o", "OUT"});
    ASSERT_TRUE(fixed.options.study.grid);
    EXPECT_FALSE(fixed.options.study.grid->proposed);
    EXPECT_EQ(fixed.options.study.grid->spacing, 200);
    EXPECT_EQ(fixed.options.study.grid->colour, claPalegreen) << "the window's grid colour";
}

TEST_F(BatchArguments, UsageErrors) {
    const struct {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{"a.jpg", "--levels", "1", "-o", "OUT"}, "--levels takes a whole number from 2 to 13"},
        {{"a.jpg", "--levels", "14", "-o", "OUT"}, "--levels takes a whole number from 2 to 13"},
        {{"a.jpg", "--levels", "+6", "-o", "OUT"}, "--levels takes a whole number from 2 to 13"},
        {{"a.jpg", "--grid", "0", "-o", "OUT"}, "--grid takes a whole number from 1 to 200"},
        {{"a.jpg", "--grid", "201", "-o", "OUT"}, "--grid takes a whole number from 1 to 200"},
        {{"a.jpg", "--method", "4", "-o", "OUT"}, "--method takes a whole number from 1 to 3"},
        {{"a.jpg", "--oilify", "-1", "-o", "OUT"}, "--oilify takes a whole number from 0"},
        {{"a.jpg", "-j", "0", "-o", "OUT"}, "-j takes a whole number from 1"},
        {{"a.jpg", "--format", "gif", "-o", "OUT"}, "--format takes jpg or png"},
        {{"a.jpg", "--grid", "9", "--grid-colour", "#ff0000", "-o", "OUT"},
         "--grid-colour takes #AARRGGBB"},
        {{"a.jpg", "--grid-colour", "#ffff0000", "-o", "OUT"}, "--grid-colour needs --grid"},
        {{"a.jpg", "--unknown", "-o", "OUT"}, "unknown option \"--unknown\""},
        {{"a.jpg", "--quiet=yes", "-o", "OUT"}, "unknown option \"--quiet=yes\""},
        {{"a.jpg", "-o", "OUT", "--levels"}, "--levels needs a value"},
        {{"a.jpg"}, "no output folder"},
        {{"a.jpg", "-o", "OUT/missing"}, "is not a folder"},
        {{"-o", "OUT"}, "no files"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const BatchCommand command = Read(c.arguments);
        EXPECT_EQ(command.action, BatchCommand::Action::UsageError);
        EXPECT_TRUE(command.error.contains(QString::fromUtf8(c.error)))
            << command.error.toStdString();
    }
}

TEST_F(BatchArguments, HelpAndVersionNeedNothingElse) {
    EXPECT_EQ(Read({"--help"}).action, BatchCommand::Action::Help);
    EXPECT_EQ(Read({"a.jpg", "--version"}).action, BatchCommand::Action::Version);
}

TEST(BatchUsage, ListsEveryOption) {
    const QString usage = BatchUsage(2);
    for (const char* option :
         {"-o FOLDER", "--method 1|2|3", "--levels N", "--oilify K", "--grid N|auto",
          "--grid-colour #AARRGGBB", "--format jpg|png", "-j N", "--quiet", "--help", "--version"})
        EXPECT_TRUE(usage.contains(QString::fromUtf8(option))) << option;
}

TEST(ProgressText, CountsTimeAndAnEstimateFromTheFilesDone) {
    using std::chrono::seconds;
    EXPECT_EQ(ProgressText(0, 12, 0, seconds(4)), "0/12 files, 0 failed, 0:04 elapsed");
    EXPECT_EQ(ProgressText(3, 12, 1, seconds(30)),
              "3/12 files, 1 failed, 0:30 elapsed, about 1:30 left");
    EXPECT_EQ(ProgressText(12, 12, 1, seconds(125)), "12/12 files, 1 failed, 2:05 elapsed");
}

} // namespace
