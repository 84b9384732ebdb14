#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# test-windows.sh: the Windows part of ./tools/test. Cross-builds both programs for 64-bit
# Windows (cmake --preset windows, with the static Qt of tools/build-qt-windows.sh, built first
# when this machine has none yet), runs the Windows tests under Wine (CTest), compares the
# batch command under Wine with the Linux one, drives the desktop program under Wine on an Xvfb
# display (tests/windows/desktop-under-wine.sh), and builds and checks the players' zip.
# Needs the native build in build/ (its rz408-convert is the reference). Run by ./tools/test;
# installs what it needs (WINDOWS_PACKAGES in tools/common.sh) when run on its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"

build=$ROOT/build/windows
status=0
step() { echo "-- $* ($((SECONDS - windows_start)) s)"; }
windows_start=$SECONDS

step "Qt for Windows"
qt_start=$SECONDS
qt=$("$ROOT/tools/build-qt-windows.sh")
echo "Qt for Windows: $qt ($((SECONDS - qt_start)) s)"

step "configure and build (cmake --preset windows)"
configure_preset windows -DRZ408_QT_WINDOWS="$qt" >/dev/null
build_preset windows

step "tests under Wine (CTest)"
# The build's own Wine prefix, created on the first run (wineboot), and Wine's server started.
"$ROOT/tests/windows/wine-run.sh" "$build/wineprefix" --start
# Under load Wine now and then fails to start a test program at all (it ends at once, with no
# output): the tests that failed run once more, alone, and fail the run only if they fail again.
if ! test_preset windows; then
    echo "tests under Wine: running the failed ones once more"
    (cd "$ROOT" && ctest --preset windows --rerun-failed) || status=$?
fi

step "the batch command under Wine and on Linux"
"$ROOT/tests/windows/compare-with-linux.sh" "$ROOT/build/bin/rz408-convert" \
    "$build/bin/rz408-convert.exe" "$build/wineprefix" "$build/compare" || status=$?
"$ROOT/tests/windows/wine-run.sh" "$build/wineprefix" --stop

step "the desktop program under Wine, driven with xdotool, at 96 and at 144 dpi (150 %)"
for dpi in 96 144; do
    "$ROOT/tests/windows/desktop-under-wine.sh" "$ROOT/build/bin/rz408-convert" "$build/bin" \
        "$build/wineprefix-desktop" "$build/desktop-$dpi" "$dpi" || status=$?
done

step "the players' zip (CPack)"
cmake --build "$build" --target package >/dev/null
"$ROOT/tests/windows/check-zip.sh" "$build"/rz408-textconverter-*-win64.zip || status=$?

echo "Windows build and tests: $((SECONDS - windows_start)) s"
exit "$status"
