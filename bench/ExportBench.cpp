// SPDX-License-Identifier: MIT
// The "Canvas" menu's exports of the shown picture, against one plain PNG encode of it to memory.
#include "BenchFamily.h"
#include "CanvasCommands.h"
#include "Faqja0.h"
#include "PictureBox.h"
#include "Workbench.h"
#include "Yardsticks.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

namespace {

void PlainPngEncode(benchmark::State& state, Workbench& bench) {
    TimePlainEncode(state, bench, "png");
}

// Each export writes a new file, removed again outside the timing.
void ExportThrough(benchmark::State& state, Workbench& bench, QAction* CanvasCommands::*item,
                   const QString& extension) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        QTemporaryDir folder;
        if (!UsableFolder(state, folder))
            return;
        TForm1& form = bench.Form();
        form.Canvas = CanvasSettings{}; // 30 x 40 cm on A4
        int written = 0;
        for (auto _ : state) {
            const QString path = folder.filePath(QStringLiteral("export-%1").arg(++written));
            bench.Desktop().saveAnswers.push_back(path);
            (form.CanvasMenu->*item)->trigger();
            state.PauseTiming();
            QFile::remove(path + extension);
            state.ResumeTiming();
        }
    });
}

void ExportPng(benchmark::State& state, Workbench& bench) {
    ExportThrough(state, bench, &CanvasCommands::ExportPngItem, QStringLiteral(".png"));
}

void ExportPdf(benchmark::State& state, Workbench& bench) {
    ExportThrough(state, bench, &CanvasCommands::ExportPdfItem, QStringLiteral(".pdf"));
}

} // namespace

BenchFamily ExportFamily(Workbench& bench) {
    return {
        "Export",
        {"encode", "plain PNG encode to memory", 0, Driving(bench, PlainPngEncode)},
        {
            {"ExportPngItemClick", "Export PNG...: PNG to a new file", 1.5,
             Driving(bench, ExportPng)},
            {"ExportPdfItemClick", "Export PDF...: 30 x 40 cm on 4 A4 pages", 0,
             Driving(bench, ExportPdf), 3000},
        },
    };
}
