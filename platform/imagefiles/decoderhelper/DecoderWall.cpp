// SPDX-License-Identifier: MIT
#include "DecoderWall.h"

#include "DecoderProtocol.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

bool SetSoftLimit(int resource, std::uint64_t soft) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0)
        return false;
    limit.rlim_cur = std::min<rlim_t>(soft, limit.rlim_max);
    return setrlimit(resource, &limit) == 0;
}

// The calls decoding needs: reading and writing the given descriptors, memory, threads for Qt's
// conversions (each makes an event descriptor), time, the memory figures libtiff sizes its
// buffers by, and ending. Everything else kills the process.
constexpr int AllowedCalls[] = {
    SCMP_SYS(read),
    SCMP_SYS(write),
    SCMP_SYS(recvmsg),
    SCMP_SYS(readv),
    SCMP_SYS(writev),
    SCMP_SYS(pread64),
    SCMP_SYS(lseek),
    SCMP_SYS(close),
    SCMP_SYS(vmsplice),
    SCMP_SYS(mmap),
    SCMP_SYS(munmap),
    SCMP_SYS(mremap),
    SCMP_SYS(mprotect),
    SCMP_SYS(madvise),
    SCMP_SYS(brk),
    SCMP_SYS(futex),
    SCMP_SYS(set_robust_list),
    SCMP_SYS(rseq),
    SCMP_SYS(sched_yield),
    SCMP_SYS(sched_getaffinity),
    SCMP_SYS(getpid),
    SCMP_SYS(gettid),
    SCMP_SYS(getrandom),
    SCMP_SYS(clock_gettime),
    SCMP_SYS(clock_getres),
    SCMP_SYS(gettimeofday),
    SCMP_SYS(nanosleep),
    SCMP_SYS(clock_nanosleep),
    SCMP_SYS(rt_sigprocmask),
    SCMP_SYS(rt_sigaction),
    SCMP_SYS(rt_sigreturn),
    SCMP_SYS(sigaltstack),
    SCMP_SYS(exit),
    SCMP_SYS(exit_group),
    SCMP_SYS(eventfd2),
    SCMP_SYS(sysinfo),
};

// A condition on a call's first argument (libseccomp's SCMP_A0 leaves the second datum to the
// compiler's zero, which clang warns about).
scmp_arg_cmp FirstArgument(scmp_compare op, scmp_datum_t a, scmp_datum_t b = 0) {
    return scmp_arg_cmp{0, op, a, b};
}

bool AddRules(scmp_filter_ctx filter) {
    for (const int call : AllowedCalls)
        if (seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) != 0)
            return false;
    // Threads, never processes; clone3 passes its flags in memory the filter cannot read, so it
    // answers "not implemented" and glibc falls back to clone.
    // Signals only to itself (abort() raises SIGABRT that way).
    return seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                            FirstArgument(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)) == 0 &&
           seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0 &&
           seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1,
                            FirstArgument(SCMP_CMP_EQ, scmp_datum_t(getpid()))) == 0 &&
           seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1,
                            FirstArgument(SCMP_CMP_EQ, PR_SET_NAME)) == 0;
}

} // namespace

std::optional<DecoderCaps> CapsFromArguments(int argc, char** argv) {
    constexpr int CapCount = 2; // the first arguments
    if (argc != DecoderProtocol::ArgumentCount + 1)
        return std::nullopt;
    std::optional<std::uint64_t> numbers[CapCount];
    for (int i = 0; i < CapCount; ++i)
        if (!(numbers[i] = DecoderProtocol::ArgumentNumber(argv[i + 1])))
            return std::nullopt;
    return DecoderCaps{*numbers[0], *numbers[1]};
}

bool CapSelf(const DecoderCaps& caps) {
    // Past the soft CPU limit the kernel sends SIGXCPU, which ends the process.
    const rlimit noCore{0, 0};
    return setrlimit(RLIMIT_CORE, &noCore) == 0 && SetSoftLimit(RLIMIT_CPU, caps.cpuSeconds) &&
           SetSoftLimit(RLIMIT_AS, caps.addressSpace);
}

bool ConfineSelf() {
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter)
        return false;
    const bool loaded = AddRules(filter) && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return loaded;
}
