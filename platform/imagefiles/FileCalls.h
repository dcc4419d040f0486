// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <sys/types.h>

// The system calls the image files are read and written with, as read(2) and write(2) take
// them. Tests put ones in their place that fail, or that look at the folder while a file is
// written; an empty one is the system's own.
using ReadCall = std::function<ssize_t(int descriptor, void* buffer, std::size_t count)>;
using WriteCall = std::function<ssize_t(int descriptor, const void* buffer, std::size_t count)>;
