// SPDX-License-Identifier: MIT
// The command line of halvane-batch, read without running anything, and the progress line's text.
#include "BatchOptions.h"
#include "BatchProgress.h"
#include "ImageCompare.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
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
        {{"a.jpg", "--crop-to", "40:30", "-o", "OUT"}, "--crop-to takes proportions like 40x30"},
        {{"a.jpg", "--crop-to", "0x30", "-o", "OUT"}, "--crop-to takes proportions like 40x30"},
        {{"a.jpg", "--crop-exact", "-o", "OUT"}, "--crop-exact needs --crop-to"},
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

TEST_F(BatchArguments, SimplifyTakesAShareOrPixels) {
    const BatchCommand share = Read({"--simplify", "0.1%", "a.jpg", "-o", "OUT"});
    ASSERT_EQ(share.action, BatchCommand::Action::Run) << share.error.toStdString();
    ASSERT_TRUE(share.options.study.simplify);
    EXPECT_EQ(share.options.study.simplify->MinimumPixels(24000000), 24000u);
    const BatchCommand pixels = Read({"--simplify=500px", "a.jpg", "-o", "OUT"});
    ASSERT_TRUE(pixels.options.study.simplify);
    EXPECT_EQ(pixels.options.study.simplify->MinimumPixels(10), 500u);
    EXPECT_FALSE(Read({"a.jpg", "-o", "OUT"}).options.study.simplify) << "none by default";
    for (const char* wrong : {"0.1", "500", "px", "-2%", "150%"}) {
        SCOPED_TRACE(wrong);
        const BatchCommand command = Read({"--simplify", wrong, "a.jpg", "-o", "OUT"});
        EXPECT_EQ(command.action, BatchCommand::Action::UsageError);
    }
}

TEST_F(BatchArguments, OutlineInEitherFormatOnAGivenOrTheFirstCanvas) {
    const BatchCommand pdf = Read({"--outline", "pdf", "a.jpg", "-o", "OUT"});
    ASSERT_EQ(pdf.action, BatchCommand::Action::Run) << pdf.error.toStdString();
    EXPECT_EQ(pdf.options.outline, OutlineFormat::Pdf);
    EXPECT_FALSE(pdf.options.canvas) << "the window's first canvas, turned to each picture";
    const BatchCommand png = Read({"--outline=png", "--canvas", "50x35.5", "a.jpg", "-o", "OUT"});
    ASSERT_EQ(png.action, BatchCommand::Action::Run) << png.error.toStdString();
    EXPECT_EQ(png.options.outline, OutlineFormat::Png);
    ASSERT_TRUE(png.options.canvas);
    EXPECT_DOUBLE_EQ(png.options.canvas->canvasWidthMm, 500);
    EXPECT_DOUBLE_EQ(png.options.canvas->canvasHeightMm, 355);
    EXPECT_FALSE(Read({"a.jpg", "-o", "OUT"}).options.outline) << "none by default";
    struct Wrong {
        QStringList arguments;
        QString error;
    };
    for (const Wrong& wrong :
         {Wrong{{"--outline", "svg"}, "--outline takes pdf or png, not \"svg\""},
          Wrong{{"--outline", "pdf", "--canvas", "40"}, "--canvas takes a size in cm"},
          Wrong{{"--outline", "pdf", "--canvas", "0x30"}, "--canvas takes a size in cm"},
          Wrong{{"--outline", "pdf", "--canvas", "1001x30"}, "--canvas takes a size in cm"},
          Wrong{{"--canvas", "40x30"}, "--canvas needs --outline"}}) {
        SCOPED_TRACE(wrong.arguments.join(' ').toStdString());
        const BatchCommand command = Read(wrong.arguments + QStringList{"a.jpg", "-o", "OUT"});
        EXPECT_EQ(command.action, BatchCommand::Action::UsageError);
        EXPECT_TRUE(command.error.startsWith(wrong.error)) << command.error.toStdString();
    }
}

