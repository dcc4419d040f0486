// SPDX-License-Identifier: MIT
// Whether a file's data reaches the end of its picture. Qt's JPEG and GIF readers show what they
// could decode of a file cut short, the rest grey or empty, as if it had loaded; these checks
// let the loader refuse such a file as damaged.
#pragma once

#include <QByteArrayView>

// A JPEG's markers, read from its start over every segment and every scan's coded data, reach
// the end-of-image marker before the file ends.
bool JpegReachesItsEnd(QByteArrayView file);

// The first picture of a GIF (the one shown) has all its data: the blocks before it and its own
// coded data, to the block that ends it, lie inside the file.
bool GifReachesItsEnd(QByteArrayView file);
