# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the commands in tools/ (and bench/run.sh, tests/packaging/): install what is missing,
# and configure, build and test with the presets of CMakePresets.json, which hold every build's
# options. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# Packages for building and running the desktop program and the batch command.
BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-liberation)
# Packages for the Windows build and its tests under Wine (tools/test-windows.sh): MinGW-w64 and
# GoogleTest's source for the build, Qt for Windows from Debian's source
# (tools/build-qt-windows.sh), Wine, and an X display of its own for the desktop program's test
# under Wine (screenshots, clipboard).
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine64)
WINDOWS_PACKAGES+=(ninja-build perl dpkg-dev xz-utils)
WINDOWS_PACKAGES+=(xvfb xdotool xclip x11-apps netpbm)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# ensure_packages PKG...: apt-get installs those of PKG that are not installed yet.
# Refreshes the package lists once, and only when something is missing.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ -z "${RZ408_APT_UPDATED:-}" ]; then
        as_root apt-get -o DPkg::Lock::Timeout=900 update -q
        export RZ408_APT_UPDATED=1
    fi
    # Waits for another apt-get or dpkg (a second build on the same machine) instead of failing.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -q \
        --no-install-recommends "${missing[@]}"
}

# configure_preset PRESET [CMAKE ARGS...]: configures the build of PRESET (CMakePresets.json).
configure_preset() {
    (cd "$ROOT" && cmake --preset "$@")
}

# build_preset PRESET [ARGS...]: builds PRESET's build, e.g. with --target NAME.
build_preset() {
    (cd "$ROOT" && cmake --build --preset "$1" --parallel "$JOBS" "${@:2}")
}

# test_preset PRESET [CTEST ARGS...]: runs the tests of PRESET's build through CTest.
test_preset() {
    (cd "$ROOT" && ctest --preset "$1" --parallel "$JOBS" "${@:2}")
}
