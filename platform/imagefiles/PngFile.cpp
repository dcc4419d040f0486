// SPDX-License-Identifier: MIT
#include "PngFile.h"

#include "AppError.h"
#include "NewFile.h"

#include <QFileInfo>
#include <QImageWriter>

namespace {

bool AllOpaque(const QImage& view) {
    for (int y = 0; y < view.height(); ++y) {
        const auto* row = reinterpret_cast<const TAlphaColor*>(view.constScanLine(y));
        TAlphaColor alphas = 0xFF000000u;
        for (int x = 0; x < view.width(); ++x)
            alphas &= row[x];
        if (alphas < 0xFF000000u)
            return false;
    }
    return true;
}

// The pixels without copying them. The grid writes its colour's four bytes unblended, so a pixel
// may hold colour bytes above its alpha; read as unpremultiplied ARGB every byte survives.
QImage LosslessView(const TBitmap& source) {
    const QImage view = source.ImageView();
    if (view.isNull())
        return view;
    return QImage(view.constBits(), view.width(), view.height(), view.bytesPerLine(),
                  AllOpaque(view) ? QImage::Format_RGB32 : QImage::Format_ARGB32);
}

} // namespace

void SaveBitmapAsPng(const TBitmap& source, const QString& path) {
    if (QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) != 0)
        throw AppError(QStringLiteral("Saving bitmap failed."));
    WriteNewFile(path, [&source](QIODevice& file) {
        return QImageWriter(&file, QByteArrayLiteral("png")).write(LosslessView(source));
    });
}
