// SPDX-License-Identifier: MIT
// The desktop's habits: keyboard shortcuts, files dropped on the window, a file named on the
// command line, the About window's first focus and the level box's cursor.
#include "FormFixture.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "SpinBox.h"
#include "StudyMenu.h"
#include "ToggleButton.h"
#include "ValueBandsWindow.h"
#include "ValueKey.h"
#include "ValueKeyLink.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QUrl>
#include <functional>

namespace {

class DesktopHabits : public FormTest {
protected:
    void SetUp() override {
        ShowActive();
        ResizeClient(1200, 800);
    }
    // Drops files on the window as a file manager does and lets the queued open run.
    void Drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        const QPoint at(400, 300);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form, &drop);
        QCoreApplication::processEvents();
    }
    QString Picture() { return WritePicture("dropped.png", TestPicture(600, 400)); }
};

TEST_F(DesktopHabits, ShortcutsRunTheirButtonsHandlerOnlyWhileItIsEnabled) {
    struct Case {
        const char* name;
        QKeyCombination keys;
        std::function<void(TForm1&)> prepare;
        std::function<bool()> ran; // the handler's own trace
    };
    const auto openAsked = [this] { return !desktop.openCalls.empty(); };
    const auto saveAsked = [this] { return !desktop.saveCalls.empty(); };
    const auto pictureBack = [this] {
        return !form->Button7->isEnabled() && !form->Button8->isEnabled() &&
               Shows(form->Image1->Bitmap(), UndoBitmap.ImageView());
    };
    const auto gridDrawn = [](TForm1& f) { f.Button6Click(f.Button6); };
    const auto recoloured = [](TForm1& f) {
        f.Button3->SetPressed(true);
        f.Image1MouseMove(f.Image1, Qt::NoModifier, QPointF(5, 5));
        f.Image1Click(f.Image1);
    };
    const Case cases[] = {
        {"Ctrl+O", Qt::CTRL | Qt::Key_O, [](TForm1&) {}, openAsked},
        {"Ctrl+O disabled", Qt::CTRL | Qt::Key_O, [](TForm1& f) { f.Button4->setEnabled(false); },
         openAsked},
        {"Ctrl+S", Qt::CTRL | Qt::Key_S, [](TForm1&) {}, saveAsked},
        {"Ctrl+S disabled", Qt::CTRL | Qt::Key_S, [](TForm1& f) { f.Button5->setEnabled(false); },
         saveAsked},
        {"Ctrl+Z after a grid", Qt::CTRL | Qt::Key_Z, gridDrawn, pictureBack},
        {"Ctrl+Z after a recolour", Qt::CTRL | Qt::Key_Z, recoloured, pictureBack},
        {"F1", QKeyCombination(Qt::Key_F1), [](TForm1&) {}, [this] { return about->isVisible(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(Picture());
        about->hide();
        desktop.openCalls.clear();
        desktop.saveCalls.clear();
        desktop.openAnswers.push_back(std::nullopt);
        desktop.saveAnswers.push_back(std::nullopt);
        c.prepare(*form);
        const bool enabled = !QString(c.name).endsWith("disabled");
        // A text field has the focus: its own Ctrl+Z must not win.
        form->NumberBox1->setFocus();
        QTest::keyClick(form->NumberBox1, c.keys.key(), c.keys.keyboardModifiers());
        EXPECT_EQ(c.ran(), enabled);
        form->Button4->setEnabled(true);
        form->Button5->setEnabled(true);
        desktop.openAnswers.clear();
        desktop.saveAnswers.clear();
    }
}

TEST_F(DesktopHabits, TheWindowsKeysWorkFromItsToolWindows) {
    Open(Picture());
    form->ValueKey->ValueKeyItemClick(form->ValueKey->ValueKeyItem);
    form->Study->ValueBandsItemClick(form->Study->ValueBandsItem);
    const QImage before = form->Image1->Bitmap().ImageView().copy();
    // "Stamp Key", then Ctrl+Z with the focus on the key's own button: the stamp goes.
    form->ValueKey->KeyWindow->StampButton->click();
    ASSERT_FALSE(Shows(form->Image1->Bitmap(), before));
    form->ValueKey->KeyWindow->StampButton->setFocus();
    QTest::keyClick(form->ValueKey->KeyWindow->StampButton, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), before));

    // The view's keys from the bands window's edge field, a text field of its own.
    QSpinBox* field = form->Study->BandsWindow->EdgeFields.front();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_FALSE(form->Image1->Scale().IsActual()) << "Ctrl++: zoomed in";
    QTest::keyClick(field, Qt::Key_1, Qt::ControlModifier);
    EXPECT_TRUE(form->Image1->Scale().IsActual()) << "Ctrl+1: actual pixels";

    // A dialog of the window is no tool window: its keys stay its own.
    QMessageBox box(form);
    box.setWindowModality(Qt::NonModal);
    form->Button8->setEnabled(true);
    UndoBitmap.Clear(claBlack);
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(form->Button8->isEnabled()) << "Ctrl+Z in a dialog undoes nothing";
}

TEST_F(DesktopHabits, UndoKeyDoesNothingWhileNeitherUndoIsEnabled) {
    Open(Picture());
    const QImage before = form->Image1->Bitmap().ImageView().copy();
    form->NumberBox1->setFocus();
    QTest::keyClick(form->NumberBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Shows(form->Image1->Bitmap(), before));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(DesktopHabits, ADroppedPictureOpensAsIfChosenInTheDialog) {
    const QString path = Picture();
    Drop({path});
    EXPECT_EQ(form->windowTitle(), "Halvane - " + path);
    EXPECT_EQ(SourceBitmap.Width(), 600);
    EXPECT_TRUE(form->Button1->isEnabled());
    EXPECT_TRUE(desktop.openCalls.empty()) << "no dialog";
}

TEST_F(DesktopHabits, OfSeveralDroppedFilesTheFirstOpens) {
    const QString first = Picture();
    const QString second = WritePicture("second.png", TestPicture(700, 500));
    Drop({first, second});
    EXPECT_EQ(form->windowTitle(), "Halvane - " + first);
    EXPECT_EQ(SourceBitmap.Width(), 600);
}

TEST_F(DesktopHabits, ADroppedTextFileGivesTheLoadErrorAndChangesNothing) {
    QFile text(folder.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture\n");
    text.close();
    Drop({text.fileName()});
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages.front().text.startsWith("Loading bitmap failed"))
        << desktop.messages.front().text.toStdString();
    EXPECT_EQ(form->windowTitle(), "Halvane");
    EXPECT_FALSE(form->Button1->isEnabled());
}

TEST_F(DesktopHabits, ADropWhileAMessageBoxIsOpenIsRefused) {
    QMessageBox box(QMessageBox::Critical, "Halvane", "a message");
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    Drop({Picture()});
    box.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->windowTitle(), "Halvane");
    EXPECT_TRUE(SourceBitmap.IsEmpty());
}

TEST_F(DesktopHabits, TheAboutWindowOpensWithTheFocusOnOk) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        form->MenuItem6->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowActive(about));
        EXPECT_EQ(QApplication::focusWidget(), about->Button1);
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_FALSE(about->isVisible());
        EXPECT_TRUE(desktop.openedUrls.empty()) << "no donation started";
        ShowActive(); // the main window takes over, as the window system does
    }
    // Even when the donate button had the focus the last time.
    form->MenuItem6->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    about->Button2->setFocus();
    about->hide();
    ShowActive();
    form->MenuItem6->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    EXPECT_EQ(QApplication::focusWidget(), about->Button1);
}

