// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

// A filesystem mounted for one test on an empty folder, and unmounted when the test ends.
// Mounting needs root and a machine that lets it mount (loop devices for an image); where that
// cannot be had, WhyNot() says why, for the test to skip with.
class ScratchMount {
public:
    // A tmpfs holding at most `bytes` bytes.
    static ScratchMount Tmpfs(const QString& mountPoint, qint64 bytes);
    // A squashfs image, read-only, through a loop device.
    static ScratchMount Squashfs(const QString& image, const QString& mountPoint);

    ScratchMount(ScratchMount&& other) noexcept;
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    ScratchMount& operator=(ScratchMount&&) = delete;
    ~ScratchMount();

    const std::optional<QString>& WhyNot() const { return whyNot_; }

private:
    ScratchMount(const QString& mountPoint, const QStringList& mountArguments);

    QString mountPoint_;
    std::optional<QString> whyNot_;
};

// Makes a squashfs image of `folder` in small blocks and damages a block in the middle of its
// file data, so that reading that part of a file fails with an I/O error. Returns why it could
// not be made, or nothing.
std::optional<QString> MakeDamagedSquashfs(const QString& folder, const QString& image);
