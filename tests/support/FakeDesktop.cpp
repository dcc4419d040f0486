// SPDX-License-Identifier: MIT
#include "FakeDesktop.h"

#include <gtest/gtest.h>

namespace {

template <typename T>
std::optional<T> Next(std::deque<std::optional<T>>& answers, const char* what) {
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected " << what;
        return std::nullopt;
    }
    if (!answers.front()) {
        answers.pop_front();
        return std::nullopt;
    }
    T answer = *answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

std::optional<QString> FakeDesktop::OpenFileName(QWidget*, const QString& filter,
                                                 const QString& initialFolder) {
    openCalls.push_back({filter, QString(), initialFolder});
    return Next(openAnswers, "open dialog");
}

std::optional<QString> FakeDesktop::SaveFileName(QWidget*, const QString& filter,
                                                 const QString& fileName,
                                                 const QString& initialFolder) {
    saveCalls.push_back({filter, fileName, initialFolder});
    return Next(saveAnswers, "save dialog");
}

void FakeDesktop::ShowError(const QString& text, const QString& caption) {
    messages.push_back({text, caption});
    if (whileMessageShown)
        whileMessageShown(messages.back());
}

std::optional<TAlphaColor> FakeDesktop::PickColour(QWidget*, TAlphaColor, bool) {
    return Next(colourAnswers, "colour picker");
}

int FakeDesktop::RunDialog(QDialog& dialog) {
    if (dialogAnswers.empty()) {
        ADD_FAILURE() << "unexpected dialog";
        return 0;
    }
    const auto answer = std::move(dialogAnswers.front());
    dialogAnswers.pop_front();
    return answer(dialog);
}

bool FakeDesktop::SetUpPrinter(QWidget*, QPrinter& printer) {
    if (printAnswers.empty()) {
        ADD_FAILURE() << "unexpected print dialog";
        return false;
    }
    const auto answer = std::move(printAnswers.front());
    printAnswers.pop_front();
    return answer(printer);
}

QStringList FakeDesktop::MessageTexts() const {
    QStringList texts;
    for (const Message& message : messages)
        texts << message.text;
    return texts;
}
