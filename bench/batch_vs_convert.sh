#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Wall time of halvane-batch against ImageMagick's nearest equivalent of the same job, in one run
# on the same files: 20 copies of photo-1200x800.jpg and 4 of photo-6000x4000.jpg. ImageMagick
# runs one convert per file, as many at a time as halvane-batch's -j, through xargs -P. Prints both
# times and their ratio, then halvane-batch at -j 2 against -j 1. Each figure is the best of
# RUNS runs (default 3), with the files already in the page cache.
# Usage: bench/batch_vs_convert.sh [HALVANE_BATCH]
#   HALVANE_BATCH: the program to time; default the Release build's, build/main/halvane-batch
#   (`cmake --preset release && cmake --build --preset release --target halvane-batch`).
# Environment: HALVANE_BENCH_DIR (the photos; default ../shared/bench beside the source tree),
#   CONVERT (default /usr/bin/convert, Debian's ImageMagick), JOBS (default nproc), RUNS.
set -euo pipefail
shopt -s inherit_errexit # a failed run ends the script, in $(...) as well
source_dir=$(cd "$(dirname "$0")/.." && pwd)
batch=${1:-$source_dir/build/main/halvane-batch}
photos=${HALVANE_BENCH_DIR:-$source_dir/../shared/bench}
convert=${CONVERT:-/usr/bin/convert}
jobs=${JOBS:-$(nproc)}
runs=${RUNS:-3}

for needed in "$batch" "$convert"; do
    [[ -x $needed ]] || { echo "not an executable: $needed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
for i in $(seq -w 1 20); do cp "$photos/photo-1200x800.jpg" "$work/in/small-$i.jpg"; done
for i in $(seq -w 1 4); do cp "$photos/photo-6000x4000.jpg" "$work/in/large-$i.jpg"; done
cat "$work"/in/*.jpg >/dev/null

# Seconds of the best of $runs runs of a command, each into an empty output folder.
best_of() {
    local best="" run start end
    for ((run = 0; run < runs; run++)); do
        rm -rf "$work/out" && mkdir "$work/out"
        start=$(date +%s.%N)
        "$@"
        end=$(date +%s.%N)
        best=$(awk -v s="$start" -v e="$end" -v b="$best" \
            'BEGIN { t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b }')
    done
    echo "$best"
}

halvane_batch() {
    "$batch" --method 2 --levels 6 --quiet -j "$1" "$work"/in/*.jpg -o "$work/out"
}

imagemagick() {
    # shellcheck disable=SC2016 # the inner sh expands them, per file
    printf '%s\0' "$work"/in/*.jpg |
        xargs -0 -P "$1" -I '{}' sh -c \
            '"$0" "$1" -channel G -separate -evaluate add 19.6% -posterize 6 "$2/${1##*/}"' \
            "$convert" '{}' "$work/out"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "24 files (20 x 1200x800, 4 x 6000x4000), $jobs at a time, best of $runs runs"
batch_time=$(best_of halvane_batch "$jobs")
convert_time=$(best_of imagemagick "$jobs")
echo "halvane-batch --method 2 --levels 6 -j $jobs: ${batch_time} s"
echo "ImageMagick convert, xargs -P $jobs:          ${convert_time} s"
echo "halvane-batch is $(ratio "$convert_time" "$batch_time")x as fast"

one=$(best_of halvane_batch 1)
two=$(best_of halvane_batch 2)
echo "halvane-batch -j 1: ${one} s"
echo "halvane-batch -j 2: ${two} s"
echo "-j 2 is $(ratio "$one" "$two")x as fast as -j 1"
