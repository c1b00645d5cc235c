#!/usr/bin/env bash
# Times the load of one large data file against `wc -l` on the same file (warm cache), and the
# load's peak memory against the file size. The goal: the load takes at most twice as long as
# `wc -l`, and its peak resident memory stays under 1.5 x the file size + 8 MB. Beside it, the
# batch sizer end to end (`loomstead-cli --format json --share-all FILE`), also at most twice
# as long as `wc -l`.
#
# Usage: bench/compare-wc.sh [-b BUILD_DIR] [-r RUNS] [FILE]
#   BUILD_DIR  a Release build with -DLOOMSTEAD_BUILD_BENCHMARKS=ON (default: build)
#   RUNS       timed runs of each command; the median is reported (default 5)
#   FILE       the data file; without it a 1,000,000-line file is generated into a temporary
#              folder with loomstead-gen and removed afterwards
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
runs=5
while getopts "b:r:h" opt; do
    case $opt in
        b) build=$OPTARG ;;
        r) runs=$OPTARG ;;
        h) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

loadonce="$build/bench/loomstead-loadonce"
gen="$build/gen/loomstead-gen"
batch="$build/cli/loomstead-cli"
if [ ! -x "$loadonce" ] || [ ! -x "$batch" ]; then
    echo "compare-wc.sh: $loadonce not found; build it with" >&2
    echo "  cmake -S $root -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release -DLOOMSTEAD_BUILD_BENCHMARKS=ON" >&2
    echo "  cmake --build $build --target loomstead-loadonce loomstead-gen loomstead-cli" >&2
    exit 1
fi

if [ $# -ge 1 ]; then
    file=$1
else
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    file="$tmp/million.sta"
    echo "Generating $file (1,000,000 lines)..."
    "$gen" --lines 1000000 "$file"
fi

size=$(stat -c %s "$file")
echo "loomstead-loadonce $file:"
"$loadonce" "$file" | sed 's/^/  /'

# Nanoseconds of one run of the command, output discarded.
time_once() {
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null 2>&1
    end=$(date +%s%N)
    echo $((end - start))
}

# Median of RUNS timed runs, after one untimed run that warms the page cache.
median_ns() {
    "$@" > /dev/null 2>&1
    local samples=()
    for ((i = 0; i < runs; i++)); do
        samples+=("$(time_once "$@")")
    done
    printf '%s\n' "${samples[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

wc_ns=$(median_ns wc -l "$file")
load_ns=$(median_ns "$loadonce" "$file")
batch_ns=$(median_ns "$batch" --format json --share-all "$file")
rss_kb=$(/usr/bin/time -v "$loadonce" "$file" 2>&1 >/dev/null |
    awk -F': ' '/Maximum resident set size/ {print $2}')

awk -v wc="$wc_ns" -v load="$load_ns" -v batch="$batch_ns" -v rss="$rss_kb" -v size="$size" -v runs="$runs" \
    -v file="$file" 'BEGIN {
    sizeMb = size / 1048576; rssMb = rss / 1024
    limitMb = 1.5 * sizeMb + 8
    ratio = load / wc
    printf "file            %s (%.1f MB)\n", file, sizeMb
    printf "wc -l           %8.3f s (median of %d)\n", wc / 1e9, runs
    printf "load            %8.3f s (median of %d)\n", load / 1e9, runs
    printf "time ratio      %8.2f x wc -l   (goal <= 2.00)  %s\n", ratio,
        ratio <= 2 ? "met" : "MISSED"
    printf "batch sizer     %8.3f s (median of %d): loomstead-cli --format json --share-all\n",
        batch / 1e9, runs
    printf "time ratio      %8.2f x wc -l   (goal <= 2.00)  %s\n", batch / wc,
        batch / wc <= 2 ? "met" : "MISSED"
    printf "peak RSS        %8.1f MB = %.2f x file size   (goal <= %.1f MB)  %s\n",
        rssMb, rss * 1024 / size, limitMb, rssMb <= limitMb ? "met" : "MISSED"
}'
