#!/usr/bin/env bash
# Builds velmar-brand.jar from tools/brand/src, byte for byte the same on
# every rebuild of one commit: javac's output is deterministic, and the jar
# gets a manifest of our own (no Created-By of the build machine), its
# entries in a fixed order and one fixed date: SOURCE_DATE_EPOCH when set,
# else the date of the last commit, else a constant.
set -euo pipefail
out=${1:?output jar missing}
here=$(cd "$(dirname "$0")" && pwd)
# jar runs in the class folder: the output's path must not be relative.
mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%dT%H:%M:%SZ)
else
    date=$(git -C "$here" log -1 --format=%cI 2>/dev/null || true)
    date=${date:-2026-01-01T00:00:00Z}
fi

classes=$(mktemp -d)
trap 'rm -rf "$classes"' EXIT
javac --release 8 -encoding UTF-8 -Xlint:all -Werror -d "$classes" $(find "$here/src" -name '*.java' | LC_ALL=C sort)
rm -f "$out.tmp"
(cd "$classes" && find . -type f -name '*.class' | LC_ALL=C sort) > "$classes.list"
(cd "$classes" && jar --create --file "$out.tmp" --manifest "$here/MANIFEST.MF" --date "$date" @"$classes.list")
rm -f "$classes.list"
mv "$out.tmp" "$out"
