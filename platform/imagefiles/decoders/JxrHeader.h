// SPDX-License-Identifier: MIT
#pragma once

#include "ImageHeader.h"

#include <QByteArray>
#include <QSize>
#include <optional>

// What the JPEG XR decoder reads of a file by hand before the library sees it: the container's
// directory and the codestream header, which give the declared size.

// The width and height of the decoded picture: the size the codestream header declares (with
// its window), turned a quarter when the container's orientation says so. nullopt when the bytes
// do not hold a readable directory and header, when the container's own width and height
// entries contradict the codestream's sizes (in either order), or a side does not fit an int.
std::optional<QSize> JxrImageSize(const QByteArray& fileBytes);
