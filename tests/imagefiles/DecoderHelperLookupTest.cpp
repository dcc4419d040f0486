// SPDX-License-Identifier: MIT
// Where the program looks for its decoder helper: beside itself in the build tree, in
// lib/halvane/ next to its bin/ when installed.
#include "DecoderProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

enum class Helper { Missing, Executable, NotExecutable, Folder };

struct Layout {
    const char* what;
    Helper beside;
    Helper installed;
    const char* expected; // below the prefix
};

void Place(const QString& path, Helper helper) {
    if (helper == Helper::Missing)
        return;
    if (helper == Helper::Folder) {
        ASSERT_TRUE(QDir().mkpath(path));
        return;
    }
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner;
    ASSERT_TRUE(
        file.setPermissions(helper == Helper::Executable ? readable | QFile::ExeOwner : readable));
}

TEST(DecoderHelperLookup, FindsTheHelperOfABuildTreeOrAnInstalledProgram) {
    const Layout layouts[] = {
        {"build tree", Helper::Executable, Helper::Missing, "bin/halvane-decode"},
        {"installed", Helper::Missing, Helper::Executable, "lib/halvane/halvane-decode"},
        {"both: the build's own wins", Helper::Executable, Helper::Executable,
         "bin/halvane-decode"},
        {"a plain file beside is no helper", Helper::NotExecutable, Helper::Executable,
         "lib/halvane/halvane-decode"},
        {"a folder beside is no helper", Helper::Folder, Helper::Executable,
         "lib/halvane/halvane-decode"},
        {"neither: the installed place is named", Helper::Missing, Helper::Missing,
         "lib/halvane/halvane-decode"},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        const QTemporaryDir prefix;
        ASSERT_TRUE(prefix.isValid());
        const QString programDir = prefix.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(QDir().mkpath(programDir));
        ASSERT_NO_FATAL_FAILURE(
            Place(prefix.filePath(QStringLiteral("bin/halvane-decode")), layout.beside));
        ASSERT_NO_FATAL_FAILURE(
            Place(prefix.filePath(QStringLiteral("lib/halvane/halvane-decode")), layout.installed));

        EXPECT_EQ(DecoderHelperFor(programDir), prefix.filePath(QLatin1String(layout.expected)));
    }
}

} // namespace