TEST_F(DesktopHabits, TheLevelBoxTextFieldFollowsTheBoxCursor) {
    QLineEdit* field = form->Edit2->findChild<QLineEdit*>();
    EXPECT_EQ(field->cursor().shape(), Qt::IBeamCursor) << "before the first posterize";
    std::vector<Qt::CursorShape> whilePosterizing;
    PosterBitmap.SetObserver([&] { whilePosterizing.push_back(field->cursor().shape()); });
    Open(Picture());
    PosterBitmap.SetObserver(nullptr);
    ASSERT_FALSE(whilePosterizing.empty());
    for (const Qt::CursorShape shape : whilePosterizing)
        EXPECT_EQ(shape, Qt::WaitCursor);
    EXPECT_EQ(field->cursor().shape(), Qt::ArrowCursor);
}

TEST(ProgramArguments, AtMostOneFileAndOnlyHelp) {
    struct Case {
        QStringList arguments;
        std::optional<QString> picture;
        bool help;
        bool refused;
    };
    const Case cases[] = {
        {{}, std::nullopt, false, false},
        {{"photo.jpg"}, QString("photo.jpg"), false, false},
        {{"./-dash.png"}, QString("./-dash.png"), false, false},
        {{"--help"}, std::nullopt, true, false},
        {{"a.jpg", "b.jpg"}, std::nullopt, false, true},
        {{"--help", "a.jpg"}, std::nullopt, false, true},
        {{"--helpful"}, std::nullopt, false, true},
        {{"-"}, std::nullopt, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const ProgramArguments read = ReadProgramArguments(c.arguments);
        EXPECT_EQ(read.picture, c.picture);
        EXPECT_EQ(read.help, c.help);
        EXPECT_EQ(!read.error.isEmpty(), c.refused);
    }
}

TEST(ProgramArguments, HelpPrintsTheUsageAndEndsWellWithoutADisplay) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(HALVANE_PROGRAM), {"--help"});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(program.readAllStandardOutput());
    EXPECT_TRUE(output.startsWith("Usage: halvane [FILE]\n")) << output.toStdString();
    EXPECT_TRUE(output.contains("halvane-batch --help"));
    EXPECT_TRUE(program.readAllStandardError().isEmpty());
}

TEST(ProgramArguments, TheProgramRefusesOthersWithStatusTwoAndItsUsage) {
    for (const QStringList& arguments : {QStringList{"--version"}, QStringList{"a.png", "b.png"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(HALVANE_PROGRAM), arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 2);
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(errors.contains("Usage: halvane [FILE]")) << errors.toStdString();
        EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
    }
}

} // namespace
