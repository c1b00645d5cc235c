#!/usr/bin/env bash
# Builds a fuzzer with clang in its own build folder (core and the batch sizer's library
# instrumented with the sanitizers) and runs it on one core for SECONDS (default 60). TARGET is
# loader (the load alone, the default), batch (load, share, cache, size and both reports), both
# seeded from samples/, plan (the plan reader, seeded with a few plans), or one of the readers of a
# running group's texts: gbp_display, xcf_display, policy_source (each seeded with a short text
# of its kind and sharing fuzz/running.dict), or running_group (the new policy written from a
# policy job and read back). Crashing inputs are
# written under ARTIFACTS (default /tmp/loomstead-fuzz/TARGET), never in the tree.
#
# Usage: fuzz/run.sh [SECONDS] [TARGET]
#   env FUZZ_BUILD_DIR  build folder (default build-fuzz in the repository)
#   env ARTIFACTS       folder for crashing inputs and the working corpus
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
target=${2:-loader}
case $target in
    loader | batch | plan | gbp_display | xcf_display | policy_source | running_group) ;;
    *) echo "fuzz/run.sh: TARGET is loader, batch, plan, gbp_display, xcf_display," \
        "policy_source or running_group, not '$target'" >&2; exit 2 ;;
esac
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
artifacts=${ARTIFACTS:-/tmp/loomstead-fuzz/$target}

if ! command -v clang++ > /dev/null; then
    echo "fuzz/run.sh: clang++ is needed (apt-get install clang)" >&2
    exit 1
fi

mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLOOMSTEAD_BUILD_FUZZERS=ON -DLOOMSTEAD_BUILD_TESTS=OFF > "$build/configure.log" ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j2 --target "${target}_fuzzer"
if [ "$target" = plan ]; then
    corpus="$artifacts/plan-corpus"
    mkdir -p "$corpus"
    printf '%s' '{"format":"loomstead-plan","version":1,"files":[{"path":"m.sta","size":10,"modified_ns":5,"sha256":"ab"}],"pools":[{"name":"BP0","cache_all":true},{"name":"BP7"}],"objects":[{"pool":"BP0","name":"DB.A","kind":"T"},{"pool":"bp1","name":"DB.C","kind":"T"}],"members":"2","ecsa":"8","cfrm":{"cf":"CF01"}}' > "$corpus/seed-plan"
    printf '%s' '{"format":"loomstead-plan","version":2}' > "$corpus/seed-newer"
    printf '%s' '{"format":"loomstead-plan","version":1,"files":[{"path":"m.sta","size":6},{"path":"fifo"},{"path":"zero"},{"path":"folder"},{"path":"pagemap","size":0,"sha256":"x"}]}' > "$corpus/seed-odd-files"
    printf '%s' '{"format":"loomstead-plan","version":1,"pools":[{"name":"BP1"}],"objects":[{"pool":"BP1","name":"DB.C","kind":"T"},{"pool":"BP1","name":"DB.C","kind":"T"}]}' > "$corpus/seed-twice"
    echo "Fuzzing for $seconds s; crashing inputs go to $artifacts/"
    # A read that blocks or runs on (a named pipe, /dev/zero) is a finding after 10 s.
    exec "$build/fuzz/plan_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -print_final_stats=1 \
        -dict="$root/fuzz/plan.dict" -artifact_prefix="$artifacts/" "$corpus"
fi

