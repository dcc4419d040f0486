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
    InitialiseProgramState();
    form_ = std::make_unique<TForm1>();
    Form1 = form_.get();
    form_->resize(ClientWidth, ClientHeight);
    form_->FormResize(form_.get());
}

Workbench::~Workbench() {
    Form1 = nullptr;
}

void Workbench::OpenPhoto() {
    desktop_.openAnswers.push_back(photoPath_);
    form_->Button4Click(form_->Button4);
}

void Workbench::ShowPosterizedPhoto() {
    if (SourceBitmap.IsEmpty())
        OpenPhoto();
    form_->Button1Click(form_->Button1);
}

void Workbench::ReleasePictures() {
    InitialiseProgramState();
    form_->Image1->Bitmap().SetSize(0, 0);
    // The layout values are part of the state; at the start the window's first resize sets them.
    form_->FormResize(form_.get());
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
