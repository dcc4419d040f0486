// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <exception>
#include <string>

// The program's own error kind. Handlers raise it and never catch it; the event boundary
// (see platform/widgets/EventBoundary.h) shows its message and returns to the event loop.
class AppError : public std::exception {
public:
    explicit AppError(QString message)
        : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// The text shown for an error: the innermost non-empty message of a chain of nested errors,
// with "." appended when its last character's code is greater than that of ".".
QString ErrorDisplayText(std::exception_ptr error);

// The "." rule on its own.
QString WithFullStop(const QString& message);

// The conversion error of whole-number text fields.
[[noreturn]] void ThrowNotAnInteger(const QString& text);
