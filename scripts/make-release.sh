#!/usr/bin/env bash
# Assembles the release from what `make` built into dist/: the launchers
# (windowed and console) of both architectures,
# the branding tool, the example's folders, docs/, a README and the licence,
# with SHA256SUMS of every file; then dist/velmar-<version>.zip and its
# .sha256. The archive is the same bytes on every rebuild of one commit:
# its entries sorted, no folder entries or extra fields, every date the
# commit's (SOURCE_DATE_EPOCH when set), every mode 644 or 755.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(sed -n 's/^project(velmar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)}
licence=/usr/share/common-licenses/Apache-2.0
name=velmar-$version
stage=dist/release/$name

for needed in dist/x64/velmar.exe dist/x86/velmar.exe dist/x64/velmarc.exe dist/x86/velmarc.exe \
              dist/velmar-brand.jar \
              dist/example/x64/NotesApp.exe dist/example/x86/NotesApp.exe "$licence"; do
    [ -f "$needed" ] || { echo "missing $needed (run make first)" >&2; exit 1; }
done

rm -rf dist/release
mkdir -p "$stage"/x64 "$stage"/x86 "$stage"/examples/notes
cp dist/x64/*.exe "$stage"/x64/
cp dist/x86/*.exe "$stage"/x86/
cp dist/velmar-brand.jar "$stage"/
cp -r docs "$stage"/docs
cp release/README.md "$stage"/README.md
cp "$licence" "$stage"/LICENSE
cp -r dist/example/x64 "$stage"/examples/notes/x64
cp -r dist/example/x86 "$stage"/examples/notes/x86
cp examples/notes/resources/notes.ico "$stage"/examples/notes/
cp -r examples/notes/src "$stage"/examples/notes/src

(cd "$stage" && find . -type f | LC_ALL=C sort | sed 's|^\./||' | xargs -d '\n' sha256sum) \
    > "$stage.SHA256SUMS"
mv "$stage.SHA256SUMS" "$stage"/SHA256SUMS

find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -type f -name '*.exe' -exec chmod 755 {} +
find "$stage" -exec touch -h -d "@$epoch" {} +

rm -f "dist/$name.zip"
# Zip keeps local times: UTC makes them the same on every machine.
(cd dist/release && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D "../$name.zip" -@)
(cd dist && sha256sum "$name.zip" > "$name.zip.sha256")
ls -l "dist/$name.zip"
cat "dist/$name.zip.sha256"
