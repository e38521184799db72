#!/usr/bin/env bash
# Start-up benchmark under Wine: the launcher's time from process creation
# to JNI_CreateJavaVM with one jar and with a thousand jars on the class
# path (median of several runs). Usage: scripts/bench-startup.sh [x64|x86] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-x64}
runs=${2:-9}
build="build/$arch"
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" --target velmar_startup_bench
winpath() { echo "Z:${1//\//\\}"; }
state="$build/wine"
env_script=tests/wine/wine-env.sh
"$env_script" setup "$state"
trap '"$env_script" teardown "$state"' EXIT
VELMAR_TEST_LAUNCHER=$(winpath "$(pwd)/$build/src/$(cd "$build/src" && ls *.exe | head -1)") \
VELMAR_STUB_RUNTIME_DIR=$(winpath "$(pwd)/$build/stub-runtime") \
    "$env_script" run "$state" "$arch" "$build/tests/bench/velmar_startup_bench.exe" "$runs"
