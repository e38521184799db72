#!/usr/bin/env bash
# Builds the parsers' fuzz targets natively (clang, libFuzzer, ASan, UBSan)
# and runs each for SECONDS (default 3), starting from its seeds in
# corpus/<target>. The inputs a run finds stay in build/fuzz/corpus, so a
# later run goes on from them; a crashing input is left in
# build/fuzz/artifacts. A longer run: tests/fuzz/run.sh 60
set -euo pipefail

seconds=${1:-3}
here=$(cd "$(dirname "$0")" && pwd)
build="$(cd "$here/../.." && pwd)/build/fuzz"

cd "$here"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p "$build/corpus" "$build/artifacts" "$build/logs"
passed=0
failed=0
for seeds in "$here"/corpus/*/; do
    target=$(basename "$seeds")
    work="$build/corpus/$target"
    log="$build/logs/$target.log"
    mkdir -p "$work"
    # One process, run by the clock; the sanitizers stop at their first
    # report. -rss_limit_mb keeps a leak from taking the machine.
    if "$build/$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=1024 \
        -artifact_prefix="$build/artifacts/$target-" "$work" "$seeds" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$target: ${runs:-?} executions in ${seconds} s"
        passed=$((passed + 1))
    else
        echo "$target: FAILED (log: $log)"
        grep -E 'ERROR|runtime error|property broken|SUMMARY|Test unit written' "$log" | head -n 8 || true
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
