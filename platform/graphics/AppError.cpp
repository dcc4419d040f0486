// SPDX-License-Identifier: MIT
#include "AppError.h"

#include <new>

namespace {

QString OwnMessage(const std::exception& e) {
    if (auto* app = dynamic_cast<const AppError*>(&e))
        return app->message();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Out of memory");
    return QString::fromUtf8(e.what());
}

// The innermost non-empty message along a chain of std::nested_exception links.
QString InnermostMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        QString message = OwnMessage(e);
        if (auto* nested = dynamic_cast<const std::nested_exception*>(&e);
            nested && nested->nested_ptr()) {
            QString inner = InnermostMessage(nested->nested_ptr());
            if (!inner.isEmpty())
                message = inner;
        }
        return message;
    } catch (...) {
        return QString();
    }
}

} // namespace

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

QString ErrorDisplayText(std::exception_ptr error) {
    return WithFullStop(InnermostMessage(error));
}

void ThrowNotAnInteger(const QString& text) {
    throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}
