// SPDX-License-Identifier: MIT
#include "ScratchMount.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QtEndian>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Runs a tool; its error output, or nothing when it succeeded.
std::optional<QString> Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return program + QStringLiteral(": ") + process.errorString();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") +
               QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return std::nullopt;
}

} // namespace

ScratchMount ScratchMount::Tmpfs(const QString& mountPoint, qint64 bytes) {
    return ScratchMount(mountPoint, {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                     QStringLiteral("-o"), QStringLiteral("size=%1").arg(bytes),
                                     QStringLiteral("tmpfs"), mountPoint});
}

ScratchMount ScratchMount::Squashfs(const QString& image, const QString& mountPoint) {
    return ScratchMount(mountPoint,
                        {QStringLiteral("-t"), QStringLiteral("squashfs"), QStringLiteral("-o"),
                         QStringLiteral("loop,ro"), image, mountPoint});
}

ScratchMount::ScratchMount(const QString& mountPoint, const QStringList& mountArguments)
    : mountPoint_(mountPoint) {
    if (geteuid() != 0) {
        whyNot_ = QStringLiteral("mounting a filesystem needs root");
        return;
    }
    if (!QDir().mkpath(mountPoint)) {
        whyNot_ = QStringLiteral("cannot make the folder ") + mountPoint;
        return;
    }
    whyNot_ = Run(QStringLiteral("mount"), mountArguments);
}

ScratchMount::ScratchMount(ScratchMount&& other) noexcept
    : mountPoint_(std::move(other.mountPoint_)), whyNot_(std::move(other.whyNot_)) {
    other.whyNot_ = QStringLiteral("moved");
}

ScratchMount::~ScratchMount() {
    if (whyNot_)
        return;
    // Lazily if still busy, so that a failing test cannot leave the mount behind.
    const QByteArray point = QFile::encodeName(mountPoint_);
    if (::umount2(point.constData(), 0) != 0)
        ::umount2(point.constData(), MNT_DETACH);
}

std::optional<QString> MakeDamagedSquashfs(const QString& folder, const QString& image) {
    QString mksquashfs = QStandardPaths::findExecutable(QStringLiteral("mksquashfs"));
    if (mksquashfs.isEmpty())
        mksquashfs = QStandardPaths::findExecutable(
            QStringLiteral("mksquashfs"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (mksquashfs.isEmpty())
        return QStringLiteral("mksquashfs is not installed (package squashfs-tools)");
    // 4 KB blocks, each compressed on its own; no fragments, so file data lies in whole blocks.
    if (const auto failed =
            Run(mksquashfs,
                {folder, image, QStringLiteral("-noappend"), QStringLiteral("-quiet"),
                 QStringLiteral("-b"), QStringLiteral("4096"), QStringLiteral("-no-fragments")}))
        return failed;
    QFile file(image);
    if (!file.open(QIODevice::ReadWrite))
        return QStringLiteral("cannot open ") + image;
    QByteArray bytes = file.readAll();
    // The superblock takes 96 bytes; the inode table, whose start it gives at offset 64, follows
    // the file data.
    constexpr qsizetype Superblock = 96;
    if (bytes.size() < Superblock)
        return QStringLiteral("the squashfs image is too short");
    const quint64 inodeTable = qFromLittleEndian<quint64>(bytes.constData() + 64);
    if (inodeTable <= quint64(Superblock) + 64 || inodeTable > quint64(bytes.size()))
        return QStringLiteral("the squashfs image holds no file data");
    const qsizetype middle = qsizetype(Superblock + inodeTable) / 2;
    bytes.replace(middle, 32, QByteArray(32, '\xFF'));
    if (!file.seek(0) || file.write(bytes) != bytes.size())
        return QStringLiteral("cannot damage ") + image;
    return std::nullopt;
}
