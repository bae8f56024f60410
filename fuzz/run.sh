#!/bin/bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) in
# their own build folder and runs each for FUZZ_SECONDS (default 60) from its
# seed corpus in fuzz/corpus/<target>/.
#
#   fuzz/run.sh [target...]      all targets when none are named
#
# New inputs go to build/fuzz/corpus/<target>/, never into the committed
# seeds; with FUZZ_MERGE=1 the seeds are then replaced by the minimised union
# of both (-merge=1). A crash leaves its input in build/fuzz/crashes/<target>/:
# fix the parser, then copy the input into fuzz/crashes/<target>/ so that
# `make test` replays it from then on. Exits 1 when any target crashed.
# FUZZ_JOBS (default 1) targets run at once; FUZZ_NICE sets their niceness.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-1}
niceness=${FUZZ_NICE:-0}

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -Wno-dev \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DLUMORA_FUZZ=ON -DLUMORA_BUILD_TESTS=OFF -DLUMORA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzz_all

if [ $# -eq 0 ]; then
    set -- $(cd "$build/bin" && ls fuzz_* | sed 's/^fuzz_//' | grep -v '^make_seeds$')
fi

run_one() {
    t=$1
    seeds="$root/fuzz/corpus/$t"
    found="$build/corpus/$t"
    crashes="$build/crashes/$t"
    mkdir -p "$seeds" "$found" "$crashes"
    log="$build/logs/$t.log"
    mkdir -p "$build/logs"
    status=0
    nice -n "$niceness" "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$found" "$seeds" >"$log" 2>&1 || status=$?
    summary=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    if [ "$status" -ne 0 ]; then
        echo "$t: FAILED (exit $status) after $execs runs; see $log and $crashes"
        return 1
    fi
    echo "$t: $execs runs, $speed/s; $summary"
    if [ "${FUZZ_MERGE:-0}" = 1 ]; then
        merged="$build/merged/$t"
        rm -rf "$merged" && mkdir -p "$merged"
        "$build/bin/fuzz_$t" -merge=1 "$merged" "$seeds" "$found" >>"$log" 2>&1
        rm -f "$seeds"/* && cp "$merged"/* "$seeds"/
        echo "$t: seeds minimised to $(ls "$seeds" | wc -l) files"
    fi
}

failed=0
running=0
for t in "$@"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
    run_one "$t" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
exit $failed
