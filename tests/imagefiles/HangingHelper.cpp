// SPDX-License-Identifier: MIT
// Stands in for the JPEG XR helper in tests: it never finishes, so only the program's time limit
// can end it.
#include <unistd.h>

int main() {
    for (;;)
        pause();
}
