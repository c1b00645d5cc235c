#!/usr/bin/env bash
# Compares the benchmarks of two builds on a shared, noisy machine: runs them in turn, old then
# new, several pairs, and prints for each benchmark the median real time of each build and the
# median of the new/old ratios (below 1: the new build is faster).
#
# Usage: bench/compare-builds.sh [-p PAIRS] [-f FILTER] [-u UI_FILTER] OLD_BUILD NEW_BUILD
#   OLD_BUILD, NEW_BUILD  Release builds with -DLOOMSTEAD_BUILD_BENCHMARKS=ON
#   PAIRS      alternating pairs of runs (default 7)
#   FILTER     benchmarks of loomstead-bench (default: the load and the sizing)
#   UI_FILTER  benchmarks of loomstead-ui-bench (default: the window's load and the batch sizer's)
set -euo pipefail

pairs=7
filter='BM_LoadDataFiles|BM_RunSizing'
ui_filter='BM_WindowLoad|BM_BatchSizerLoad'
usage() { sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; }
while getopts "p:f:u:h" opt; do
    case $opt in
        p) pairs=$OPTARG ;;
        f) filter=$OPTARG ;;
        u) ui_filter=$OPTARG ;;
        h) usage; exit 0 ;;
        *) usage >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -eq 2 ] || { usage >&2; exit 2; }

results=$(mktemp)
trap 'rm -f "$results"' EXIT
export QT_QPA_PLATFORM=offscreen
for ((pair = 1; pair <= pairs; ++pair)); do
    for which in old new; do
        build=$1
        [ "$which" = new ] && build=$2
        for run in "loomstead-bench:$filter" "loomstead-ui-bench:$ui_filter"; do
            "$build/bench/${run%%:*}" --benchmark_filter="${run#*:}" --benchmark_format=csv \
                2>/dev/null | grep '^"BM_' | sed "s/^/$which,$pair,/" >>"$results" || true
        done
    done
done

python3 - "$results" <<'PY'
import csv, statistics, sys
times = {}
for row in csv.reader(open(sys.argv[1])):
    which, pair, name, real = row[0], row[1], row[2].replace("/real_time", ""), float(row[4])
    times.setdefault(name, {}).setdefault(pair, {})[which] = real
print(f"{'benchmark':40} {'pairs':>5} {'old ms':>9} {'new ms':>9} {'new/old':>8}")
for name, by_pair in times.items():
    both = [p for p in by_pair.values() if "old" in p and "new" in p]
    if not both:
        continue
    old = statistics.median(p["old"] for p in both)
    new = statistics.median(p["new"] for p in both)
    ratio = statistics.median(p["new"] / p["old"] for p in both)
    print(f"{name:40} {len(both):5} {old:9.1f} {new:9.1f} {ratio:8.3f}")
PY
