#!/usr/bin/env bash
# Single-instance benchmark under Wine: the round trip of a later start,
# from its process creation to its exit with the answer, one at a time
# (median of several runs) and twenty at once. Usage: bench/instance.sh [x64|x86] [runs] [burst]
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-x64}
runs=${2:-15}
burst=${3:-20}
build="build/$arch"
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" --target velmar_instance_bench
winpath() { echo "Z:${1//\//\\}"; }
state="$build/wine"
env_script=tests/wine/wine-env.sh
"$env_script" setup "$state"
trap '"$env_script" teardown "$state"' EXIT
VELMAR_TEST_LAUNCHER=$(winpath "$(pwd)/$build/src/$(cd "$build/src" && ls *.exe | head -1)") \
VELMAR_STUB_RUNTIME_DIR=$(winpath "$(pwd)/$build/stub-runtime") \
    "$env_script" run "$state" "$arch" "$build/bench/velmar_instance_bench.exe" "$runs" "$burst"
