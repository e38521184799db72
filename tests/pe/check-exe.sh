#!/usr/bin/env bash
# Checks a built launcher as a packager would ship it: processor type,
# subsystem (GUI, or console for the console launcher: a third argument
# "console"), imports of system DLLs only (none of those that only a dialog
# or the splash needs), and the resources the launcher
# needs (string table blocks of ids 202-233, dialogs 201 and 231, the
# manifest, the icon and the version block).
set -euo pipefail
exe=${1:?launcher missing}
arch=${2:?architecture missing}
kind=${3:-gui}
case "$arch" in
    x64) objdump=x86_64-w64-mingw32-objdump; machine=8664 ;;
    x86) objdump=i686-w64-mingw32-objdump; machine=014c ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The Machine field follows the "PE\0\0" signature that e_lfanew points to.
lfanew=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
actual=$(od -An -tx2 -j$((lfanew + 4)) -N2 "$exe" | tr -d ' ')
[ "$actual" = "$machine" ] || fail "machine 0x$actual, expected 0x$machine"

dump=$("$objdump" -p "$exe")
if [ "$kind" = console ]; then
    grep -q 'Subsystem[[:space:]]*00000003[[:space:]]*(Windows CUI)' <<<"$dump" || fail "not a console program"
else
    grep -q 'Subsystem[[:space:]]*00000002[[:space:]]*(Windows GUI)' <<<"$dump" || fail "not a GUI program"
fi

system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|COMDLG32|OLE32|OLEAUT32|SHLWAPI|VERSION|msvcrt|ntdll)\.dll$'
while read -r dll; do
    grep -Eiq "$system_dlls" <<<"$dll" || fail "imports $dll, not a system DLL"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

# What only the dialogs need is loaded when a dialog first needs it.
on_demand_dlls='^(SHELL32|COMCTL32|COMDLG32|OLE32|OLEAUT32|GDIPLUS|DBGHELP)\.dll$'
while read -r dll; do
    if grep -Eiq "$on_demand_dlls" <<<"$dll"; then
        fail "imports $dll at start; it is loaded when needed"
    fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

# Resource directory: type entries are at depth one, their ids at depth two.
resources=$(sed -n '/The .rsrc Resource Directory section/,$p' <<<"$dump")
has_resource() {  # type id
    awk -v type="$1" -v id="$2" '
        /^[0-9a-f]+   Entry: ID:/ { current = $4; sub(",", "", current) }
        /^[0-9a-f]+     Entry: ID:/ { entry = $4; sub(",", "", entry); if (current == type && entry == id) found = 1 }
        END { exit found ? 0 : 1 }' <<<"$resources"
}
has_resource 0x000005 0x0000c9 || fail "dialog 201 missing"
has_resource 0x000005 0x0000e7 || fail "dialog 231 missing"
for block in 0x00000d 0x00000e 0x00000f; do  # ids 192-207, 208-223, 224-239
    has_resource 0x000006 "$block" || fail "string table block $block missing"
done
has_resource 0x000018 0x000001 || fail "manifest missing"
has_resource 0x000010 0x000001 || fail "version block missing"
has_resource 0x00000e 0x000001 || fail "icon group missing"

# Windows lets a process past 260 characters (with the system's setting on)
# only when its manifest declares it long-path aware.
grep -aq '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>' "$exe" ||
    fail "manifest does not declare long-path awareness"

if [ "$failures" -eq 0 ]; then
    echo "$exe: machine 0x$machine, $kind subsystem, system imports only, resources complete"
fi
exit "$failures"
