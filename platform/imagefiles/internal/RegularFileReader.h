// SPDX-License-Identifier: MIT
#pragma once

#include "FileCalls.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// A regular file opened for reading its bytes whole. Every failure throws AppError
// "Cannot open file "<full path>". <reason>", the reason being the system's description (such
// as "Input/output error"), "Is a directory", or "Not a regular file" for a FIFO, a device or a
// socket. Opening never blocks: a FIFO without a writer is refused at once.
class RegularFileReader {
public:
    // An empty `read` is read(2).
    explicit RegularFileReader(const QString& path, ReadCall read = {});

    // The size the file had when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to Size() bytes, fewer when the file ends earlier; a failing read is an error,
    // never a shorter picture.
    QByteArray ReadAll();

private:
    // Closed however the reader ends, a failed constructor included.
    class Descriptor {
    public:
        explicit Descriptor(int value) : value_(value) {}
        ~Descriptor();
        Descriptor(const Descriptor&) = delete;
        Descriptor& operator=(const Descriptor&) = delete;
        int get() const { return value_; }

    private:
        int value_;
    };

    [[noreturn]] void Fail(const QString& reason) const;

    QString path_;
    ReadCall read_;
    Descriptor descriptor_;
    std::uint64_t size_ = 0;
};
