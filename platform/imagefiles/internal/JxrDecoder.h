// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"
#include "ImageFile.h"

#include <QByteArray>
#include <memory>

// JPEG XR: the size read by our own header reader (JxrHeader.h), the pixels decoded by the helper
// process (JxrHelper.h) given the options' helper and time limit. Null when the header cannot be
// read. Whatever stops the helper makes the file damaged.
std::unique_ptr<FormatDecoder> OpenJxr(const QByteArray& bytes, const ImageLoadOptions& options);
