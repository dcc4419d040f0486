// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"

#include <QByteArray>
#include <memory>

// JPEG XR: the size read by our own header reader (JxrHeader.h), the pixels decoded by the
// library (JxrDecode.h). Null when the header cannot be read.
std::unique_ptr<FormatDecoder> OpenJxr(const QByteArray& bytes);
