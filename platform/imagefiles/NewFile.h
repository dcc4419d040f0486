// SPDX-License-Identifier: MIT
#pragma once

#include "FileCalls.h"

#include <QString>
#include <functional>

class QIODevice;

// Writes a file that did not exist: `encode` writes the content into an unnamed file in the
// target's folder, which is flushed to disk and linked under `path` only when complete, by an
// operation that fails if the name exists meanwhile. An existing file is never replaced, and
// whatever stops the program meanwhile, a kill or a power loss, leaves the folder as it was.
// Where the filesystem has no unnamed files, a hidden temporary file beside the target takes its
// place. Throws AppError:
//   "Cannot create file "%s". %s" (the path, the system's description of the failure) when the
//       file cannot be created, written or flushed (a missing or read-only folder, a full disk,
//       an I/O error), or when publishing fails (the name exists meanwhile, the name is invalid
//       or too long);
//   "Saving bitmap failed." when `encode` fails for another reason than writing.
// No file is left behind by a failure.
void WriteNewFile(const QString& path, const std::function<bool(QIODevice&)>& encode,
                  const WriteCall& write = {});