TEST_F(BatchArguments, BandsByPresetOrByEdgesThatFitTheLevels) {
    struct Case {
        QStringList arguments;
        BandChoice bands;
        int levels;
    };
    const Case cases[] = {
        {{}, BandChoice{}, 6},
        {{"--bands", "lightness"}, BandChoice::Chosen(BandPreset::EqualLightness), 6},
        {{"--bands=areas", "--levels", "9"}, BandChoice::Chosen(BandPreset::EqualAreas), 9},
        {{"--bands", "notan2"}, BandChoice::Chosen(BandPreset::Notan2), 2},
        {{"--levels", "3", "--bands", "notan3"}, BandChoice::Chosen(BandPreset::Notan3), 3},
        {{"--edges", "10,20,30,40,50,60"},
         BandChoice::Placed({10, 20, 30, 40, 50, 60}, 6, BandPreset::EqualSteps),
         6},
        {{"--edges", "128", "--levels", "2"},
         BandChoice::Placed({128}, 2, BandPreset::EqualSteps),
         2},
        {{"--levels", "7", "--edges=1,2,3,4,5,6,255"},
         BandChoice::Placed({1, 2, 3, 4, 5, 6, 255}, 7, BandPreset::EqualSteps),
         7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const BatchCommand command = Read(c.arguments + QStringList{"a.jpg", "-o", "OUT"});
        ASSERT_EQ(command.action, BatchCommand::Action::Run) << command.error.toStdString();
        EXPECT_EQ(command.options.study.bands, c.bands);
        EXPECT_EQ(command.options.study.levels, c.levels);
    }

    for (const QStringList& wrong : {QStringList{"--bands", "even"},
                                     {"--edges", "10,20,30,40,50"}, // one too few for 6
                                     {"--edges", "10,20,30,40,50,60,70"},
                                     {"--edges", "0,20,30,40,50,60"},
                                     {"--edges", "10,20,30,40,60,60"},
                                     {"--edges", "10,20,30,40,60,256"},
                                     {"--edges", "10,,30,40,50,60"},
                                     {"--edges", "128", "--levels", "3"},
                                     {"--bands", "notan2", "--levels", "6"},
                                     {"--bands", "areas", "--edges", "128"}}) {
        SCOPED_TRACE(wrong.join(' ').toStdString());
        const BatchCommand command = Read(wrong + QStringList{"a.jpg", "-o", "OUT"});
        EXPECT_EQ(command.action, BatchCommand::Action::UsageError);
        EXPECT_FALSE(command.error.isEmpty());
    }
}

// The options the usage names, each with a value of the kind its line shows (none for a switch).
std::vector<QStringList> OptionsInUsage(const QString& usage, const QString& folder) {
    const QMap<QString, QString> valueOf{{"FOLDER", folder},
                                         {"1|2|3", "3"},
                                         {"N", "2"},
                                         {"K", "1"},
                                         {"N|auto", "auto"},
                                         {"#AARRGGBB", "#FF000000"},
                                         {"jpg|png", "png"},
                                         {"pdf|png", "pdf"},
                                         {"equal|lightness|areas|notan2|notan3", "areas"},
                                         {"E1,E2,...", "42,84,126,168,210,250"},
                                         {"SIZE", "0.1%"},
                                         {"WxH", "40x30"}};
    std::vector<QStringList> options;
    const QRegularExpression line(QStringLiteral("^  (-[-a-z]+)(?: (\\S+))?"),
                                  QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match : line.globalMatch(usage)) {
        QStringList option{match.captured(1)};
        if (match.hasCaptured(2)) {
            EXPECT_TRUE(valueOf.contains(match.captured(2))) << match.captured(2).toStdString();
            option << valueOf.value(match.captured(2));
        }
        options.push_back(option);
    }
    return options;
}

TEST_F(BatchArguments, EveryOptionTheUsageNamesIsTakenAndTheManualNamesItToo) {
    const std::vector<QStringList> options = OptionsInUsage(BatchUsage(2), folder.path());
    ASSERT_FALSE(options.empty());
    QFile manual(TestDataPath(QStringLiteral("../../resources/halvane-batch.1.in")));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QString manualText = QString::fromUtf8(manual.readAll()).remove(u'\\');
    for (const QStringList& option : options) {
        SCOPED_TRACE(option.join(u' ').toStdString());
        // With the options that --grid-colour, --crop-exact and --canvas go with.
        const BatchCommand command =
            Read(QStringList{"--outline", "png"} + option +
                 QStringList{"--grid", "auto", "--crop-to", "4x3", "a.jpg", "-o", "OUT"});
        EXPECT_NE(command.action, BatchCommand::Action::UsageError) << command.error.toStdString();
        const QRegularExpression entry(
            QStringLiteral("^\\.B[IR]? %1( |$)").arg(QRegularExpression::escape(option.front())),
            QRegularExpression::MultilineOption);
        EXPECT_TRUE(entry.match(manualText).hasMatch()) << "the manual page has an entry for it";
    }
    const BatchCommand unknown = Read({"--colour", "#FF000000", "a.jpg", "-o", "OUT"});
    EXPECT_EQ(unknown.action, BatchCommand::Action::UsageError) << "an option the usage lacks";
}

TEST(ProgressText, CountsTimeAndAnEstimateFromTheFilesDone) {
    using std::chrono::seconds;
    EXPECT_EQ(ProgressText(0, 12, 0, seconds(4)), "0/12 files, 0 failed, 0:04 elapsed");
    EXPECT_EQ(ProgressText(3, 12, 1, seconds(30)),
              "3/12 files, 1 failed, 0:30 elapsed, about 1:30 left");
    EXPECT_EQ(ProgressText(12, 12, 1, seconds(125)), "12/12 files, 1 failed, 2:05 elapsed");
}

} // namespace
