// SPDX-License-Identifier: MIT
// Files cut short: every JPEG and GIF cut before its picture's data ends is found out, every
// whole one is not, and a cut file of each format is refused by the loader.
#include "DataEnds.h"
#include "FileErrors.h"
#include "ImageCompare.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray BytesOf(const QString& name) {
    QFile file(TestDataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DataEnds, AJpegIsWholeFromItsEndOfImageMarkerOn) {
    for (const char* name : {"quads.jpg", "gray.jpg", "rotated6.jpg"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = BytesOf(name);
        ASSERT_FALSE(whole.isEmpty());
        EXPECT_TRUE(JpegReachesItsEnd(whole));
        EXPECT_TRUE(JpegReachesItsEnd(whole + QByteArray(100, '\x55')))
            << "bytes after the end, as some cameras write, do no harm";
        // The end-of-image marker is the last two bytes: every shorter prefix is cut short.
        ASSERT_TRUE(whole.endsWith("\xFF\xD9"));
        for (qsizetype length = 0; length < whole.size() - 1; ++length)
            ASSERT_FALSE(JpegReachesItsEnd(QByteArrayView(whole).first(length))) << length;
    }
    // A marker's length that points past the file, a scan's as well (whose coded data is then
    // looked for past the end), and bytes where a marker is due.
    EXPECT_FALSE(JpegReachesItsEnd(QByteArray("\xFF\xD8\xFF\xE0\x7F\xFF\x00\x00", 8)));
    EXPECT_FALSE(JpegReachesItsEnd(QByteArray("\xFF\xD8\xFF\xDA\x7F\xFF\x00\x00", 8)));
    EXPECT_FALSE(JpegReachesItsEnd(QByteArray("\xFF\xD8\x12\x34\xFF\xD9", 6)));
}

TEST(DataEnds, AGifIsWholeOnceItsFirstPicturesDataIsEnded) {
    const QByteArray whole = BytesOf("anim.gif");
    ASSERT_FALSE(whole.isEmpty());
    EXPECT_TRUE(GifReachesItsEnd(whole));
    // The first picture's data ends with a zero-length block before the second frame: from that
    // byte on the file is whole enough for the picture shown, before it never.
    qsizetype firstDataEnd = -1;
    for (qsizetype length = 0; length <= whole.size(); ++length)
        if (GifReachesItsEnd(QByteArrayView(whole).first(length))) {
            firstDataEnd = length;
            break;
        }
    ASSERT_GT(firstDataEnd, 13) << "never whole before the header, screen and a picture";
    EXPECT_LT(firstDataEnd, whole.size()) << "the second frame is not needed";
    EXPECT_EQ(whole[firstDataEnd - 1], '\0') << "whole exactly at the data's terminator";
    for (qsizetype length = firstDataEnd; length <= whole.size(); ++length)
        ASSERT_TRUE(GifReachesItsEnd(QByteArrayView(whole).first(length))) << length;
}

TEST(DataEnds, AFileCutInItsPicturesDataIsALoadFailureInEveryFormat) {
    for (const char* name : {"cut.jpg", "cut.png", "cut.gif", "cut.tif"}) {
        SCOPED_TRACE(name);
        TBitmap bitmap;
        EXPECT_EQ(LoadError(bitmap, TestDataPath(name)), LoadFailedMessage(TestDataPath(name)));
        EXPECT_TRUE(bitmap.IsEmpty());
    }
}

} // namespace
