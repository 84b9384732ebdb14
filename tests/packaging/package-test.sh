#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# package-test.sh [BUILD_DIR]   (default: build/)
#
# The Debian package end to end: builds it from BUILD_DIR (`--target package`), requires no
# lintian error or warning, hardened programs (hardening-check) and a machine-readable copyright
# file naming the license (tests/packaging/check-deb.sh), installs it with apt-get, runs the
# installed rz408-convert on a folder tree and compares everything with the build's own
# rz408-convert, checks that both manual pages render, that the desktop entry validates, that the
# bash completion loads and that the desktop program starts, and removes the package again.
#
# The machine is left as it was: the package is removed whatever fails (trap); nothing is
# installed when apt-get would bring in other packages too, or when the package, or a file of
# it, is already on the machine. One run at a time per machine (a lock), since the package is
# installed system-wide.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common.sh"

build=$(cd "${1:-$ROOT/build}" && pwd)
name=rz408-textconverter
ensure_packages lintian desktop-file-utils man-db dpkg-dev file devscripts

fail() {
    echo "package test: FAIL: $*" >&2
    exit 1
}

# ---- The package file --------------------------------------------------------------------
rm -f "$build/${name}"_*.deb
cmake --build "$build" --target package >"$build/package.log" 2>&1 ||
    { cat "$build/package.log"; fail "cpack could not build the package"; }