case $target in
    gbp_display | xcf_display | policy_source | running_group)
        corpus="$artifacts/corpus"
        mkdir -p "$corpus"
        printf '%s\n' \
            'DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 FOLLOWS' \
            'DSNB755I -DB1A DB2 GROUP BUFFER POOL STATUS CONNECTED = YES' \
            '   CURRENT DIRECTORY TO DATA RATIO = 5' '   PENDING DIRECTORY TO DATA RATIO = 7.5' \
            'DSNB757I -DB1A MVS CFRM POLICY STATUS FOR DSNDB0G_GBP0 = NORMAL' \
            '   MAX SIZE INDICATED IN POLICY = 8192 KB' '   CURRENT DUPLEXING MODE = DUPLEX' \
            'DSNB758I -DB1A ALLOCATED SIZE = 4096 KB' '   CFNAME = CF01' \
            'DSNB759I -DB1A NUMBER OF DIRECTORY ENTRIES = 100' '   NUMBER OF DATA PAGES = 20' \
            'DSNB783I -DB1A CUMULATIVE GROUP DETAIL STATISTICS SINCE 10:42:07 DEC 06, 2026' \
            'DSNB786I -DB1A WRITES' '   CHANGED PAGES = 4' '   FAILED DUE TO LACK OF STORAGE = 1' \
            'DSNB787I -DB1A RECLAIMS' '   FOR DIRECTORY ENTRIES = 2' '   CASTOUTS = 3' \
            'DSNB788I -DB1A CROSS INVALIDATIONS' '   DUE TO DIRECTORY RECLAIMS = 5' \
            'DSNB762I -DB1A DUPLEXING STATISTICS FOR GBP0-SEC' '   CHANGED PAGES = 4' \
            'DSNB790I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 IS COMPLETE' > "$corpus/seed-gbp"
        printf '%s\n' 'IXC360I  10.15.22  DISPLAY XCF 123' 'STRNAME: DSNDB0G_GBP0' \
            ' STATUS: ALLOCATED' ' POLICY INFORMATION:' '  POLICY SIZE    : 128 M' \
            '  POLICY INITSIZE: 65536 K' '  POLICY MINSIZE : 0 K' '  FULLTHRESHOLD  : 80' \
            '  ALLOWAUTOALT   : YES' '  DUPLEX         : ENABLED' \
            '  PREFERENCE LIST: CF01     CF02' ' PENDING POLICY INFORMATION:' \
            '  POLICY SIZE:             256 M' ' DUPLEXING REBUILD NEW STRUCTURE' \
            '  CFNAME         : CF02' '  ACTUAL SIZE    : 64 M' \
            ' DUPLEXING REBUILD OLD STRUCTURE' '  CFNAME         : CF01' \
            '  ACTUAL SIZE    : 1 G' > "$corpus/seed-xcf"
        printf '%s\n' '//DEFPOL   JOB (ACCT),CLASS=A' '//STEP1    EXEC PGM=IXCMIAPU' \
            '//SYSIN    DD   *' '  DATA TYPE(CFRM) REPORT(YES)' \
            '  DEFINE POLICY NAME(POL1) REPLACE(YES)' '    CF NAME(CF01) TYPE(003931)' \
            '    /* the group buffer pool' '       of the payroll group */' \
            '    STRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(64M) SIZE(131072)        00010000' \
            '              PREFLIST(CF01,CF02) DUPLEX(ENABLED) ALLOWAUTOALT(YES)' \
            '              MINSIZE(48 M)' '/*' > "$corpus/seed-policy"
        echo "Fuzzing for $seconds s; crashing inputs go to $artifacts/"
        exec "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=8192 \
            -print_final_stats=1 -dict="$root/fuzz/running.dict" -artifact_prefix="$artifacts/" \
            "$corpus"
        ;;
esac

# Seeds: each sample whole and its first 4 KB as one-file inputs, and the two heads joined as a
# two-file input (a backslash and any other byte split the files; the odd last byte says two).
corpus="$artifacts/corpus"
mkdir -p "$corpus"
for sample in "$root"/samples/*.sta "$root"/samples/*.sim; do
    name=$(basename "$sample")
    cp "$sample" "$corpus/seed-$name"
    head -c 4096 "$sample" > "$corpus/seed-head-$name"
done
{
    head -c 4096 "$root/samples/db1a.sta"
    printf '\\|'
    head -c 4096 "$root/samples/db1b.sim"
    printf '\001'
} > "$corpus/seed-two-files"

echo "Fuzzing for $seconds s; crashing inputs go to $artifacts/"
"$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
    -dict="$root/fuzz/loader.dict" -artifact_prefix="$artifacts/" "$corpus"
