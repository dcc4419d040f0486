// SPDX-License-Identifier: MIT
// The About window.
#pragma once

#include <QWidget>

class PictureBox;
class QGroupBox;
class QLabel;
class QPushButton;

// Where the donate button leads; written nowhere else.
extern const char DonationAddress[];

class TForm2 : public QWidget {
public:
    explicit TForm2(QWidget* parent = nullptr);

    PictureBox* Image1;
    PictureBox* Image2;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Button2;
    QPushButton* Button1;

    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
};
