#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# build-qt-windows.sh [--prefix]: Qt for 64-bit Windows (static, MinGW-w64), built once per
# machine from Debian's own source package of the Qt that is installed for Linux, whose tools
# (moc, rcc, uic) serve as the host tools of the cross build.
#
#   tools/build-qt-windows.sh            builds Qt when it is not cached yet; prints its folder
#   tools/build-qt-windows.sh --prefix   prints the folder only (it may not exist yet)
#
# The result lands in ~/.cache/rz408/ (or $RZ408_CACHE), in a folder named after the Qt version
# and a hash of the build options, so that another version or other options build anew and a
# second run costs nothing. The installed Qt is relocatable: it is installed into a scratch
# folder and moved into place, and a search for the scratch folder's name inside it must come
# up empty. A lock makes a second run on the same machine wait for the first one instead of
# building again. The build runs under nice, so that other builds on the machine stay usable.
# Beside Qt, in PREFIX/notices, lies what a program linked with it must carry or tell when it is
# passed on: Qt's license texts and Debian's copyright file of Qt, the exact version of the
# source package and Qt's options (added to a Qt built before they were kept with it).
#
# Only what the desktop program and its window tests use is built: Core, Gui, Widgets, Test, the
# windows and offscreen platform plugins and the native Windows style, with the third-party
# libraries that come with Qt's source (nothing of Windows' own beyond its system DLLs).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

MINGW=x86_64-w64-mingw32
CACHE=${RZ408_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/rz408}
# Expected effort, from the builds on a 2-core machine: printed before the build starts.
EXPECTED_STEPS=963
EXPECTED_CPU_MINUTES=42

# The Debian version of the Linux Qt: the source package must be exactly that version.
host_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true
}

# Qt's CMake options besides the toolchain and the host tools. A change here gives a new cache
# folder (the hash below).
QT_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    # The modules: Core, Gui, Widgets and Test only.
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
    # Debian's source drops src/3rdparty/wintab, which tablet support on Windows needs.
    -DFEATURE_tabletevent=OFF
    # Without Direct2D the windows plugin would still refer to a DirectWrite font database that
    # Gui then lacks: both off, the GDI font database remains.
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
    # What the program does not use: more image formats, PDF, Markdown, ICU (Windows' own
    # collation serves), zstd, pkg-config.
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_pdf=OFF
    -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
    -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_pkg_config=OFF
    # Qt's bundled third-party libraries, never the build machine's.
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_doubleconversion=OFF
    # FreeType: the offscreen platform (the window tests) draws its text with it.
    -DFEATURE_freetype=ON
)

# The cross toolchain Qt is built with: Debian's posix-threads MinGW-w64 compilers.
toolchain_text() {
    cat <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $MINGW-gcc-posix)
set(CMAKE_CXX_COMPILER $MINGW-g++-posix)
set(CMAKE_RC_COMPILER $MINGW-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$MINGW)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# Bumped when the way of building changes in a way the options do not show.
RECIPE=1

cache_folder() {
    local version=$1 hash
    hash=$({
        echo "recipe $RECIPE"
        echo "debian $version"
        printf '%s\n' "${QT_OPTIONS[@]}"
        toolchain_text
    } | sha256sum | cut -c1-12)
    echo "$CACHE/qt-${version%%+*}-$MINGW-static-$hash"
}

if [ "${1:-}" = "--prefix" ]; then
    version=$(host_qt_version)
    [ -n "$version" ] || {
        echo "build-qt-windows.sh: qt6-base-dev is not installed" >&2
        exit 1
    }
    cache_folder "$version"
    exit 0
fi

say() { echo "[qt-windows] $*" >&2; }

ensure_packages qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix cmake ninja-build perl \
    dpkg-dev xz-utils
