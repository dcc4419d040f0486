// SPDX-License-Identifier: MIT
// Saves a picture to the path it is given and, once the first bytes are written, reports "w" on
// its standard output and waits to be killed: a program stopped in the middle of a save.
#include "JpegFile.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2)
        return 2;
    TBitmap picture;
    picture.SetSize(1000, 1000);
    auto* pixels = reinterpret_cast<quint32*>(picture.Bits());
    QRandomGenerator(7).fillRange(pixels, picture.ByteCount() / sizeof(quint32));
    SaveBitmapAsJpeg(picture, QString::fromLocal8Bit(argv[1]),
                     [](int descriptor, const void* buffer, std::size_t count) {
                         const ssize_t written = ::write(descriptor, buffer, count);
                         if (::write(STDOUT_FILENO, "w", 1) == 1)
                             for (;;)
                                 pause();
                         return written;
                     });
    return 1;
}
