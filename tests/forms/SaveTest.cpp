// SPDX-License-Identifier: MIT
// "Save As..": names, refusals, the remembered name, and what is written.
#include "EventBoundary.h"
#include "FormFixture.h"
#include "PictureBox.h"
#include "RealScrollBar.h"
#include "ScratchMount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPushButton>
#include <QStandardPaths>

namespace {

class Saving : public FormTest {
protected:
    void SetUp() override {
        ResizeClient(919, 600);
        Open(WritePicture("source.png", TestPicture(1000, 700)));
        out = folder.filePath("out");
        QDir().mkpath(out);
    }
    void Save(std::initializer_list<std::optional<QString>> answers) {
        for (const auto& answer : answers)
            desktop.saveAnswers.push_back(answer);
        RunHandler([this] { form->Button5Click(form->Button5); });
        EXPECT_TRUE(desktop.saveAnswers.empty()) << "every scripted dialog was shown";
    }
    QString At(const QString& name) const { return out + "/" + name; }
    static void Touch(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QStringList FilesInOut() const {
        return QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString out;
};

TEST_F(Saving, NamesAndWhatIsWritten) {
    struct Case {
        QString chosen, written;
        bool clearsRemembered;
    };
    for (const Case& c :
         {Case{"plain", "plain.jpg", true}, Case{"upper.JPG", "upper.JPG", false},
          Case{"mixed.Jpg", "mixed.Jpg", false}, Case{"long.jpeg", "long.jpeg.jpg", true},
          Case{"a.png", "a.png.jpg", true}}) {
        SCOPED_TRACE(c.chosen.toStdString());
        LastSavedName = "remembered.jpg";
        Save({At(c.chosen)});
        EXPECT_TRUE(QFile::exists(At(c.written)));
        EXPECT_EQ(LastSavedName.isEmpty(), c.clearsRemembered);
    }
    EXPECT_EQ(FilesInOut().size(), 5) << "no stray temporary file";
}

TEST_F(Saving, TheDialogStartsBlankInAFolderThatExistsThenWhereTheLastSaveWent) {
    Save({std::nullopt});
    ASSERT_EQ(desktop.saveCalls.size(), 1u);
    EXPECT_EQ(desktop.saveCalls[0].filter, "*.Jpg | *.Jpg");
    EXPECT_EQ(desktop.saveCalls[0].fileName, "");
    // The pictures folder where the desktop has one, else the home folder: never a folder that
    // does not exist, whose name a file dialog would offer as the file's.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    EXPECT_EQ(desktop.saveCalls[0].initialFolder,
              QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    EXPECT_TRUE(QFileInfo(desktop.saveCalls[0].initialFolder).isDir());
    EXPECT_TRUE(FilesInOut().isEmpty());

    Save({At("first.jpg")});
    Save({std::nullopt});
    EXPECT_EQ(desktop.saveCalls.back().initialFolder, out) << "where the last save went";
    EXPECT_EQ(desktop.saveCalls.back().fileName, "");
}

TEST_F(Saving, ExistingNamesAreRefusedAndTheDialogComesBack) {
    struct Case {
        QString existing, chosen;
    };
    for (const Case& c :
         {Case{"x", "x"}, Case{"y.jpg", "y"}, Case{"z.jpg.jpg", "z.jpg"}, Case{"w.jpg", "w.jpg"}}) {
        SCOPED_TRACE(c.chosen.toStdString());
        desktop.messages.clear();
        desktop.saveCalls.clear();
        Touch(At(c.existing));
        const QStringList before = FilesInOut();
        Save({At(c.chosen), std::nullopt});
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text, "File name exists!");
        EXPECT_EQ(desktop.messages[0].caption, "Error");
        EXPECT_EQ(LastSavedName, c.chosen.toLocal8Bit());
        ASSERT_EQ(desktop.saveCalls.size(), 2u);
        EXPECT_EQ(desktop.saveCalls[1].fileName, "") << "the next dialog starts blank";
        EXPECT_EQ(desktop.saveCalls[1].initialFolder, c.chosen) << "in the refused name";
        EXPECT_EQ(FilesInOut(), before) << "nothing written or touched";
        QFile existing(At(c.existing));
        EXPECT_EQ(existing.size(), 0);
    }
}

TEST_F(Saving, AfterARefusalTheNextNameIsWrittenAndTheRememberedNameFollowsTheRules) {
    Touch(At("taken"));
    Save({At("taken"), At("fresh.jpg")});
    EXPECT_TRUE(QFile::exists(At("fresh.jpg")));
    EXPECT_EQ(LastSavedName, "taken") << "a name ending in .jpg keeps it";
    Save({std::nullopt});
    EXPECT_EQ(desktop.saveCalls.back().initialFolder, "taken");
    Save({At("other")});
    EXPECT_TRUE(LastSavedName.isEmpty());
}

TEST_F(Saving, TheWholePictureIsWrittenWhateverTheScrolling) {
    form->ScrollBar1->SetValue(100);
    form->ScrollBar2->SetValue(30);
    Save({At("full.jpg")});
    QImageReader reader(At("full.jpg"));
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage written = reader.read();
    ASSERT_EQ(written.size(), QSize(1000, 700));
    const QImage shown = form->Image1->Bitmap().ImageView();
    for (const QPoint at : {QPoint(0, 0), QPoint(999, 699), QPoint(500, 350), QPoint(10, 690)})
        EXPECT_NEAR(qGray(written.pixel(at)), qGray(shown.pixel(at)), 12)
            << at.x() << "," << at.y();
}

TEST_F(Saving, WritingErrorsCarryTheSystemsDescription) {
    const QString missing = folder.filePath("no/such/folder/pic.jpg");
    Save({missing});
    EXPECT_EQ(desktop.MessageTexts(),
              QStringList{"Cannot create file \"" + missing + "\". No such file or directory."});
    LastSavedName = "kept";
    desktop.messages.clear();
    Save({folder.filePath("no/such/folder/pic")});
    EXPECT_EQ(LastSavedName, "kept") << "a failed write keeps the remembered name";
}

// A disk filled to its last byte: a tmpfs of 256 KB with a file taking all of it. Needs root.
TEST_F(Saving, AFullDiskNamesTheReasonAndLeavesNothing) {
    const QString disk = At("disk");
    const ScratchMount full = ScratchMount::Tmpfs(disk, 256 * 1024);
    if (full.WhyNot())
        GTEST_SKIP() << full.WhyNot()->toStdString();
    QFile filler(disk + "/filler");
    ASSERT_TRUE(filler.open(QIODevice::NewOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    const QStringList before = QDir(disk).entryList(QDir::AllEntries | QDir::Hidden);
    LastSavedName = "kept";
    Save({disk + "/picture.jpg"});
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"Cannot create file \"" + disk +
                                                  "/picture.jpg\". No space left on device."});
    EXPECT_EQ(QDir(disk).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(LastSavedName, "kept");
}

// The save dialog hands back a name too long for the filesystem (256 bytes here); the user is
// told why.
TEST_F(Saving, ANameTooLongForTheFilesystemIsToldWhy) {
    const QString name = At(QString(256, u'n'));
    LastSavedName = "kept";
    Save({name});
    EXPECT_EQ(desktop.MessageTexts(),
              QStringList{"Cannot create file \"" + name + ".jpg\". File name too long."});
    EXPECT_TRUE(FilesInOut().isEmpty());
    EXPECT_EQ(LastSavedName, "kept");
}

using SavingBeforeAnyImage = FormTest;

TEST_F(SavingBeforeAnyImage, AnEmptyPictureFailsAndLeavesNoFile) {
    desktop.saveAnswers.push_back(folder.filePath("empty.jpg"));
    RunHandler([this] { form->Button5Click(form->Button5); });
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"Saving bitmap failed."});
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
