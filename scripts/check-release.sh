#!/usr/bin/env bash
# Checks the release that `make release` made:
#   walkthrough   unzips it, runs the shell commands of its README as
#                 written (a packager with only a JDK), adds the stub
#                 runtime as the shipped runtime and starts the branded
#                 program under Wine: it must run the example's main.
#   reproducible  clones this commit into another folder, makes the
#                 release there, and compares: the archive must be the
#                 same bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(sed -n 's/^project(velmar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=velmar-$version
archive=$root/dist/$name.zip
[ -f "$archive" ] || { echo "no $archive: run make release first" >&2; exit 1; }

# The README's ```sh blocks, in order.
readme_commands() {
    awk '/^```sh$/ {inside=1; next} /^```$/ {inside=0} inside' "$1"
}

walkthrough() {
    local work state record status=0
    work=$(mktemp -d)
    trap 'rm -rf "$work"' RETURN
    (cd "$work" && unzip -q "$archive")
    (cd "$work/$name" && sha256sum --quiet -c SHA256SUMS)
    (cd "$work/$name" && readme_commands README.md | bash -euo pipefail)
    local folder=$work/$name/MyNotes
    [ -f "$folder/MyNotes.exe" ] && [ -f "$folder/MyNotes.ini" ] ||
        { echo "walkthrough: the README's steps made no MyNotes.exe and MyNotes.ini" >&2; return 1; }
    # The Maven snippet runs `java -jar`, the Gradle one the main class from
    # the class path: both must write the same program.
    # The output's name goes into the version block: one name, two folders.
    mkdir "$work/by-jar" "$work/by-main-class"
    (cd "$work/$name" &&
        java -jar velmar-brand.jar --launcher x64/velmar.exe --output "$work/by-jar/MyApp.exe" \
            --icon examples/notes/notes.ico --product-name "My App" --product-version 2.1.0.7 &&
        java -cp velmar-brand.jar velmar.brand.BrandTool --launcher x64/velmar.exe \
            --output "$work/by-main-class/MyApp.exe" --icon examples/notes/notes.ico \
            --product-name "My App" --product-version 2.1.0.7)
    cmp "$work/by-jar/MyApp.exe" "$work/by-main-class/MyApp.exe" ||
        { echo "walkthrough: java -jar and the main class wrote different programs" >&2; return 1; }
    mkdir -p "$folder/jre64/bin/server"
    cp build/x64/stub-runtime/full/jvm.dll "$folder/jre64/bin/server/"
    : > "$folder/jre64/bin/java.dll"
    state=$root/build/release-check/wine
    record=$folder/stub-record.txt
    tests/wine/wine-env.sh setup "$state" >/dev/null
    (cd "$folder" && VELMAR_STUB_RECORD="Z:${record//\//\\}" \
        "$root/tests/wine/wine-env.sh" run "$state" x64 "$folder/MyNotes.exe") || status=$?
    tests/wine/wine-env.sh teardown "$state" >/dev/null || true
    if [ "$status" -ne 0 ] || ! grep -q '^call=main example/notes/NotesApp$' "$record"; then
        echo "walkthrough: MyNotes.exe ended with $status; the stub's record:" >&2
        cat "$record" >&2 2>/dev/null || echo "(none)" >&2
        return 1
    fi
    echo "walkthrough: the README's steps give a working MyNotes folder"
}

reproducible() {
    if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
        echo "reproducible: the working tree differs from its commit; commit first" >&2
        return 1
    fi
    local clone
    clone=$(mktemp -d /tmp/velmar-rebuild.XXXXXX)
    trap 'rm -rf "$clone"' RETURN
    git clone -q --no-hardlinks "$root" "$clone/velmar"
    make -C "$clone/velmar" release >/dev/null
    local ours theirs
    ours=$(sha256sum < "$archive" | cut -d' ' -f1)
    theirs=$(sha256sum < "$clone/velmar/dist/$name.zip" | cut -d' ' -f1)
    if [ "$ours" != "$theirs" ]; then
        echo "reproducible: a second build of the commit made another archive; files that differ:" >&2
        mkdir "$clone/a" "$clone/b"
        (cd "$clone/a" && unzip -q "$archive")
        (cd "$clone/b" && unzip -q "$clone/velmar/dist/$name.zip")
        diff -rq "$clone/a" "$clone/b" >&2 || true
        return 1
    fi
    echo "reproducible: two builds in two folders give the same archive, sha256 $ours"
}

case "${1:-all}" in
    walkthrough) walkthrough ;;
    reproducible) reproducible ;;
    all) walkthrough && reproducible ;;
    *) echo "usage: check-release.sh [walkthrough|reproducible|all]" >&2; exit 2 ;;
esac
