// SPDX-License-Identifier: MIT
// What loading and saving raise, as text, for tests of their messages.
#pragma once

#include "Bitmap.h"
#include "ImageFile.h"
#include "NewFile.h"

#include <QString>
#include <optional>

// The message LoadBitmapFromFile raised, or nothing when it succeeded.
std::optional<QString> LoadError(TBitmap& target, const QString& path,
                                 const ImageLoadOptions& options = {});
// The message SaveBitmapAsJpeg raised, or an empty text when it succeeded.
QString SaveError(const TBitmap& bitmap, const QString& path, const WriteCall& write = {});
// "Loading bitmap failed (<path>).", the message of a file no decoder reads.
QString LoadFailedMessage(const QString& path);
// "Cannot create file "<path>". <the system's description of error>".
QString CannotCreate(const QString& path, int error);
