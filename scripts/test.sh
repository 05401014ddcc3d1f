#!/usr/bin/env bash
# Builds both presets and runs every test: the native unit tests (with the
# sanitizers) and the Windows tests under Wine and Xvfb. Installs the Debian
# packages it needs first. Exits non-zero if any step or any test fails.
#
# Environment: POSTERN_NATIVE_JOBS (default 2) and POSTERN_WIN64_JOBS (default 1)
# set how many tests CTest runs at once in each build.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Build tools, GoogleTest (installed for the native build, sources for MinGW), the
# MinGW-w64 compilers, Wine with the fonts and X extensions it loads at run time
# (installed explicitly because recommends are skipped), Xvfb, socat for the
# serial tests, X and image tools for screenshots, chattr for read-only-file tests.
readonly PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
    g++-mingw-w64-x86-64-posix wine64 wine fonts-wine
    libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxcomposite1 libxinerama1 libxxf86vm1
    xvfb socat x11-utils imagemagick e2fsprogs
)

say() { printf '\n==== %s\n' "$*"; }

install_missing_packages() {
    local missing=() p status
    for p in "${PACKAGES[@]}"; do
        status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
        [[ $status == ii* ]] || missing+=("$p")
    done
    if [[ ${#missing[@]} -eq 0 ]]; then
        echo "all ${#PACKAGES[@]} packages present"
        return 0
    fi
    echo "missing packages: ${missing[*]}"
    if [[ $(id -u) -ne 0 ]]; then
        echo "test.sh: installing packages needs root; run as root or install: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update </dev/null
    apt-get install -y --no-install-recommends "${missing[@]}" </dev/null
}

start=$SECONDS

say "packages"
install_missing_packages

say "configure and build: native"
cmake --preset native -DPOSTERN_WERROR=ON </dev/null
cmake --build --preset native </dev/null

say "configure and build: win64"
cmake --preset win64 -DPOSTERN_WERROR=ON </dev/null
cmake --build --preset win64 </dev/null

native_rc=0
win64_rc=0
say "tests: native"
ctest --preset native -j "${POSTERN_NATIVE_JOBS:-2}" </dev/null || native_rc=$?
say "tests: win64 (under Wine)"
ctest --preset win64 -j "${POSTERN_WIN64_JOBS:-1}" </dev/null || win64_rc=$?

say "summary after $((SECONDS - start)) s"
if [[ $native_rc -eq 0 ]]; then echo "native tests: passed"; else echo "native tests: FAILED"; fi
if [[ $win64_rc -eq 0 ]]; then echo "win64 tests:  passed"; else echo "win64 tests:  FAILED"; fi
[[ $native_rc -eq 0 && $win64_rc -eq 0 ]]