debs=("$build/${name}"_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single ${name}_*.deb in $build"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "${name}_${version}_${arch}.deb" ] ||
    fail "$(basename "$deb") is not named ${name}_${version}_${arch}.deb"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# The dependencies were computed from the programs' libraries, not typed in.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6widgets6; do
    [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
done

# Every file a user needs.
mapfile -t files < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|; /[^/]$/p')
for path in /usr/bin/rz408-convert /usr/bin/rz408-textconverter \
    /usr/share/applications/rz408-textconverter.desktop \
    /usr/share/icons/hicolor/32x32/apps/rz408-textconverter.png \
    /usr/share/man/man1/rz408-convert.1.gz /usr/share/man/man1/rz408-textconverter.1.gz \
    /usr/share/bash-completion/completions/rz408-convert \
    /usr/share/doc/rz408-textconverter/copyright /usr/share/doc/rz408-textconverter/changelog.gz; do
    printf '%s\n' "${files[@]}" | grep -qxF "$path" || fail "the package lacks $path"
done

# ---- lintian, hardening-check and the copyright file (tests/packaging/check-deb.sh) ----------
"$ROOT/tests/packaging/check-deb.sh" "$deb" "$build" || fail "the package is not fit to pass on"

# ---- Installed for real, one test run of the machine at a time -----------------------------
lock=${TMPDIR:-/tmp}/rz408-package-test.lock
[ -e "$lock" ] || { : >"$lock" && chmod 666 "$lock"; } 2>/dev/null || true
exec 9<"$lock"
flock -w 1800 9 || fail "another package test holds $lock"

if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'installed'; then
    echo "package test: SKIPPED the installation: $name is installed on this machine already;" \
        "remove it (apt-get remove $name) to let the test install and remove it"
    exit 0
fi
for path in "${files[@]}"; do
    if [ -e "$path" ] || [ -L "$path" ]; then
        echo "package test: SKIPPED the installation: $path exists already (cmake --install?);" \
            "the package would overwrite it and take it away on removal"
        exit 0
    fi
done
# apt-get must bring in nothing but the package: whatever else it installed would stay.
others=$(apt-get install -s -q "$deb" 2>/dev/null | sed -n 's/^Inst \([^ ]*\).*/\1/p' | grep -vxF "$name" || true)
[ -z "$others" ] || fail "apt-get would install more than $name: $others"

work=$(mktemp -d)
installed=""
remove_package() {
    local status=$?
    if [ -n "$installed" ]; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 \
            remove --purge -y -q "$name" >"$work/remove.log" 2>&1 ||
            { cat "$work/remove.log" >&2; status=1; }
        if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'installed'; then
            echo "package test: FAIL: $name is still installed" >&2
            status=1
        fi
        for path in "${files[@]}"; do
            if [ -e "$path" ]; then
                echo "package test: FAIL: $path is left after the removal" >&2
                status=1
            fi
        done
        [ "$status" -ne 0 ] || echo "package removed; none of its files is left"
    fi
    rm -rf "$work"
    exit "$status"
}
trap remove_package EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

installed=yes
as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 \
    install -y -q --no-install-recommends "$deb" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "apt-get install $deb failed"; }
dpkg-query -W -f='${Status}' "$name" | grep -q 'install ok installed' || fail "$name not installed"
[ "$(command -v rz408-convert)" = /usr/bin/rz408-convert ] ||
    fail "rz408-convert on PATH is $(command -v rz408-convert || echo nothing), not /usr/bin's"
echo "installed: $name $version"

# ---- The installed batch command converts a game tree as the build's does --------------------
tree=$work/tree
mkdir -p "$tree/scenario/maps" "$tree/userscen" "$tree/.hidden" "$tree/Spielst$(printf '\303\244')nde"
printf 'Gr\374\337e, \204Anf\374hrung\223 \226 Stra\337e\r\n\351t\351 `a\264\n' >"$tree/MAP.DEU"
printf 'Pr\344sident \200 100\r\n' >"$tree/scenario/s1.deu"
printf 'Carte \253 \340 \352tre \273\r\n\r\n' >"$tree/scenario/maps/c.fra"
printf 'ok' >"$tree/userscen/u.deu"
printf '\226 hidden' >"$tree/.hidden/h.deu"
printf 'x\237y' >"$tree/Spielst$(printf '\303\244')nde/a.b.deu"
"$build/bin/rz408-convert" --version >"$work/build-version"
cmp -s "$work/build-version" <(rz408-convert --version) ||
    fail "the installed rz408-convert --version differs: $(rz408-convert --version)"
for language in german french; do
    cp -a "$tree" "$work/built-$language"
    cp -a "$tree" "$work/installed-$language"
    built_rc=0
    "$build/bin/rz408-convert" -l "$language" -r "$work/built-$language" \
        >"$work/built-$language.out" 2>&1 || built_rc=$?
    installed_rc=0
    rz408-convert -l "$language" -r "$work/installed-$language" \
        >"$work/installed-$language.out" 2>&1 || installed_rc=$?
    [ "$installed_rc" -eq "$built_rc" ] ||
        fail "$language: exit code $installed_rc installed, $built_rc built"
    sed "s|$work/built-|$work/installed-|g" "$work/built-$language.out" |
        cmp -s - "$work/installed-$language.out" ||
        fail "$language: the installed command's output differs: $(cat "$work/installed-$language.out")"
    diff -r "$work/built-$language" "$work/installed-$language" >/dev/null ||
        fail "$language: the installed command wrote other files than the build's"
    copies=$(find "$work/installed-$language" -name '*.txt' | wc -l)
    [ "$copies" -ge 4 ] || fail "$language: only $copies files written"
    echo "$language: same $copies files and output as the build's, exit code $installed_rc"
done

# ---- Manual pages, desktop entry, completion, desktop program ------------------------------
for page in rz408-convert rz408-textconverter; do
    [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] ||
        fail "man finds $page at $(man -w "$page" 2>&1)"
    text=$(MANWIDTH=80 man -P cat "$page" 2>"$work/man.err") || fail "man $page failed"
    [ ! -s "$work/man.err" ] || fail "man $page: $(cat "$work/man.err")"
    for part in NAME SYNOPSIS "EXIT STATUS" FILES EXAMPLES "$page"; do
        grep -qF -- "$part" <<<"$text" || fail "man $page lacks $part"
    done
    LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -E UTF-8 -l -Tutf8 -Z \
        "/usr/share/man/man1/$page.1.gz" 2>"$work/man.err" >/dev/null
    [ ! -s "$work/man.err" ] || fail "groff warns on $page.1: $(cat "$work/man.err")"
done
grep -qF -- '--recursive' <<<"$(MANWIDTH=80 man -P cat rz408-convert)" ||
    fail "man rz408-convert lacks --recursive"
echo "man rz408-convert and man rz408-textconverter render without warnings"

valid=$(desktop-file-validate /usr/share/applications/rz408-textconverter.desktop 2>&1) ||
    fail "desktop-file-validate: $valid"
[ -z "$valid" ] || fail "desktop-file-validate: $valid"
echo "desktop entry valid"

bash -c 'source /usr/share/bash-completion/completions/rz408-convert && complete -p rz408-convert' \
    >/dev/null || fail "the bash completion does not load"

# The installed desktop program starts with the libraries the package depends on: still running
# when stopped (timeout's 124), not ended by a missing library or a crash.
started=0
QT_QPA_PLATFORM=offscreen timeout 5 rz408-textconverter >"$work/ui.log" 2>&1 || started=$?
[ "$started" -eq 124 ] || fail "rz408-textconverter ended with $started: $(cat "$work/ui.log")"
echo "rz408-textconverter starts"
