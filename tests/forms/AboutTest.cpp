// SPDX-License-Identifier: MIT
// The About window: shown from the menu, hidden by OK or its frame, modeless, and its donate
// button handing the address to the desktop.
#include "FormFixture.h"
#include "PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

class About : public FormTest {
protected:
    void SetUp() override {
        form->show();
        ResizeClient(919, 600);
    }
    int VisibleAboutWindows() const {
        int count = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            count += window->isVisible() && window->windowTitle() == "About Halvane";
        return count;
    }
};

TEST_F(About, WindowAsDefined) {
    EXPECT_EQ(about->windowTitle(), "About Halvane");
    EXPECT_EQ(about->size(), QSize(605, 268));
    EXPECT_EQ(about->minimumSize(), about->maximumSize()) << "fixed size";
    EXPECT_TRUE(about->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(about->isVisible()) << "created hidden";
    struct Row {
        QWidget* control;
        QRect geometry;
        QString text;
    };
    TForm2& a = *about;
    for (const Row& row :
         {Row{a.Image1, {0, 0, 256, 256}, ""}, Row{a.Image2, {264, 16, 330, 120}, ""},
          Row{a.GroupBox1, {264, 142, 329, 83}, "About"},
          Row{a.Label1, {272, 158, 313, 17}, "Halvane   V.1.2"},
          Row{a.Label2, {272, 174, 313, 17}, a.Label2->text()},
          Row{a.Label3, {272, 190, 313, 17}, a.Label3->text()},
          Row{a.Label4, {272, 206, 120, 17}, a.Label4->text()},
          Row{a.Button2, {384, 234, 209, 22}, "Donate with Paypal."},
          Row{a.Button1, {264, 234, 113, 22}, "OK"}}) {
        EXPECT_EQ(QRect(row.control->mapTo(&a, QPoint(0, 0)), row.control->size()), row.geometry);
        if (auto* group = qobject_cast<QGroupBox*>(row.control)) {
            EXPECT_EQ(group->title(), row.text);
        } else if (auto* label = qobject_cast<QLabel*>(row.control)) {
            EXPECT_EQ(label->text(), row.text);
        } else if (auto* button = qobject_cast<QPushButton*>(row.control)) {
            EXPECT_EQ(button->text(), row.text);
        }
    }
    for (QLabel* label : {a.Label2, a.Label3, a.Label4})
        EXPECT_FALSE(label->text().isEmpty());
    QWidget* nextStop = a.Button1->nextInFocusChain();
    while (!(nextStop->focusPolicy() & Qt::TabFocus))
        nextStop = nextStop->nextInFocusChain();
    EXPECT_EQ(nextStop, a.Button2);
    EXPECT_FALSE(a.Button1->isDefault());
    EXPECT_FALSE(a.Image1->grab().toImage().isNull());
}

TEST_F(About, TwoMenuClicksShowOneWindow) {
    form->MenuItem6->trigger();
    form->MenuItem6->trigger();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(VisibleAboutWindows(), 1);
    EXPECT_TRUE(form->isEnabled()) << "modeless: the main window stays usable";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(About, OkAndTheFrameHideItAndTheMenuShowsItAgainWhereItWas) {
    form->MenuItem6->trigger();
    about->move(123, 45);
    about->Button1->click();
    EXPECT_FALSE(about->isVisible());
    form->MenuItem6->trigger();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->pos(), QPoint(123, 45));
    EXPECT_TRUE(about->close());
    EXPECT_FALSE(about->isVisible());
    form->MenuItem6->trigger();
    EXPECT_TRUE(about->isVisible()) << "closing from the frame only hid it";
}

TEST_F(About, ClosingTheMainWindowWhileAboutIsShownEndsTheProgram) {
    form->MenuItem6->trigger();
    QTimer::singleShot(0, form, [this] { form->close(); });
    // Bounds the test should the loop not end; it is not a wait for anything.
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0) << "the About window does not keep the program running";
}

TEST_F(About, DonateHandsExactlyTheAddressToTheDesktop) {
    form->MenuItem6->trigger();
    about->Button2->click();
    EXPECT_EQ(desktop.openedUrls, std::vector<QString>{QString::fromLatin1(DonationAddress)});
    EXPECT_TRUE(about->isVisible()) << "the window stays open";
}

} // namespace
