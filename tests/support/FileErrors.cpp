// SPDX-License-Identifier: MIT
#include "FileErrors.h"

#include "AppError.h"
#include "JpegFile.h"

#include <cstring>

std::optional<QString> LoadError(TBitmap& target, const QString& path,
                                 const ImageLoadOptions& options) {
    try {
        LoadBitmapFromFile(target, path, options);
    } catch (const AppError& error) {
        return error.message();
    }
    return std::nullopt;
}

QString SaveError(const TBitmap& bitmap, const QString& path, const WriteCall& write) {
    try {
        SaveBitmapAsJpeg(bitmap, path, write);
    } catch (const AppError& error) {
        return error.message();
    }
    return QString();
}

QString CannotCreate(const QString& path, int error) {
    return QStringLiteral("Cannot create file \"%1\". %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

QString LoadFailedMessage(const QString& path) {
    return QStringLiteral("Loading bitmap failed (") + path + QStringLiteral(").");
}
