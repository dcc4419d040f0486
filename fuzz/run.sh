#!/bin/bash
# SPDX-License-Identifier: MIT
# Builds the fuzzers with clang and runs each in turn for the given number of seconds, seeded from
# the test fixtures. Prints executions, coverage (cov: edges, ft: features) and findings per
# target. A finding in the JPEG XR library counts as contained: the library is not ours to mend,
# and only the walled helper process runs it. Any other finding fails the run. The inputs of a run's findings are kept under
# <build>/fuzz-findings/<format> until the next run; the corpus grows from run to run.
#   fuzz/run.sh <seconds>      (build folder: $HALVANE_FUZZ_BUILD, default build-fuzz)
set -euo pipefail

seconds=${1:?usage: fuzz/run.sh <seconds per target>}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${HALVANE_FUZZ_BUILD:-$root/build-fuzz}
data=$root/tests/data
targets=(bmp jpeg png gif tiff ico jxr)

declare -A seeds=(
    [bmp]="*.bmp *.Bmp" [jpeg]="*.jpg *.Jpg *.JPEG *.jpe" [png]="*.png *.PNG"
    [gif]="*.gif *.Gif" [tiff]="*.tif *.Tif *.TIFF" [ico]="*.ico *.ICO" [jxr]="*.wmp *.WMP"
)

source "$root/scripts/packages.sh"
install_missing "${fuzz_packages[@]}"

if [ ! -f "$build/CMakeCache.txt" ]; then
    (cd "$root" && nice -n 10 cmake --preset fuzz -B "$build" >/dev/null)
fi
nice -n 10 cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

export TMPDIR=$build/fuzz-tmp
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1
# Each fuzzing process writes its inputs to a file of its own there.
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"

# Where a crash happened: the first stack frame that is neither the sanitizers, the fuzzer, nor
# the C library's abort, allocation and memory-filling paths (named by file when its debugging
# symbols are installed, so not caught by the library's path).
crash_frame() {
    grep -E '^ +#[0-9]+ 0x' |
        grep -vE ' in (__asan|__sanitizer|__interceptor|__ubsan|__lsan|fuzzer::|__libc|__GI_|__pthread|__mem|raise|abort|__assert|malloc|calloc|realloc|operator new|MallocHook)' |
        grep -vE '/libc\.so' | head -1 | sed -E 's/^ +//; s/ \(BuildId: [0-9a-f]+\)$//'
}

failed=0
for target in "${targets[@]}"; do
    binary=$build/fuzz/fuzz_$target
    corpus=$build/fuzz-corpus/$target
    findings=$build/fuzz-findings/$target
    log=$build/fuzz-$target.log
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings"
    for pattern in ${seeds[$target]}; do
        for file in "$data"/$pattern "$data"/fuzz/$pattern; do
            [ -f "$file" ] && cp -n "$file" "$corpus/"
        done
    done
    nice -n 10 "$binary" -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
        -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || true
    stats=$(grep -E '^#[0-9]+: cov:' "$log" | tail -1)
    executions=$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$stats")
    cov=$(sed -E 's/.* cov: ([0-9]+).*/\1/' <<<"$stats")
    ft=$(sed -E 's/.* ft: ([0-9]+).*/\1/' <<<"$stats")
    ooms_timeouts_crashes=$(sed -E 's#.*oom/timeout/crash: ([0-9/]+).*#\1#' <<<"$stats")
    contained=0
    ours=0
    for finding in "$findings"/*; do
        [ -f "$finding" ] || continue
        frame=$(timeout 120 "$binary" -timeout=20 -rss_limit_mb=2048 "$finding" 2>&1 | crash_frame || true)
        # An empty record that does not crash again is a job that died between inputs: libjxr's
        # leaks, reported when the job ended.
        if [ "$target" = jxr ] && { [[ "$frame" =~ libjpegxr|libjxrglue ]] ||
            { [ ! -s "$finding" ] && [ -z "$frame" ]; }; }; then
            contained=$((contained + 1))
        else
            ours=$((ours + 1))
            echo "  $finding: ${frame:-not reproduced}"
        fi
    done
    echo "fuzz_$target: executions $executions, cov $cov, ft $ft," \
        "oom/timeout/crash $ooms_timeouts_crashes; findings contained in the helper $contained," \
        "in the program $ours"
    [ "$ours" -eq 0 ] || failed=1
done
exit $failed
