#!/usr/bin/env bash
# compare-with-linux.sh LINUX_EXE WINDOWS_EXE WINEPREFIX WORKDIR
#
# Converts two copies of one folder of awkward sources, one with the Linux rz408-convert and
# one with rz408-convert.exe under Wine, in German and in French, and requires the same files
# byte for byte, the same exit code and the same count message; then converts the Windows copy
# once more and requires that nothing changed. The names differ in more than case, as on any
# Windows disk.
set -euo pipefail

linux_exe=$1
windows_exe=$2
prefix=$3
work=$4
wine_run="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../cmake" && pwd)/wine-run.sh"

rm -rf "$work"
src="$work/sources"
"$(dirname "${BASH_SOURCE[0]}")/awkward-sources.sh" "$src"

status=0
for language in german french; do
    cp -a "$src" "$work/linux-$language"
    cp -a "$src" "$work/windows-$language"
    linux_rc=0
    "$linux_exe" --language "$language" "$work/linux-$language" \
        >"$work/linux-$language.out" 2>/dev/null || linux_rc=$?
    windows_rc=0
    "$wine_run" "$prefix" "$windows_exe" --language "$language" "$work/windows-$language" \
        >"$work/windows-$language.out" 2>/dev/null || windows_rc=$?
    if ! diff -r "$work/linux-$language" "$work/windows-$language"; then
        echo "FAIL $language: the Windows files differ from the Linux files"
        status=1
    fi
    if [ "$linux_rc" != "$windows_rc" ]; then
        echo "FAIL $language: exit code $windows_rc on Windows, $linux_rc on Linux"
        status=1
    fi
    # Windows' standard output ends its lines with CR LF.
    if ! tr -d '\r' <"$work/windows-$language.out" | cmp -s - "$work/linux-$language.out"; then
        echo "FAIL $language: the count messages differ"
        status=1
    fi
    "$wine_run" "$prefix" "$windows_exe" --language "$language" "$work/windows-$language" \
        >/dev/null 2>&1 || true
    if ! diff -r -q "$work/linux-$language" "$work/windows-$language"; then
        echo "FAIL $language: a second Windows run changed the files"
        status=1
    fi
    files=$(find "$work/windows-$language" -type f | wc -l)
    echo "$language: $files files, exit code $windows_rc, $(cat "$work/linux-$language.out")"
done
[ "$status" -eq 0 ] && echo "Windows and Linux wrote the same files byte for byte"
exit "$status"
