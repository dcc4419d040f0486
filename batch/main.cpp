// SPDX-License-Identifier: MIT
// halvane-batch: the window's studies for many files, without a window.
#include "BatchOptions.h"
#include "BatchRun.h"

#include <QGuiApplication>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {

// Qt's warnings (the log of how a decoder helper ended) would come from several
// threads at once, without the file they concern; each failure's own message says what failed.
void KeepOnlyCriticalMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "halvane-batch: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv) {
    // No display is used, but the window's pictures are written with the density of a screen
    // (a JPEG's dots per inch): the screenless platform's is that of an ordinary desktop.
    qInstallMessageHandler(KeepOnlyCriticalMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int cores = QThread::idealThreadCount();
    const BatchCommand command = ReadBatchArguments(arguments, cores);
    switch (command.action) {
    case BatchCommand::Action::Help:
        std::fputs(qPrintable(BatchUsage(cores)), stdout);
        return 0;
    case BatchCommand::Action::Version:
        std::printf("halvane-batch %s\n", HALVANE_VERSION);
        return 0;
    case BatchCommand::Action::UsageError:
        std::fprintf(stderr, "halvane-batch: %s\nTry 'halvane-batch --help'.\n",
                     qPrintable(command.error));
        return 2;
    case BatchCommand::Action::Run:
        break;
    }
    const BatchOptions& options = command.options;
    BatchProgress progress(stderr, int(options.files.size()),
                           !options.quiet && isatty(STDERR_FILENO));
    return RunBatch(options, progress) == 0 ? 0 : 1;
}
