// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

// The program's side of the JPEG XR helper process (jxrhelper/JxrHelperProtocol.h). The decoding
// library crashes, aborts and allocates without bounds on damaged files; in the helper, under an
// address-space cap and CPU and wall-clock time limits, that ends the helper, never the program.

struct JxrHelperLimits {
    std::uint64_t addressSpaceBytes = 0;
    std::chrono::seconds cpuTime{0};
    std::chrono::milliseconds wallTime{0};
};

// Room for the helper's own code and libraries, the file (read, and copied by the decoder), the
// picture as the file stores it (up to 8 bytes a pixel), the shared pixels and the decoder's
// buffers; time for the slowest pixel format on a busy machine.
JxrHelperLimits JxrHelperLimitsFor(QSize size, std::size_t fileBytes);

// The helper of a program whose executable lies in `programDir`: beside it, as in the build
// tree, else where the package installs helpers (lib/halvane/ beside the program's bin/). When
// neither is an executable file, the installed place, so that a failure names where it belongs.
QString JxrHelperFor(const QString& programDir);

// The running program's helper: JxrHelperFor() the folder of its executable.
QString JxrHelperBesideExecutable();

// The pixels a helper wrote, mapped read-only until destruction.
class JxrPixels {
public:
    JxrPixels(const unsigned char* mapping, QSize size) : mapping_(mapping), size_(size) {}
    ~JxrPixels();
    JxrPixels(JxrPixels&& other) noexcept;
    JxrPixels(const JxrPixels&) = delete;
    JxrPixels& operator=(const JxrPixels&) = delete;
    JxrPixels& operator=(JxrPixels&&) = delete;

    // A Format_ARGB32_Premultiplied image over the mapping, valid while this object lives.
    QImage View() const;

private:
    const unsigned char* mapping_;
    QSize size_;
};

// Runs the helper at `helperPath` on the file's bytes for a picture of `size` (the size its
// header declares, already checked against the memory the program may use). nullopt when the
// helper could not be started, did not finish in time, was stopped by a signal or a cap, or
// reported failure; the cause is logged.
std::optional<JxrPixels> DecodeJxrInHelper(const QString& helperPath, const QByteArray& fileBytes,
                                           QSize size, const JxrHelperLimits& limits);
