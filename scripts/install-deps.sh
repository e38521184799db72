#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when run as
# root and something is missing. Without root it only reports what is
# missing.
set -euo pipefail

build_packages=(cmake ninja-build make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
                binutils-mingw-w64 openjdk-17-jdk-headless zip)
# libgstreamer-plugins-base1.0-0:i386 is a dependency of wine32 that apt's
# resolver gives up on when it has to be taken from the release itself
# (below); naming it lets it through.
# clang, its libFuzzer and sanitizer runtimes and its linker, of one
# version: the native fuzz build of the parsers (tests/fuzz).
# osslsigncode and openssl: a branded launcher signed with a certificate the
# test makes (tests/brand). unzip and git: the release checks (scripts/check-release.sh).
test_packages=(googletest wine wine64 wine32:i386 libgstreamer-plugins-base1.0-0:i386 xvfb qemu-user gcc gcc-multilib
               clang-14 libclang-rt-14-dev lld-14 osslsigncode openssl unzip git)

wanted=("${build_packages[@]}")
if [ "${1:-}" = "--with-tests" ]; then
    wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (install them as root): ${missing[*]}" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
# A mirror in the middle of a sync fails one index now and then; the
# others are still good enough to install from, so a failed update is
# retried and then left to apt-get install to judge.
for attempt in 1 2 3; do
    apt-get update -q && break
    echo "apt-get update failed (attempt $attempt)" >&2
    sleep 10
done
# When the security index of one architecture is missing, packages of the
# other one may be newer than any it can match (32-bit Wine needs the same
# versions of the libraries of both): take them from the release itself.
if ! apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "retrying with the packages of $release" >&2
    apt-get install -y -q --no-install-recommends -t "$release" "${missing[@]}"
fi
