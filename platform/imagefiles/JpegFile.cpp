// SPDX-License-Identifier: MIT
#include "JpegFile.h"

#include "AppError.h"
#include "NewFile.h"

#include <QFileInfo>
#include <QImageWriter>

namespace {

bool HasJpegExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("jpeg"), Qt::CaseInsensitive) == 0;
}

// The pixels without copying them, read as RGB32 so that the encoder ignores the alpha byte.
QImage OpaqueView(const TBitmap& source) {
    const QImage view = source.ImageView();
    if (view.isNull())
        return view;
    return QImage(view.constBits(), view.width(), view.height(), view.bytesPerLine(),
                  QImage::Format_RGB32);
}

} // namespace

void SaveBitmapAsJpeg(const TBitmap& source, const QString& path, const WriteCall& write) {
    if (!HasJpegExtension(path))
        throw AppError(QStringLiteral("Saving bitmap failed."));
    WriteNewFile(
        path,
        [&source](QIODevice& file) {
            return QImageWriter(&file, QByteArrayLiteral("jpeg")).write(OpaqueView(source));
        },
        write);
}
