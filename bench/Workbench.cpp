// SPDX-License-Identifier: MIT
#include "Workbench.h"

#include "Faqja0.h"
#include "PictureBox.h"

#include <QPushButton>
#include <exception>
#include <utility>

namespace {

// A common desktop window, client area.
constexpr int ClientWidth = 1280;
constexpr int ClientHeight = 800;

} // namespace

Workbench::Workbench(QString photoPath) : photoPath_(std::move(photoPath)) {
    Form().resize(ClientWidth, ClientHeight);
    Form().FormResize(&Form());
}

void Workbench::OpenPhoto() {
    desktop_.openAnswers.push_back(photoPath_);
    Form().Button4Click(Form().Button4);
}

void Workbench::ShowPosterizedPhoto() {
    if (SourceBitmap.IsEmpty())
        OpenPhoto();
    Form().Button1Click(Form().Button1);
}

void Workbench::ReleasePictures() {
    InitialiseProgramState();
    Form().Image1->Bitmap().SetSize(0, 0);
    // The layout values are part of the state; at the start the window's first resize sets them.
    Form().FormResize(&Form());
}

void Workbench::RunGuarded(benchmark::State& state, const std::function<void()>& body) {
    desktop_.messages.clear();
    try {
        body();
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    if (!desktop_.messages.empty())
        state.SkipWithError(desktop_.messages.front().text.toStdString().c_str());
}
