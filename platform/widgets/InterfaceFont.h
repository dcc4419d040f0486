// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

// The font both windows are laid out for. Their controls have fixed places and sizes, so the
// windows use this narrow face at a fixed pixel size rather than the desktop's font, which the
// user may have made larger; message boxes and dialogs keep the desktop's font.
QFont InterfaceFont();
