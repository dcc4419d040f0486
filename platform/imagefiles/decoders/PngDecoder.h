// SPDX-License-Identifier: MIT
#pragma once

#include "FormatDecoder.h"

#include <QByteArrayView>
#include <memory>

// PNG through libpng's own transforms: every colour type and bit depth, interlaced or not, a
// transparent colour key (tRNS) of any depth made alpha before 16-bit samples are rounded to 8,
// alpha premultiplied. The picture is read up to its last pixel row; what follows the image data
// is not looked at. Gamma and colour profiles are not applied. Null when the header is not a
// valid PNG header.
std::unique_ptr<FormatDecoder> OpenPng(QByteArrayView file);
