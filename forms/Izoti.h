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

    PictureBox* Image1;   // the product logo
    PictureBox* Image2;   // the maker's logo
    QGroupBox* GroupBox1; // "About" group
    QLabel* Label1;       // name and version
    QLabel* Label2;       // how the program is made
    QLabel* Label3;       // rights notice
    QLabel* Label4;       // contact address
    QPushButton* Button2; // "Donate with Paypal." button
    QPushButton* Button1; // "OK" button

    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);

protected:
    void showEvent(QShowEvent* event) override;
};
