// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"
#include "ImageHeader.h"

#include <QByteArray>
#include <memory>

// A file read by Qt's plug-in for its kind (JPEG, GIF, icons), and by no other plug-in. The
// declared size is the GIF header's logical screen, the handler's header parser's otherwise. While
// the file is decoded, Qt's allocation limit follows that size. Icons keep the transparency of
// their AND mask in 16- and 24-bit images too. Null when the header declares no size or a side of
// 0.
std::unique_ptr<FormatDecoder> OpenWithQt(const QByteArray& bytes, ImageKind kind);

// Loads the plug-ins of those kinds now: Qt otherwise opens them at the first file of each kind.
void PrepareQtDecoders();
