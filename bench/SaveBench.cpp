// SPDX-License-Identifier: MIT
// Saving the shown picture through "Save", against one plain JPEG encode of it to memory.
#include "BenchFamily.h"
#include "Faqja0.h"
#include "PictureBox.h"
#include "Workbench.h"
#include "Yardsticks.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

void PlainEncode(benchmark::State& state, Workbench& bench) {
    TimePlainEncode(state, bench, "jpeg");
}

// Each save writes a new file, removed again outside the timing.
void SaveButton(benchmark::State& state, Workbench& bench) {
    bench.RunGuarded(state, [&] {
        bench.ShowPosterizedPhoto();
        QTemporaryDir folder;
        if (!UsableFolder(state, folder))
            return;
        TForm1& form = bench.Form();
        int saved = 0;
        for (auto _ : state) {
            const QString path = folder.filePath(QStringLiteral("saved-%1.jpg").arg(++saved));
            bench.Desktop().saveAnswers.push_back(path);
            form.Button5Click(form.Button5);
            state.PauseTiming();
            QFile::remove(path);
            state.ResumeTiming();
        }
    });
}

} // namespace

BenchFamily SaveFamily(Workbench& bench) {
    return {
        "Save",
        {"encode", "plain JPEG encode to memory", 0, Driving(bench, PlainEncode)},
        {
            {"Button5Click", "Button5Click: JPEG to a new file", 1.3, Driving(bench, SaveButton)},
        },
    };
}
