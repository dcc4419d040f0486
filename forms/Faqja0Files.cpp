// SPDX-License-Identifier: MIT
// Opening an image and saving the shown picture as JPEG.
#include "CanvasCommands.h"
#include "Desktop.h"
#include "EventBoundary.h"
#include "Faqja0.h"
#include "GridSpacing.h"
#include "ImageFile.h"
#include "JpegFile.h"
#include "NumberBox.h"
#include "PictureBox.h"
#include "PictureView.h"
#include "RealScrollBar.h"
#include "StudyMenu.h"
#include "ToggleButton.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <optional>

namespace {

const QString OpenFilter =
    QStringLiteral("All files (*.Bmp *.Jpg *.Jpeg *.Png *.Gif *.Tif *.Tiff *.Ico *.Wmp)| "
                   "*.Bmp;*.Jpg;*.Jpeg;*.Png;*.Gif;*.Tif;*.Tiff;*.Ico;*.Wmp");
const QString SaveFilter = QStringLiteral("*.Jpg | *.Jpg");

// Bitmaps of the picture's size held at once: the seven working bitmaps, the shown picture and
// the one being decoded. A picture whose set does not fit in memory is refused before decoding.
constexpr int WorkingSetBitmaps = 9;

// The folder part of a path: everything before its last separator.
QString FolderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/'));
}
QString FileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// A regular file, following links; a folder of that name does not count.
bool FileExists(const QString& path) {
    return QFileInfo(path).isFile();
}

// The first local file among dragged data, unless a dialog or message box is open.
std::optional<QString> DroppedFile(const QMimeData& data) {
    if (QApplication::activeModalWidget())
        return std::nullopt;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return std::nullopt;
}

} // namespace

// "Open.." clicked: a picture chosen in the dialog is loaded, greyed, posterized and shown, and
// the effect buttons come alive; a cancelled dialog only recentres the horizontal scroll.
void TForm1::Button4Click(QObject*) {
    OpenDialog1.Filter = OpenFilter;
    const QString imagesFolder =
        QCoreApplication::applicationDirPath() + u'/' + QStringLiteral("Images");
    OpenDialog1.InitialDir =
        LastOpenedPath.isEmpty() ? imagesFolder : FolderOf(QString::fromLocal8Bit(LastOpenedPath));
    if (OpenDialog1.Execute(this))
        OpenFile(OpenDialog1.FileName);
    else
        // Every change of the picture's size or the view's has fitted both ranges since, so only
        // the horizontal bar can differ: scrolled by the user, it goes back to the middle.
        UpdateScrollRanges();
}

// A file dragged over the window: taken when it is a local file and no dialog or message box is
// open; of several files, the first.
void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(*event->mimeData()))
        event->acceptProposedAction();
}

// A file dropped on the window: opened once the drop is over, so that a message box it raises
// never holds up the program it was dragged from.
void TForm1::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = DroppedFile(*event->mimeData());
    if (!path)
        return;
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, path = *path] { RunHandler([&] { OpenFile(path); }); }, Qt::QueuedConnection);
}

// Opening the picture at a path, the steps every way a file arrives shares: chosen in "Open..",
// dropped on the window or named on the command line.
void TForm1::OpenFile(const QString& path) {
    Image1->Bitmap().Clear(claWhite);
    Image1->ClearOverlay();
    ImageLoadOptions options;
    options.workingSetBitmaps = WorkingSetBitmaps;
    options.spareHelper = true;
    LoadBitmapFromFile(SourceBitmap, path, options);
    // The second copy is the same decoded picture; copying it spares a second decode. It stays
    // the whole opened picture while a crop of it is studied.
    SourceCopyBitmap.Assign(SourceBitmap);
    StudySource(path);
}

void TForm1::StudySource(const std::optional<QString>& openedPath) {
    const int width = SourceBitmap.Width();
    const int height = SourceBitmap.Height();
    if (width < 500)
        CurrentDesktop().ShowError(
            QStringLiteral(
                "Image is smaller than 500 pixel for width! For better result you need to "
                "resize to minimum: width = 500 pixel.."),
            QStringLiteral("Halvane"));
    if (openedPath) {
        setWindowTitle(QStringLiteral("Halvane - ") + *openedPath);
        LastOpenedPath = openedPath->toLocal8Bit();
    }
    NumberBox1->SetText(QString::number(GridSpacing::Proposed(width, height)));
    // A new picture shows whole where Fit was chosen, else at one screen pixel per pixel, from
    // the top and the left as at the start of a run.
    View->StartNewPicture();
    // The scroll ranges come out as a resize computes them, without the bars going back to 0.
    LayOutPicture(ScrollStart::AsTheyWere);
    ConvertToGrey();
    Image1->setVisible(true);
    Button3->SetPressed(false);
    Button3->setEnabled(true);
    Button6->setEnabled(true);
    Button2->setEnabled(true);
    Button1->setEnabled(true);
    CanvasMenu->PictureOpened(width, height);
    Study->SimplifyItem->setEnabled(true);
    OfferUndo(UndoOffer::None);
}

// "Save As.." clicked: the shown picture written as a new JPEG; a name that exists is refused
// and the dialog asked again.
void TForm1::Button5Click(QObject* Sender) {
    SaveDialog1.Filter = SaveFilter;
    SaveDialog1.FileName.clear();
    SaveDialog1.InitialDir = LastSavedName.isEmpty() ? SavedTo.StartFor(QStringLiteral("jpg"))
                                                     : QString::fromLocal8Bit(LastSavedName);
    if (!SaveDialog1.Execute(this))
        return;
    const QString name = SaveDialog1.FileName;
    const QString tail = name.right(4).toLower();
    if (name.isEmpty())
        return;
    const bool exists = FileExists(name);
    const bool existsWithJpg = FileExists(name + QStringLiteral(".jpg"));
    if (exists || existsWithJpg) {
        LastSavedName = FileNameOf(name).toLocal8Bit();
        CurrentDesktop().ShowError(QStringLiteral("File name exists!"), QStringLiteral("Error"));
        Button5Click(Sender);
        return;
    }
    if (tail == QStringLiteral(".jpg")) {
        SaveBitmapAsJpeg(Image1->Bitmap(), name);
    } else {
        SaveBitmapAsJpeg(Image1->Bitmap(), name + QStringLiteral(".jpg"));
        LastSavedName.clear();
    }
    SavedTo.Used(QStringLiteral("jpg"), name);
}
