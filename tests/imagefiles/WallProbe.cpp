// SPDX-License-Identifier: MIT
// Stands in for the decoder helper in tests of its wall: it starts as the helper does, raises the
// same wall from the same code, takes the file, declares a 2 x 2 picture and, once let on, does
// what HALVANE_WALL_PROBE names instead of decoding:
//   open, socket, execve, fork: what the wall must stop; when it does not, the probe exits with
//     AttemptSucceeded;
//   crash, hang, memory: a decoder's ways of dying (a wild write, a loop, an allocation past the
//     address-space cap).
// HALVANE_WALL_PROBE_UNCONFINED=1 leaves the system-call filter out, so that the tests can show the
// same attempts succeed without it.
#include "DecoderProtocol.h"
#include "DecoderWall.h"
#include "HelperChannel.h"

#include <QSize>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int AttemptSucceeded = 7;

bool Attempt(const char* what) {
    if (std::strcmp(what, "open") == 0)
        return open("/etc/passwd", O_RDONLY | O_CLOEXEC) >= 0;
    if (std::strcmp(what, "socket") == 0)
        return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0) >= 0;
    if (std::strcmp(what, "execve") == 0) {
        char* const argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                              const_cast<char*>("exit 7"), nullptr};
        execve("/bin/sh", argv, environ);
        return false;
    }
    if (std::strcmp(what, "fork") == 0) {
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        int status = 0;
        return child > 0 && waitpid(child, &status, 0) == child;
    }
    if (std::strcmp(what, "crash") == 0)
        *static_cast<volatile int*>(nullptr) = 1;
    if (std::strcmp(what, "hang") == 0)
        for (;;)
            sched_yield();
    if (std::strcmp(what, "memory") == 0) {
        std::vector<char> balloon(std::size_t(4) << 30, 1);
        return balloon.back() == 1;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<DecoderCaps> caps = CapsFromArguments(argc, argv);
    const char* what = std::getenv("HALVANE_WALL_PROBE");
    const char* unconfined = std::getenv("HALVANE_WALL_PROBE_UNCONFINED");
    const bool confine = !unconfined || std::strcmp(unconfined, "1") != 0;
    if (!caps || !what || !CapSelf(*caps) || (confine && !ConfineSelf()))
        return DecoderProtocol::BadStart;
    const std::optional<HelperFiles> files = ReceiveFiles();
    if (!files || !MapFileBytes(files->file) || !SendSize(QSize(2, 2)) || !AwaitGoAhead())
        return DecoderProtocol::NotDecodedExitStatus;
    _exit(Attempt(what) ? AttemptSucceeded : DecoderProtocol::NotDecodedExitStatus);
}
