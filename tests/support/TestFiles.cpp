// SPDX-License-Identifier: MIT
#include "TestFiles.h"

#include <QFile>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <thread>
#include <unistd.h>

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WaitedOnFifo(const QString& fifo, const std::function<void()>& action) {
    std::promise<void> finished;
    std::atomic<bool> waited = false;
    std::thread watchdog([&waited, fifo, done = finished.get_future()] {
        if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
            return;
        waited = true;
        const int writer =
            ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0)
            ::close(writer);
    });
    const auto release = [&finished, &watchdog] {
        finished.set_value();
        watchdog.join();
    };
    try {
        action();
    } catch (...) {
        release();
        throw;
    }
    release();
    return waited;
}
