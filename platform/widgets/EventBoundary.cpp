// SPDX-License-Identifier: MIT
#include "EventBoundary.h"

#include "AppError.h"
#include "Desktop.h"

#include <QCoreApplication>

void ShowHandlerError(std::exception_ptr error) {
    CurrentDesktop().ShowError(ErrorDisplayText(error), QCoreApplication::applicationName());
}
