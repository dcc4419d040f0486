// SPDX-License-Identifier: MIT
#include "Izoti.h"

#include "Desktop.h"
#include "EventBoundary.h"
#include "InterfaceFont.h"
#include "Logos.h"
#include "PictureBox.h"
#include "Placement.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

const char DonationAddress[] = "https://halvane.example/donate";

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("About Halvane"));
    setFont(InterfaceFont());
    setFixedSize(605, 268);
    // Only the main window's closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Image1 = Place(new PictureBox(this), 0, 0, 256, 256);
    Image1->SetPicture(QImage(Logos::Product256));
    Image2 = Place(new PictureBox(this), 264, 16, 330, 120);
    Image2->SetPicture(QImage(Logos::Maker));
    GroupBox1 = Place(new QGroupBox(QStringLiteral("About"), this), 264, 142, 329, 83);
    Label1 = Place(new QLabel(QStringLiteral("Halvane   V." HALVANE_VERSION), GroupBox1), 272, 158,
                   313, 17);
    Label2 = Place(new QLabel(QStringLiteral("Written in C++20 with Qt 6"), GroupBox1), 272, 174,
                   313, 17);
    Label3 = Place(
        new QLabel(QStringLiteral("\u00A9 2026 Halvane Studio. All rights reserved."), GroupBox1),
        272, 190, 313, 17);
    Label4 = Place(new QLabel(QStringLiteral("hi@halvane.test"), GroupBox1), 272, 206, 120, 17);
    Button2 =
        Place(new QPushButton(QStringLiteral("Donate with Paypal."), this), 384, 234, 209, 22);
    Button1 = Place(new QPushButton(QStringLiteral("OK"), this), 264, 234, 113, 22);
    setTabOrder(Button1, Button2);
    // Enter, like Space, clicks the focused button; neither is the window's default button.
    for (QPushButton* button : {Button1, Button2})
        button->setAutoDefault(true);

    connect(Button1, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Button1Click(Button1); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Button2Click(Button2); }); });
}

// Each time the window opens, the keyboard is on "OK", so a key pressed at once closes it and
// never starts a donation.
void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Button1->setFocus(Qt::ActiveWindowFocusReason);
}

// "OK" clicked: the window hidden, kept for the next time.
void TForm2::Button1Click(QObject*) {
    hide();
}

// "Donate with Paypal." clicked: the donation page handed to the desktop; the window stays.
void TForm2::Button2Click(QObject*) {
    const QByteArray narrow(DonationAddress);
    CurrentDesktop().OpenUrl(QString::fromLocal8Bit(narrow));
}
