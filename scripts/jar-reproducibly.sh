#!/usr/bin/env bash
# Packs a folder of classes into a jar that is the same bytes on every
# rebuild of one commit: its entries in a fixed order, each with one date,
# SOURCE_DATE_EPOCH when set, else the date of the last commit that changed
# the sources (so that a jar the build keeps is not older than a new one of
# the same sources). A manifest of the caller's own (fourth argument)
# replaces jar's, which names the JDK.
set -euo pipefail
out=${1:?output jar missing}
classes=${2:?class folder missing}
sources=${3:?source folder missing}
manifest=${4:-}
mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%dT%H:%M:%SZ)
else
    date=$(git -C "$sources" log -1 --format=%cI -- . 2>/dev/null || true)
    date=${date:-2026-01-01T00:00:00Z}
fi
list=$(mktemp)
trap 'rm -f "$list"' EXIT
(cd "$classes" && find . -type f | LC_ALL=C sort) > "$list"
rm -f "$out.tmp"
if [ -n "$manifest" ]; then
    manifest="$(cd "$(dirname "$manifest")" && pwd)/$(basename "$manifest")"
    (cd "$classes" && jar --create --file "$out.tmp" --manifest "$manifest" --date "$date" @"$list")
else
    (cd "$classes" && jar --create --file "$out.tmp" --date "$date" @"$list")
fi
mv "$out.tmp" "$out"