version=$(host_qt_version)
prefix=$(cache_folder "$version")
if [ -f "$prefix/.complete" ] && [ -f "$prefix/notices/.complete" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$CACHE"
exec 9>"$CACHE/qt-windows.lock"
if ! flock -n 9; then
    say "another build of Qt for Windows runs on this machine; waiting for it to finish"
    flock 9
fi
# Built by the run we waited for.
if [ -f "$prefix/.complete" ] && [ -f "$prefix/notices/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# ---- Debian's source package, exactly the version of the Linux Qt --------------------------
# Needs a deb-src entry for Debian's archive: one is added when apt knows no source of it.
have_source_index() {
    apt-cache showsrc qt6-base 2>/dev/null | grep -qx "Version: $version"
}
add_deb_src() {
    local codename list=/etc/apt/sources.list.d/rz408-deb-src.sources
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    say "no deb-src entry for Debian's archive: adding $list (source packages of $codename)"
    as_root tee "$list" >/dev/null <<EOF
# Added by rz408's tools/build-qt-windows.sh: Debian's source packages (apt-get source).
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $codename-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
}

source_dir=$CACHE/qt6-base-source/$version
if ! ls "$source_dir"/qt6-base_*.dsc >/dev/null 2>&1; then
    if ! have_source_index; then
        if ! grep -Eqrs '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
            add_deb_src
        fi
        say "apt-get update (source package lists)"
        as_root apt-get -o DPkg::Lock::Timeout=900 update -q >&2
    fi
    have_source_index || {
        say "Debian's archive has no source package qt6-base $version"
        exit 1
    }
    mkdir -p "$source_dir.partial"
    (cd "$source_dir.partial" && apt-get source --download-only "qt6-base=$version" >&2)
    rm -rf "$source_dir" && mv "$source_dir.partial" "$source_dir"
fi

# ---- What goes with every program linked with this Qt -------------------------------------
# PREFIX/notices: Qt's license texts (LICENSE.LGPL3, and LICENSE.GPL3, the GPL 3 that the LGPL 3
# builds on), Debian's copyright file of qt6-base (the holders and licenses of Qt and of the
# libraries it bundles), and what this Qt was built from: the source package's version
# (debian-version) and Qt's options (options, one per line).
write_notices() {
    local target=$1 tmp=$1/notices.partial name
    rm -rf "$tmp"
    mkdir -p "$tmp/src"
    tar -xf "$(ls "$source_dir"/qt6-base_*.orig.tar.*)" -C "$tmp/src" --no-same-owner \
        --strip-components=1 --wildcards '*LICENSE*'
    tar -xf "$(ls "$source_dir"/qt6-base_*.debian.tar.*)" -C "$tmp/src" --no-same-owner \
        debian/copyright
    for name in LGPL3:LGPL-3.0-only GPL3:GPL-3.0-only; do
        # Newer Qt keeps them in LICENSES/, older Qt at the top of its source.
        if [ -f "$tmp/src/LICENSES/${name#*:}.txt" ]; then
            mv "$tmp/src/LICENSES/${name#*:}.txt" "$tmp/LICENSE.${name%%:*}"
        else
            mv "$tmp/src/LICENSE.${name%%:*}" "$tmp/LICENSE.${name%%:*}"
        fi
    done
    mv "$tmp/src/debian/copyright" "$tmp/copyright"
    rm -rf "$tmp/src"
    echo "$version" >"$tmp/debian-version"
    printf '%s\n' "${QT_OPTIONS[@]}" >"$tmp/options"
    touch "$tmp/.complete"
    rm -rf "$target/notices"
    mv "$tmp" "$target/notices"
}
if [ -f "$prefix/.complete" ]; then # built before its notices were kept with it
    say "adding Qt's license texts and sources to $prefix/notices"
    write_notices "$prefix"
    echo "$prefix"
    exit 0
fi

# ---- Unpack (with Debian's patches), configure, build, install -----------------------------
work=$CACHE/qt-build-work
staging=$prefix.partial
rm -rf "$work" "$staging"
mkdir -p "$work"
start=$SECONDS
log=$work/build.log
say "building Qt $version for Windows (static, $MINGW) into $prefix"
say "expect about $EXPECTED_STEPS steps and $EXPECTED_CPU_MINUTES processor-minutes: about" \
    "$((EXPECTED_CPU_MINUTES / JOBS + 4)) minutes on $JOBS free cores, more on a busy machine;" \
    "full log in $log"

say "unpacking Debian's source and applying Debian's patches"
# dpkg-source applies the patches of debian/patches: the same Qt as Debian's Linux packages.
dpkg-source --no-check -x "$source_dir"/qt6-base_*.dsc "$work/src" >>"$log" 2>&1

toolchain_text >"$work/toolchain.cmake"
say "configuring"
nice -n 10 cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_INSTALL_PREFIX="$staging" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${QT_OPTIONS[@]}" >>"$log" 2>&1 || {
    tail -40 "$log" >&2
    say "configure failed; see $log"
    exit 1
}

say "compiling ($JOBS jobs, nice); progress every 5 %"
# Ninja's status line ([done/total]) gives the progress; the estimate of the remaining time
# assumes that the remaining steps take as long as the finished ones did.
report_progress() {
    local line finished total percent next=5 elapsed t0=$SECONDS
    while IFS= read -r line; do
        printf '%s\n' "$line" >>"$log"
        [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]] || continue
        finished=${BASH_REMATCH[1]}
        total=${BASH_REMATCH[2]}
        percent=$((100 * finished / total))
        if [ "$percent" -ge "$next" ]; then
            elapsed=$((SECONDS - t0))
            say "$(printf '%3d' "$percent") % ($finished/$total steps), $((elapsed / 60)) min so far," \
                "about $(((elapsed * (total - finished) / finished + 59) / 60)) min left"
            next=$((percent - percent % 5 + 5))
        fi
    done
}
export NINJA_STATUS='[%f/%t] '
set +e
nice -n 10 ninja -C "$work/build" -j "$JOBS" 2>&1 | report_progress
build_status=${PIPESTATUS[0]}
set -e
if [ "$build_status" -ne 0 ]; then
    grep -A20 'FAILED:' "$log" | head -60 >&2 || tail -40 "$log" >&2
    say "build failed; see $log"
    exit 1
fi

say "installing"
nice -n 10 cmake --install "$work/build" >>"$log" 2>&1
# Relocatable: the CMake packages, through which the project finds Qt, must not name the folder
# Qt was installed to (it is moved below). Qt6BuildInternals (for building more Qt modules) and
# the compiled-in prefix of a static QtCore (unused: the plugins are linked in) may.
if grep -rlF "$staging" "$staging/lib/cmake" | grep -v /Qt6BuildInternals/ \
    >"$work/absolute-paths.txt"; then
    say "the installed Qt's CMake packages name its install folder (not relocatable):"
    head "$work/absolute-paths.txt" >&2
    exit 1
fi
# Kept with the cache, for whoever wonders how it was built.
{
    echo "Qt for Windows built by rz408's tools/build-qt-windows.sh"
    echo "Debian source package: qt6-base $version (with Debian's patches)"
    echo "Toolchain:"
    toolchain_text
    echo "Options:"
    printf '  %s\n' "${QT_OPTIONS[@]}"
    echo "Build time: $((SECONDS - start)) s on $JOBS cores"
    echo "Processor time of the build (user, system): $(times | tail -n1)"
} >"$staging/rz408-build-info.txt"
cp "$log" "$staging/rz408-build.log"
write_notices "$staging"
rm -rf "$prefix"
mv "$staging" "$prefix"
touch "$prefix/.complete"
rm -rf "$work"
say "done in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s: $prefix" \
    "($(du -sh "$prefix" | cut -f1))"
echo "$prefix"
