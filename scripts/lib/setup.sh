# Shared by test.sh, demo.sh and bench.sh: the Debian packages the kit needs,
# installing the missing ones, and building the presets.
# shellcheck shell=bash

# Build tools, GoogleTest (installed for the native build, sources for MinGW), the
# MinGW-w64 compilers, Wine with the fonts and X extensions it loads at run time
# (installed explicitly because recommends are skipped), Xvfb, socat for the
# serial tests, X and image tools for screenshots (xdotool presses the demo's buttons), chattr for read-only-file tests,
# and HylaFAX for its pagesend, a TAP client of others' making that pages through the
# modem simulator in its tests (its daemons are not used).
readonly POSTERN_PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
    g++-mingw-w64-x86-64-posix wine64 wine fonts-wine
    libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxcomposite1 libxinerama1 libxxf86vm1
    xvfb socat x11-utils imagemagick xdotool e2fsprogs hylafax-server
)

say() { printf '\n==== %s\n' "$*"; }

install_missing_packages() {
    local missing=() p status
    for p in "${POSTERN_PACKAGES[@]}"; do
        status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
        [[ $status == ii* ]] || missing+=("$p")
    done
    if [[ ${#missing[@]} -eq 0 ]]; then
        echo "all ${#POSTERN_PACKAGES[@]} packages present"
        return 0
    fi
    echo "missing packages: ${missing[*]}"
    if [[ $(id -u) -ne 0 ]]; then
        echo "installing packages needs root; run as root or install: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update </dev/null
    apt-get install -y --no-install-recommends "${missing[@]}" </dev/null
}

# Configures and builds one preset; extra arguments go to the configure step.
build_preset() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" </dev/null
    cmake --build --preset "$preset" </dev/null
}

# What demo.sh and bench.sh start with: the packages, then the native build
# (the modem simulator) and the win64 build, without the builds' own output.
packages_and_builds() {
    say "packages"
    install_missing_packages
    say "build"
    build_preset native >/dev/null
    build_preset win64 >/dev/null
}
