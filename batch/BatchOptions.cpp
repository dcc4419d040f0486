// SPDX-License-Identifier: MIT
#include "BatchOptions.h"

#include "GridSpacing.h"
#include "PosterizeKernel.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <limits>

namespace {

struct UsageError {
    QString message;
};

[[noreturn]] void Refuse(const QString& message) {
    throw UsageError{message};
}

// A whole number in plain decimal digits within first..last.
int WholeNumber(const QString& option, const QString& text, int first, int last) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const int value = digits.match(text).hasMatch() ? text.toInt() : -1;
    if (value < first || value > last) {
        const QString range =
            last == std::numeric_limits<int>::max()
                ? QStringLiteral("a whole number from %1").arg(first)
                : QStringLiteral("a whole number from %1 to %2").arg(first).arg(last);
        Refuse(QStringLiteral("%1 takes %2, not \"%3\"").arg(option, range, text));
    }
    return value;
}

GreyMethod MethodOf(const QString& text) {
    const GreyMethod methods[] = {GreyMethod::Red, GreyMethod::GreenLightened,
                                  GreyMethod::BlueLightened};
    return methods[WholeNumber(QStringLiteral("--method"), text, 1, 3) - 1];
}

TAlphaColor ColourOf(const QString& text) {
    static const QRegularExpression aarrggbb(QStringLiteral("^#[0-9A-Fa-f]{8}$"));
    if (!aarrggbb.match(text).hasMatch())
        Refuse(QStringLiteral("--grid-colour takes #AARRGGBB, not \"%1\"").arg(text));
    return text.mid(1).toUInt(nullptr, 16);
}

BandPreset PresetOf(const QString& text) {
    const std::optional<BandPreset> preset = PresetNamed(text);
    if (!preset)
        Refuse(QStringLiteral("--bands takes equal, lightness, areas, notan2 or notan3, not \"%1\"")
                   .arg(text));
    return *preset;
}

// Comma-separated grey values; whether they fit the level count is checked once it is known.
std::vector<std::uint8_t> EdgesOf(const QString& text) {
    std::vector<std::uint8_t> edges;
    for (const QString& edge : text.split(u','))
        edges.push_back(std::uint8_t(WholeNumber(QStringLiteral("--edges"), edge, 1, 255)));
    return edges;
}

// The bands asked for, checked against the level count: a notan sets its own, edges must fit it.
void ChooseBands(StudyParameters& study, std::optional<BandPreset> preset,
                 const std::optional<std::vector<std::uint8_t>>& edges, bool levelsGiven) {
    if (preset && edges)
        Refuse(QStringLiteral("--bands and --edges both place the edges: give one"));
    if (preset) {
        if (const std::optional<int> levels = PresetLevels(*preset)) {
            if (levelsGiven && study.levels != *levels)
                Refuse(QStringLiteral("--bands notan%1 makes %1 levels, not %2")
                           .arg(*levels)
                           .arg(study.levels));
            study.levels = *levels;
        }
        study.bands = BandChoice::Chosen(*preset);
    }
    if (edges) {
        const std::size_t wanted = BandTones(study.levels).size() - 1;
        if (!BandsWithEdges(study.levels, *edges))
            Refuse(QStringLiteral("--edges takes %1 rising whole numbers from 1 to 255 for %2 "
                                  "levels")
                       .arg(wanted)
                       .arg(study.levels));
        study.bands = BandChoice::Placed(*edges, study.levels, BandPreset::EqualSteps);
    }
}

ShapeSize ShapeSizeOf(const QString& text) {
    const std::optional<ShapeSize> size = ShapeSize::Parse(text);
    if (!size)
        Refuse(QStringLiteral("--simplify takes a share like 0.1% or pixels like 500px, not \"%1\"")
                   .arg(text));
    return *size;
}

FrameProportions ProportionsOf(const QString& text) {
    const std::optional<FrameProportions> proportions = FrameProportions::Parse(text);
    if (!proportions)
        Refuse(QStringLiteral("--crop-to takes proportions like 40x30, not \"%1\"").arg(text));
    return *proportions;
}

SavedFormat FormatOf(const QString& text) {
    if (text == QStringLiteral("jpg"))
        return SavedFormat::Jpeg;
    if (text == QStringLiteral("png"))
        return SavedFormat::Png;
    Refuse(QStringLiteral("--format takes jpg or png, not \"%1\"").arg(text));
}

OutlineFormat OutlineFormatOf(const QString& text) {
    if (text == QStringLiteral("pdf"))
        return OutlineFormat::Pdf;
    if (text == QStringLiteral("png"))
        return OutlineFormat::Png;
    Refuse(QStringLiteral("--outline takes pdf or png, not \"%1\"").arg(text));
}

