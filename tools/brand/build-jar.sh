#!/usr/bin/env bash
# Builds velmar-brand.jar from tools/brand/src, byte for byte the same on
# every rebuild of one commit: javac's output is deterministic, and the jar
# gets a manifest of our own (no Created-By of the build machine), its
# entries in a fixed order and one fixed date (scripts/jar-reproducibly.sh).
set -euo pipefail
out=${1:?output jar missing}
here=$(cd "$(dirname "$0")" && pwd)

classes=$(mktemp -d)
trap 'rm -rf "$classes"' EXIT
javac --release 8 -encoding UTF-8 -Xlint:all -Werror -d "$classes" $(find "$here/src" -name '*.java' | LC_ALL=C sort)
"$here/../../scripts/jar-reproducibly.sh" "$out" "$classes" "$here/src" "$here/MANIFEST.MF"
