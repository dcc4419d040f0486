// SPDX-License-Identifier: MIT
// Loads on several threads at once, as halvane-batch runs them: what the loader shares across the
// process must not let one load refuse or spoil another.
#include "AppError.h"
#include "Bitmap.h"
#include "ImageFile.h"

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

QString WriteGreyPicture(const QTemporaryDir& folder, const QString& name, int side) {
    // Grey pixels are decoded into an image of Qt's own, the way that passes Qt's allocation
    // limit, before they become a bitmap.
    QImage picture(side, side, QImage::Format_Grayscale8);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            picture.scanLine(y)[x] = uchar((x ^ y) & 0xFF);
    const QString path = folder.filePath(name);
    EXPECT_TRUE(picture.save(path, "PNG"));
    return path;
}

bool Loads(const QString& path) {
    TBitmap bitmap;
    try {
        LoadBitmapFromFile(bitmap, path);
    } catch (const AppError&) {
        return false;
    }
    return !bitmap.IsEmpty();
}

TEST(ConcurrentLoads, ASmallPictureNeverNarrowsTheLimitOfALargeOneUnderWay) {
    QTemporaryDir folder;
    // Its decode needs more than the small picture's limit of 1 MB.
    const QString large = WriteGreyPicture(folder, "large.png", 1800);
    const QString small = WriteGreyPicture(folder, "small.png", 8);
    const int limitBefore = QImageReader::allocationLimit();

    std::atomic<bool> largeDone = false;
    std::atomic<int> smallFailures = 0;
    std::thread smallLoads([&] {
        while (!largeDone)
            smallFailures += Loads(small) ? 0 : 1;
    });
    int largeFailures = 0;
    for (int i = 0; i < 15; ++i)
        largeFailures += Loads(large) ? 0 : 1;
    largeDone = true;
    smallLoads.join();

    EXPECT_EQ(largeFailures, 0);
    EXPECT_EQ(smallFailures, 0);
    EXPECT_EQ(QImageReader::allocationLimit(), limitBefore) << "the limit is back as it was";
}

} // namespace