// "40x30": width and height in centimetres, each above 0 and at most 10 metres.
CanvasSettings CanvasOf(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)x([0-9]+(?:\\.[0-9]+)?)$"));
    const QRegularExpressionMatch match = form.match(text);
    const double width = match.hasMatch() ? match.captured(1).toDouble() : 0;
    const double height = match.hasMatch() ? match.captured(2).toDouble() : 0;
    if (!(width > 0 && height > 0 && width <= 1000 && height <= 1000))
        Refuse(QStringLiteral("--canvas takes a size in cm like 40x30, not \"%1\"").arg(text));
    CanvasSettings canvas;
    canvas.canvasWidthMm = width * 10;
    canvas.canvasHeightMm = height * 10;
    return canvas;
}

// Walks the arguments: options with their values, and the files between them.
class ArgumentReader {
public:
    explicit ArgumentReader(const QStringList& arguments) : arguments_(arguments) {}

    bool AtEnd() const { return next_ >= arguments_.size(); }
    QString Take() { return arguments_[next_++]; }

    // The value of an option: joined ("--levels=6", "-j4") or the next argument.
    QString ValueOf(const QString& option, const std::optional<QString>& joined) {
        if (joined)
            return *joined;
        if (AtEnd())
            Refuse(QStringLiteral("%1 needs a value").arg(option));
        return Take();
    }

private:
    const QStringList& arguments_;
    qsizetype next_ = 0;
};

BatchCommand Read(const QStringList& arguments, int defaultJobs) {
    BatchCommand command;
    BatchOptions& options = command.options;
    options.jobs = defaultJobs;
    std::optional<TAlphaColor> gridColour;
    std::optional<BandPreset> bandPreset;
    std::optional<std::vector<std::uint8_t>> edges;
    bool levelsGiven = false;
    bool cropExact = false;
    std::optional<QString> outputFolder;
    bool onlyFiles = false;
    ArgumentReader reader(arguments);
    while (!reader.AtEnd()) {
        const QString argument = reader.Take();
        if (onlyFiles || argument == u'-' || !argument.startsWith(u'-')) {
            options.files << argument;
            continue;
        }
        if (argument == QStringLiteral("--")) {
            onlyFiles = true;
            continue;
        }
        QString option = argument;
        std::optional<QString> joined;
        if (argument.startsWith(QStringLiteral("--"))) {
            if (const qsizetype equals = argument.indexOf(u'='); equals > 0) {
                option = argument.left(equals);
                joined = argument.mid(equals + 1);
            }
        } else if (argument.size() > 2) {
            option = argument.left(2);
            joined = argument.mid(2);
        }
        const auto value = [&] { return reader.ValueOf(option, joined); };
        if (option == QStringLiteral("--help") && !joined)
            command.action = BatchCommand::Action::Help;
        else if (option == QStringLiteral("--version") && !joined)
            command.action = BatchCommand::Action::Version;
        else if (option == QStringLiteral("--quiet") && !joined)
            options.quiet = true;
        else if (option == QStringLiteral("-o"))
            outputFolder = value();
        else if (option == QStringLiteral("--crop-to"))
            options.study.crop = StudyCrop{ProportionsOf(value()), false};
        else if (option == QStringLiteral("--crop-exact") && !joined)
            cropExact = true;
        else if (option == QStringLiteral("--method"))
            options.study.method = MethodOf(value());
        else if (option == QStringLiteral("--levels")) {
            options.study.levels = WholeNumber(option, value(), MinLevels, MaxLevels);
            levelsGiven = true;
        } else if (option == QStringLiteral("--bands"))
            bandPreset = PresetOf(value());
        else if (option == QStringLiteral("--edges"))
            edges = EdgesOf(value());
        else if (option == QStringLiteral("--oilify"))
            options.study.oilifyClicks =
                WholeNumber(option, value(), 0, std::numeric_limits<int>::max());
        else if (option == QStringLiteral("--simplify"))
            options.study.simplify = ShapeSizeOf(value());
        else if (option == QStringLiteral("--grid")) {
            const QString spacing = value();
            options.study.grid = spacing == QStringLiteral("auto")
                                     ? StudyGrid{true, 0, claPalegreen}
                                     : StudyGrid{false,
                                                 WholeNumber(option, spacing, GridSpacing::Least,
                                                             GridSpacing::BoxMax),
                                                 claPalegreen};
        } else if (option == QStringLiteral("--grid-colour"))
            gridColour = ColourOf(value());
        else if (option == QStringLiteral("--format"))
            options.format = FormatOf(value());
        else if (option == QStringLiteral("--outline"))
            options.outline = OutlineFormatOf(value());
        else if (option == QStringLiteral("--canvas"))
            options.canvas = CanvasOf(value());
        else if (option == QStringLiteral("-j"))
            options.jobs = WholeNumber(option, value(), 1, std::numeric_limits<int>::max());
        else
            Refuse(QStringLiteral("unknown option \"%1\"").arg(argument));
    }
    if (command.action != BatchCommand::Action::Run)
        return command;
    ChooseBands(options.study, bandPreset, edges, levelsGiven);
    if (cropExact) {
        if (!options.study.crop)
            Refuse(QStringLiteral("--crop-exact needs --crop-to"));
        options.study.crop->exact = true;
    }
    if (gridColour) {
        if (!options.study.grid)
            Refuse(QStringLiteral("--grid-colour needs --grid"));
        options.study.grid->colour = *gridColour;
    }
    if (options.canvas && !options.outline)
        Refuse(QStringLiteral("--canvas needs --outline"));
    if (!outputFolder)
        Refuse(QStringLiteral("no output folder: -o FOLDER"));
    if (!QFileInfo(*outputFolder).isDir())
        Refuse(QStringLiteral("the output folder \"%1\" is not a folder").arg(*outputFolder));
    options.outputFolder = *outputFolder;
    if (options.files.isEmpty())
        Refuse(QStringLiteral("no files"));
    return command;
}

} // namespace

