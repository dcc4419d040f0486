// SPDX-License-Identifier: MIT
#include "Desktop.h"

#include "FileDialogs.h"
#include "SaveFileDialog.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

namespace {

class RealDesktop final : public Desktop {
public:
    std::optional<QString> OpenFileName(QWidget* owner, const QString& filter,
                                        const QString& initialFolder) override {
        const QString path =
            QFileDialog::getOpenFileName(owner, QString(), initialFolder, QtFilterOf(filter));
        return path.isEmpty() ? std::nullopt : std::optional(path);
    }

    std::optional<QString> SaveFileName(QWidget* owner, const QString& filter,
                                        const QString& fileName,
                                        const QString& initialFolder) override {
        // Existing names are refused by the caller with its own message.
        SaveFileDialog dialog(owner, QtFilterOf(filter), initialFolder);
        dialog.selectFile(fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }

    void ShowError(const QString& text, const QString& caption) override {
        QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }

    std::optional<TAlphaColor> PickColour(QWidget* owner, TAlphaColor initial,
                                          bool withAlpha) override {
        const QColorDialog::ColorDialogOptions options =
            withAlpha ? QColorDialog::ShowAlphaChannel : QColorDialog::ColorDialogOptions();
        const QColor chosen =
            QColorDialog::getColor(QColor::fromRgba(initial), owner, QString(), options);
        if (!chosen.isValid())
            return std::nullopt;
        return withAlpha ? chosen.rgba() : (chosen.rgba() | 0xFF000000u);
    }

    void OpenUrl(const QString& address) override { QDesktopServices::openUrl(QUrl(address)); }

    int RunDialog(QDialog& dialog) override { return dialog.exec(); }

    bool SetUpPrinter(QWidget* owner, QPrinter& printer) override {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    }
};

RealDesktop realDesktop;
Desktop* installed = nullptr;

} // namespace

Desktop& CurrentDesktop() {
    return installed ? *installed : realDesktop;
}

void InstallDesktop(Desktop* desktop) {
    installed = desktop;
}
