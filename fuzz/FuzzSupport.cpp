// SPDX-License-Identifier: MIT
#include "FuzzSupport.h"

#include "AppError.h"
#include "Bitmap.h"
#include "ImageFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

// The program's working set of nine bitmaps within 256 MB: pictures up to about 7 megapixels.
constexpr std::uint64_t WorkingSetLimit = std::uint64_t(256) << 20;
constexpr int WorkingSetBitmaps = 9;

void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// One file per process, rewritten for every input.
QString InputPath(const QString& extension) {
    return QDir::temp().filePath(
        QStringLiteral("halvane-fuzz-%1%2").arg(QCoreApplication::applicationPid()).arg(extension));
}

} // namespace

void StartFuzzing(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv);
    qInstallMessageHandler(&DropMessage);
}

void LoadAsFile(const std::uint8_t* data, std::size_t size, const QString& extension) {
    const QString path = InputPath(extension);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        abort();
    file.close();
    ImageLoadOptions options;
    options.memoryLimit = WorkingSetLimit;
    options.workingSetBitmaps = WorkingSetBitmaps;
    options.jxrHelper = QStringLiteral("/nonexistent/halvane-jxr-decode");
    TBitmap bitmap;
    try {
        LoadBitmapFromFile(bitmap, path, options);
    } catch (const AppError&) {
    }
}
