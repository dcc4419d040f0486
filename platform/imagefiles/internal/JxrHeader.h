// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QSize>
#include <optional>

// What the program reads of a JPEG XR file itself: the container's directory and the codestream
// header, by hand, so that the decoding library never runs inside the program (it runs in the
// helper process of JxrHelper.h).

// True when the bytes start like a JPEG XR container.
bool IsJxrContent(const QByteArray& head);

// The width and height of the decoded picture: the size the codestream header declares (with
// its window), turned a quarter when the container's orientation says so. nullopt when the bytes
// do not hold a readable directory and header, when the container's own width and height
// entries contradict the codestream's sizes (in either order), or a side does not fit an int.
std::optional<QSize> JxrImageSize(const QByteArray& fileBytes);