BatchCommand ReadBatchArguments(const QStringList& arguments, int defaultJobs) {
    try {
        return Read(arguments, defaultJobs);
    } catch (const UsageError& error) {
        BatchCommand command;
        command.action = BatchCommand::Action::UsageError;
        command.error = error.message;
        return command;
    }
}

QString BatchUsage(int defaultJobs) {
    return QStringLiteral(
               "Usage: halvane-batch [options] FILE... -o FOLDER\n"
               "Makes the value study of every FILE as Halvane's window makes it after \"Open..\"\n"
               "and the chosen steps, and writes it into FOLDER under the file's base name with\n"
               ".jpg or .png. An existing file is never replaced.\n"
               "\n"
               "  -o FOLDER                where the studies go; the folder must exist\n"
               "  --crop-to WxH            first crop to the largest centred frame of these\n"
               "                           proportions (40x30), turned to the photo's\n"
               "                           orientation, as \"Crop to Canvas...\" does; default "
               "none\n"
               "  --crop-exact             keep --crop-to's proportions as given, not turned\n"
               "  --method 1|2|3           grey from red (1), from green lightened (2), from blue\n"
               "                           lightened (3); default 2\n"
               "  --levels N               tones, 2 to 13; default 6\n"
               "  --bands equal|lightness|areas|notan2|notan3\n"
               "                           where the bands' edges fall: posterizing's equal\n"
               "                           steps (default), equal steps of lightness, equal\n"
               "                           areas of the picture, or two or three values by\n"
               "                           Otsu's method (these set the levels)\n"
               "  --edges E1,E2,...        the edges themselves: rising greys from 1 to 255, one\n"
               "                           fewer than the tones of the levels\n"
               "  --oilify K               clicks on \"Oilify..\"; default 0\n"
               "  --simplify SIZE          after Oilify, merge every patch smaller than SIZE,\n"
               "                           a share of the picture (0.1%) or pixels (500px),\n"
               "                           as \"Simplify Shapes...\" does; default none\n"
               "  --grid N|auto            a grid every N pixels (1 to 200; 28 where N exceeds a\n"
               "                           side, as in the window); auto: the spacing \"Open..\"\n"
               "                           proposes, the shorter side / 18; default none\n"
               "  --grid-colour #AARRGGBB  the grid's colour; default #FF98FB98 (pale green)\n"
               "  --format jpg|png         default jpg\n"
               "  --outline pdf|png        also the outline sheet, NAME-outline.pdf or .png, as\n"
               "                           \"Export Outline PDF...\" and \"Export Outline "
               "PNG...\"\n"
               "                           make it with their first settings\n"
               "  --canvas WxH             the outline's canvas in cm (30x40); default 30x40\n"
               "                           turned to the picture's orientation\n"
               "  -j N                     files at a time; default %1, the number of cores\n"
               "  --quiet                  no progress line\n"
               "  --help                   this text\n"
               "  --version                the version\n"
               "\n"
               "On a terminal, a progress line. Each file that fails is named on standard error\n"
               "with the reason. Exit status: 0 when every file worked, 1 when any failed, 2 for\n"
               "a usage error.\n")
        .arg(defaultJobs);
}
