# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by tools/run and tools/test: install what is missing, configure, build.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# Packages for building and running the desktop program and the batch command.
BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-liberation)

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

# configure_native [EXTRA CMAKE ARGS...]: the native build in build/.
configure_native() {
    cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

build_native() {
    cmake --build "$ROOT/build" --parallel "$JOBS"
}
