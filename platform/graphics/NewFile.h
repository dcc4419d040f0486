// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

class QIODevice;

// Writes a file that did not exist: `encode` writes the content into a hidden temporary file in
// the target's folder, which is flushed to disk and published under `path` by an operation that
// fails if the name exists meanwhile, so an existing file is never replaced and a crash never
// leaves a truncated file under the real name. Throws AppError:
//   "Cannot create file "%s". %s" (the path, the system's description of the failure) when the
//       temporary file cannot be created or publishing fails;
//   "Saving bitmap failed." when `encode` returns false or writing fails; no file is left then.
void WriteNewFile(const QString& path, const std::function<bool(QIODevice&)>& encode);
