// SPDX-License-Identifier: MIT
#include "BatchProgram.h"

#include <QFile>
#include <QProcess>
#include <cerrno>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

BatchProgramRun RunBatchProgram(const QStringList& arguments) {
    QProcess program;
    program.start(QStringLiteral(HALVANE_BATCH_PROGRAM), arguments);
    BatchProgramRun run;
    if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = program.exitCode();
    run.output = QString::fromLocal8Bit(program.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

QByteArray RunBatchProgramOnTerminal(const QStringList& arguments, int* exitCode) {
    std::vector<QByteArray> texts{QFile::encodeName(QStringLiteral(HALVANE_BATCH_PROGRAM))};
    for (const QString& argument : arguments)
        texts.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return QByteArrayLiteral("no terminal: ") + QByteArray(std::strerror(errno));
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    QByteArray received;
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(terminal, buffer, sizeof buffer);
        if (count > 0)
            received.append(buffer, count);
        else if (count < 0 && errno == EINTR)
            continue;
        else
            break; // EIO once the program has closed its side
    }
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return received;
}
