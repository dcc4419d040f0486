// SPDX-License-Identifier: MIT
// Every file the fuzzers and the search for decoder crashes turned up stays here, with the outcome
// it must have from now on.
#include "AppError.h"
#include "Bitmap.h"
#include "ImageCompare.h"
#include "ImageFile.h"

#include <QDir>
#include <QSize>
#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace {

QString FindingsFolder() {
    return TestDataPath(QStringLiteral("fuzz"));
}

struct Finding {
    const char* file;
    std::optional<QSize> loads; // nullopt: "Loading bitmap failed (<path>)."
    const char* what;
};

const Finding Findings[] = {
    {"jxr_sigsegv.wmp", std::nullopt, "the decoding library reads out of bounds"},
    {"jxr_sigabrt.wmp", std::nullopt, "the decoding library fails an assertion"},
    {"jxr_sigfpe.wmp", std::nullopt, "the decoding library divides by zero"},
    {"jxr_balloon.wmp", std::nullopt, "the decoding library asks for 800 MB for 4 x 2 pixels"},
    // From fuzz_jxr, one per place the decoding library failed; all contained by the helper.
    {"jxr_fuzz_metadata_abort.wmp", std::nullopt, "assertion on a camera-make entry's type"},
    {"jxr_fuzz_output_abort.wmp", std::nullopt, "assertion on the output colour format"},
    {"jxr_fuzz_lookup_fpe.wmp", std::nullopt, "division by zero building lookup tables"},
    {"jxr_fuzz_run_segv.wmp", std::nullopt, "out-of-bounds read decoding a run of coefficients"},
    {"jxr_fuzz_init_leak.wmp", std::nullopt, "memory left allocated when initialising fails"},
    {"jxr_fuzz_lookup_leak.wmp", std::nullopt, "memory left allocated when lookup tables fail"},
};

TEST(FuzzFindings, EachEndsAsRecorded) {
    for (const Finding& finding : Findings) {
        SCOPED_TRACE(finding.file);
        SCOPED_TRACE(finding.what);
        const QString path = FindingsFolder() + QLatin1Char('/') + QLatin1String(finding.file);
        TBitmap bitmap;
        std::optional<QString> message;
        try {
            LoadBitmapFromFile(bitmap, path);
        } catch (const AppError& error) {
            message = error.message();
        }
        if (finding.loads) {
            EXPECT_EQ(message, std::nullopt);
            EXPECT_EQ(QSize(bitmap.Width(), bitmap.Height()), *finding.loads);
        } else {
            EXPECT_EQ(message, QStringLiteral("Loading bitmap failed (%1).").arg(path));
            EXPECT_TRUE(bitmap.IsEmpty());
        }
    }
}

TEST(FuzzFindings, EveryFileInTheFolderIsRecorded) {
    const QStringList files = QDir(FindingsFolder()).entryList(QDir::Files);
    EXPECT_FALSE(files.isEmpty());
    for (const QString& file : files)
        EXPECT_TRUE(std::any_of(std::begin(Findings), std::end(Findings),
                                [&](const Finding& f) { return file == QLatin1String(f.file); }))
            << file.toStdString() << " has no recorded outcome";
}

} // namespace
