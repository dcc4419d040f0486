// SPDX-License-Identifier: MIT
// Files as tests look at them: their bytes, and FIFOs that an open must not wait on.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The file's whole content; empty when it cannot be read (a missing file included).
QByteArray FileBytes(const QString& path);

// Runs `action`, which should refuse the FIFO at `fifo` at once. Should it open the FIFO and wait
// for a writer instead, a writer comes after ten seconds and lets it go on to an end of file, so
// that the test fails instead of hanging: true then.
bool WaitedOnFifo(const QString& fifo, const std::function<void()>& action);
