#!/usr/bin/env bash
# Wine environment for the tests: an X display, a Wine prefix with its
# wineserver, and qemu-i386 for the 32-bit Wine loader.
#
#   wine-env.sh setup STATE     start what is missing, write STATE/env
#   wine-env.sh teardown STATE  stop what setup started
#   wine-env.sh run STATE ARCH PROGRAM [ARGS...]   run a Windows program
#
# A run without a setup before it (ctest listing the cases of a test
# program before its fixture ran, or a program run by hand) brings up the
# environment for itself and takes it down after.
# STATE is a folder that holds the prefix, the preload shim and the record
# of what was started. Set VELMAR_KEEP_BINFMT=1 to leave the qemu-i386
# registration in place at teardown (when several runs share the machine).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
command=${1:?usage: wine-env.sh setup|teardown|run STATE ...}
state=${2:?state folder missing}
shift 2
# ctest's resource allocation names the lane a test was given, as
# "id:laneN,slots:1": lane 1 is STATE itself, lane N the folder STATE-N.
lane=${CTEST_RESOURCE_GROUP_0_PREFIX:-}
lane=${lane#id:lane}
lane=${lane%%,*}
if [ "$command" = run ] && [ -n "$lane" ] && [ "$lane" != 1 ]; then
    state="$state-$lane"
fi
mkdir -p "$state"
state=$(cd "$state" && pwd)

binfmt_dir=/proc/sys/fs/binfmt_misc
binfmt_name=velmar-qemu-i386

wine_environment() {
    export WINEPREFIX="$state/prefix"
    export WINEDEBUG=-all
    # VELMAR_WINE_DLL_OVERRIDES adds to them (a test run's own choice). A
    # process started from a Windows program takes its overrides from
    # here, not from the environment block it was given.
    export WINEDLLOVERRIDES="mscoree,mshtml=${VELMAR_WINE_DLL_OVERRIDES:+;$VELMAR_WINE_DLL_OVERRIDES}"
    # A literal $LIB: the dynamic loader picks the shim of the process's own
    # word size. The 32-bit copy mends qemu's mmap; the 64-bit copy lets the
    # wineserver reach a 32-bit process's memory where qemu keeps it.
    export LD_PRELOAD="$state/shim/\$LIB/velmar-mmap-shim.so"
    if [ -f "$state/display" ]; then
        export DISPLAY=":$(cat "$state/display")"
    fi
}

build_shim() {
    local lib32 lib64
    lib32="$state/shim/lib/i386-linux-gnu"
    lib64="$state/shim/lib/x86_64-linux-gnu"
    mkdir -p "$lib32" "$lib64" "$state/shim/lib32" "$state/shim/lib64"
    gcc -m32 -O2 -nostdlib -fPIC -shared -o "$lib32/velmar-mmap-shim.so" "$here/mmap-shim.c"
    gcc -O2 -nostdlib -fPIC -shared -o "$lib64/velmar-mmap-shim.so" "$here/mmap-shim.c" \
        "$here/guest-memory-shim.c"
    # $LIB expands to lib, lib32 or lib64 on some systems; cover them all.
    cp "$lib32/velmar-mmap-shim.so" "$state/shim/lib32/"
    cp "$lib64/velmar-mmap-shim.so" "$state/shim/lib64/"
    cp "$lib64/velmar-mmap-shim.so" "$state/shim/lib/"
}

register_binfmt() {
    if [ ! -e "$binfmt_dir/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt_dir"
    fi
    if [ -e "$binfmt_dir/$binfmt_name" ] || grep -qs '^interpreter .*qemu-i386' "$binfmt_dir"/* 2>/dev/null; then
        return
    fi
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":$binfmt_name:M::$magic:$mask:/usr/bin/qemu-i386:F" > "$binfmt_dir/register"
    touch "$state/binfmt-registered"
}

free_display() {
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"
            return
        fi
    done
    echo "no free X display" >&2
    return 1
}

start_xvfb() {
    if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
        return
    fi
    local n
    n=$(free_display)
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! > "$state/xvfb.pid"
    echo "$n" > "$state/display"
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

setup() {
    build_shim
    register_binfmt
    start_xvfb
    wine_environment
    # The wineserver and Wine's services inherit the output of whoever starts
    # them first; start them here, away from any test's pipes.
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/.velmar-ready" ]; then
        # The first process in a new prefix makes Wine run its own
        # wineboot --init before it, so this boots twice and leaves two
        # services.exe behind (RpcSs then failed to start and MessageBoxW
        # tests hung). Stop that wineserver and boot a clean one below.
        wineserver -p </dev/null >/dev/null 2>&1 || true
        /usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
        wineserver -k </dev/null >/dev/null 2>&1 || true
        wineserver -w </dev/null >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.velmar-ready"
    fi
    # Drive V: of the tests' own: an empty folder a test may install a
    # launcher into the root of (Wine takes drives from these links only).
    mkdir -p "$state/drive-root"
    ln -sfn "$state/drive-root" "$WINEPREFIX/dosdevices/v:"
    # Status 2 means a wineserver already runs for this prefix: an earlier
    # setup started and booted it, and each boot starts another services.exe.
    local server_status=0
    wineserver -p </dev/null >/dev/null 2>&1 || server_status=$?
    if [ "$server_status" -eq 0 ]; then
        /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    elif [ "$server_status" -ne 2 ]; then
        echo "wineserver failed to start (status $server_status)" >&2
        return 1
    fi
}

teardown() {
    wine_environment
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid" "$state/display"
    fi
    if [ -f "$state/binfmt-registered" ] && [ -z "${VELMAR_KEEP_BINFMT:-}" ]; then
        echo -1 > "$binfmt_dir/$binfmt_name" 2>/dev/null || true
        rm -f "$state/binfmt-registered"
    fi
}

# True when a setup has the environment up: the prefix is booted and its
# wineserver runs. The probe that finds no server has started one with
# none of setup's steps after it; it is stopped again for setup to redo.
environment_up() {
    [ -f "$state/prefix/.velmar-ready" ] || return 1
    (
        wine_environment
        status=0
        wineserver -p </dev/null >/dev/null 2>&1 || status=$?
        if [ "$status" -ne 2 ]; then
            wineserver -k </dev/null >/dev/null 2>&1 || true
            wineserver -w </dev/null >/dev/null 2>&1 || true
        fi
        [ "$status" -eq 2 ]
    )
}

run() {
    # A test that changes the prefix has it to itself; ctest's lanes see to
    # that, and this lock when ctest runs without them (no resource spec
    # file). The programs started below do not inherit it.
    if [ -n "${VELMAR_WINE_CHANGES_PREFIX:-}" ]; then
        exec 9>"$state/prefix.lock"
        flock 9
    fi
    if environment_up 9>&-; then
        wine_environment
        run_program "$@" 9>&-
        return
    fi
    # Only the program's output goes to standard output: ctest parses it
    # when it lists the cases.
    setup </dev/null >&2 9>&-
    wine_environment
    local status=0
    run_program "$@" 9>&- || status=$?
    teardown </dev/null >&2 9>&-
    return "$status"
}

run_program() {
    local arch=${1:?architecture missing}
    shift
    local loader=/usr/lib/wine/wine
    if [ "$arch" = x64 ]; then
        loader=/usr/lib/wine/wine64
    fi
    # A process the program started can outlive it: under qemu-user a
    # 32-bit process was seen to linger after its exit had been reported.
    # It would keep ctest's output pipe open until the test's timeout, so
    # the output goes through files, copied out once the program has ended.
    local out err status attempt
    out=$(mktemp)
    err=$(mktemp)
    for attempt in 1 2; do
        status=0
        "$loader" "$@" >"$out" 2>"$err" </dev/null || status=$?
        # A program that failed without a byte of output, not even its test
        # framework's first line, ran no test: it was not started. Seen once
        # in thousands of runs, with two lanes busy; it is run once more.
        if [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$attempt" -eq 2 ]; then
            break
        fi
        echo "the program ended with status $status before any output; running it again" >&2
    done
    # Wine's C runtime ends lines with CR LF; ctest parses the listing of
    # the cases by lines.
    tr -d '\r' <"$out"
    cat "$err" >&2
    # Under qemu-user a 32-bit test program can die at its first failure
    # while Wine still reports success: a test program's run counts only
    # when it printed its summary and no failure.
    if [ "$status" -eq 0 ] && grep -q '^\[==========\] Running' "$out" \
        && { ! grep -q '^\[==========\] .* ran\.' "$out" || grep -q '^\[  FAILED  \]' "$out"; }; then
        echo "the test program failed or ended before its summary" >&2
        status=1
    fi
    rm -f "$out" "$err"
    return "$status"
}

case "$command" in
    setup) setup ;;
    teardown) teardown ;;
    run) run "$@" ;;
    *) echo "unknown command $command" >&2; exit 2 ;;
esac
