// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

// JPEG XR decoding. The library behind it is fragile on damaged files, so everything it needs
// stays behind these three calls: bytes in, size or pixels out.

// True when the bytes start like a JPEG XR container.
bool IsJxrContent(const QByteArray& head);

// The picture's width and height as the codestream header declares them, without decoding any
// pixels; nullopt when the bytes cannot be read as JPEG XR.
std::optional<QSize> JxrImageSize(const QByteArray& fileBytes);

// The first image in Format_ARGB32_Premultiplied; nullopt when the bytes cannot be decoded or
// hold a pixel format we do not convert (high dynamic range, CMYK, n-channel).
std::optional<QImage> DecodeJxr(const QByteArray& fileBytes);
