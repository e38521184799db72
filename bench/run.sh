#!/usr/bin/env bash
# The start-up benchmark, one command: builds both builds' launcher, the
# minimal host, the stub runtime and the benchmark driver, runs the driver
# under Wine for each build and prints its figures with the stripped sizes.
#
#   bench/run.sh [--record] [RUNS]
#
# RUNS: timed pairs per case (default 21). --record also writes the figures
# with the date and the machine into docs/performance.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
record=no
if [ "${1:-}" = "--record" ]; then
    record=yes
    shift
fi
runs=${1:-21}
wine_env="$root/tests/wine/wine-env.sh"

windows_path() { echo "Z:${1//\//\\}"; }

# Calls of the profile API in Wine's profile trace: each call opens (and,
# on Windows, parses) the file once, which the trace shows as one
# "PROFILE_Open path:" line.
count_profile_reads() {
    grep -c 'trace:profile:PROFILE_Open path:' || true
}

for arch in x64 x86; do
    cmake --preset "$arch" >/dev/null
    cmake --build --preset "$arch" --target velmar velmar_bench velmar_minimal_host velmar_stub_runtime >/dev/null
done

# The launcher under its branded name (VELMAR_OUTPUT_NAME): the shortest
# name there, as the console launcher's is the same with a "c" after it.
launcher_of() {
    local exe shortest=
    for exe in "$root/build/$1/src/"*.exe; do
        if [ -z "$shortest" ] || [ "${#exe}" -lt "${#shortest}" ]; then
            shortest=$exe
        fi
    done
    echo "$shortest"
}

report=$(mktemp)
trap 'rm -f "$report"' EXIT
{
    echo "Stripped size of the launcher:"
    for arch in x64 x86; do
        printf '  %s: %s bytes\n' "$arch" "$(stat -c %s "$(launcher_of "$arch")")"
    done
    echo "Imports:"
    for arch in x64 x86; do
        case $arch in x64) prefix=x86_64-w64-mingw32 ;; x86) prefix=i686-w64-mingw32 ;; esac
        printf '  %s: %s\n' "$arch" \
            "$("$prefix-objdump" -p "$(launcher_of "$arch")" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
    done
} | tee "$report"

for arch in x64 x86; do
    build="$root/build/$arch"
    other=$([ "$arch" = x64 ] && echo x86 || echo x64)
    state="$build/wine"
    "$wine_env" setup "$state" >/dev/null
    export VELMAR_TEST_LAUNCHER=$(windows_path "$(launcher_of "$arch")")
    export VELMAR_STUB_RUNTIME_DIR=$(windows_path "$build/stub-runtime")
    export VELMAR_BENCH_HOST=$(windows_path "$build/bench/velmar_minimal_host.exe")
    if [ "$arch" = x64 ]; then
        export VELMAR_BENCH_PAIR_LAUNCHER=$(windows_path "$(launcher_of "$other")")
        export VELMAR_BENCH_PAIR_HOST=$(windows_path "$root/build/$other/bench/velmar_minimal_host.exe")
        export VELMAR_BENCH_PAIR_STUB_DIR=$(windows_path "$root/build/$other/stub-runtime")
    else
        unset VELMAR_BENCH_PAIR_LAUNCHER VELMAR_BENCH_PAIR_HOST VELMAR_BENCH_PAIR_STUB_DIR
    fi
    {
        echo
        echo "== $arch build$([ "$arch" = x86 ] && echo ' (under qemu-user: noisy, slower by an order of magnitude)') =="
        trace=$("$wine_env" run "$state" "$arch" "$build/bench/velmar_bench.exe" --ini-trace 2>&1 >/dev/null || true)
        launcher_reads=$(sed '/---- minimal host ----/q' <<<"$trace" | count_profile_reads)
        host_reads=$(sed -n '/---- minimal host ----/,$p' <<<"$trace" | count_profile_reads)
        echo "Profile API calls on a typical start: launcher $launcher_reads, minimal host $host_reads"
        "$wine_env" run "$state" "$arch" "$build/bench/velmar_bench.exe" "$runs"
    } 2>&1 | tee -a "$report"
    "$wine_env" teardown "$state" >/dev/null
done

if [ "$record" = yes ]; then
    {
        cat <<'HEAD'
# Start-up performance

Figures of the start-up benchmark (`bench/run.sh --record`): the launcher
against a minimal host of the Java VM (bench/minimal_host.cpp: four INI
keys, jvm.dll, the VM with the "exit" hook, main), whole processes started
in pairs after a warm-up, the order swapped every other pair (launcher
first, then host first), on the stub runtime of the tests, under Wine.
"launcher>VM" and "host>VM" are the times from the creation of the process
to its call of JNI_CreateJavaVM, as the stub runtime records them; "ratio"
and "diff" are the medians of the pairwise ratios and differences of the
whole processes, "diff>VM" that of the times to JNI_CreateJavaVM.
"registry, 1 -> 50" is what 49 more registrations add to the launcher's
time to JNI_CreateJavaVM, the median of paired starts with one and with
fifty registered, beside what they add to the bare registry loop (list the
versions, open each, read its JavaHome, close it, look at the folder). Times
in milliseconds. "typical, GUI host" times the launcher against the host made
to call DefWindowProcW first, as the launcher's entry point does, before
it loads jvm.dll: that maps user32 and what it brings (gdi32, win32u, imm32
and more under Wine). The stub runtime, like a real jvm.dll, imports user32
itself, so the plain host maps it too, only later.

HEAD
        echo "Recorded $(date -u '+%Y-%m-%d %H:%M UTC') on $(uname -srm), $(nproc) cores," \
             "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)."
        echo
        echo '```'
        cat "$report"
        echo '```'
    } > docs/performance.md
    echo "wrote docs/performance.md"
fi
