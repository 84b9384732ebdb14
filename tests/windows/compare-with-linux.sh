#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# compare-with-linux.sh LINUX_EXE WINDOWS_EXE WINEPREFIX WORKDIR
#
# Converts two copies of one folder of awkward sources, one with the Linux rz408-convert and
# one with rz408-convert.exe under Wine, in German and in French, and requires the same files
# byte for byte, the same exit code and the same count message; then converts the Windows copy
# once more and requires that nothing changed. The names differ in more than case, as on any
# Windows disk. Each language runs twice: on the folder alone, and with --recursive on the
# folder and the folders below it (nested ones, a hidden one, links to folders), whose count
# lines must name the same folders (Windows writes "\" where Linux writes "/"); German runs once
# more with every source read as UTF-16BE. Among the sources are texts saved as UTF-8 and UTF-16,
# whole and broken: the messages on standard error that name them must agree too. Three runs
# --check: the same findings (the paths from the copy's folder on), and the folder as it was.
set -euo pipefail

linux_exe=$1
windows_exe=$2
prefix=$3
work=$4
wine_run="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-run.sh"

rm -rf "$work"
src="$work/sources"
"$(dirname "${BASH_SOURCE[0]}")/awkward-sources.sh" "$src"

# Folders below, for --recursive: nested ones with sources, a hidden one, a link to a folder of
# the tree and one to a folder outside it. Neither the links nor the hidden folder is entered.
mkdir -p "$src/scenario/maps" "$src/userscen" "$src/.hidden folder" "$work/outside"
cp "$src/lf1.deu" "$src/cr2.fra" "$src/all3.DEU" "$src/scenario/"
cp "$src/mixed1.deu" "$src/nul2.fra" "$src/scenario/maps/"
cp "$src"/Gr*e1.deu "$src/x.4.Fra" "$src/userscen/"
cp "$src/lf1.deu" "$src/cr2.fra" "$src/.hidden folder/"
cp "$src/lf1.deu" "$src/cr2.fra" "$work/outside/"
ln -s scenario "$src/link to scenario"
ln -s ../outside "$src/link outside" # from each copy beside the sources

# messages FILE: the messages on standard error, the paths in them from the copy's folder on
# (the copies lie in different folders; Windows writes "\" between a folder and a name),
# without CR; output FILE: standard output so, the paths that begin --check's lines too.
messages() {
    tr -d '\r' <"$1" | tr '\\' / | sed -E "s#'[^']*/(linux|windows)-#'#g"
}
output() {
    tr -d '\r' <"$1" | tr '\\' / | sed -E "s#^[^:]*/(linux|windows)-##"
}

status=0
for run in german french german-recursive french-recursive german-utf-16be check-german \
    check-french-recursive check-german-utf-16be; do
    language=${run#check-}
    options=(--language "${language%%-*}")
    [[ $run == check-* ]] && options+=(--check)
    case $run in
    *-recursive) options+=(--recursive) ;;
    *-utf-16be) options+=(--encoding utf-16be) ;;
    esac
    cp -a "$src" "$work/linux-$run"
    cp -a "$src" "$work/windows-$run"
    linux_rc=0
    "$linux_exe" "${options[@]}" "$work/linux-$run" >"$work/linux-$run.out" \
        2>"$work/linux-$run.err" || linux_rc=$?
    windows_rc=0
    "$wine_run" "$prefix" "$windows_exe" "${options[@]}" "$work/windows-$run" \
        >"$work/windows-$run.out" 2>"$work/windows-$run.err" || windows_rc=$?
    if ! diff -r "$work/linux-$run" "$work/windows-$run"; then
        echo "FAIL $run: the Windows files differ from the Linux files"
        status=1
    fi
    if [ "$linux_rc" != "$windows_rc" ]; then
        echo "FAIL $run: exit code $windows_rc on Windows, $linux_rc on Linux"
        status=1
    fi
    # Windows' standard output ends its lines with CR LF, and its paths use backslashes.
    if ! cmp -s <(output "$work/linux-$run.out") <(output "$work/windows-$run.out"); then
        echo "FAIL $run: the count messages or findings differ"
        status=1
    fi
    if [[ $run == check-* ]] && ! diff -r -q "$src" "$work/windows-$run"; then
        echo "FAIL $run: the check changed the folder"
        status=1
    fi
    if ! diff <(messages "$work/linux-$run.err") <(messages "$work/windows-$run.err"); then
        echo "FAIL $run: the messages on standard error differ"
        status=1
    fi
    "$wine_run" "$prefix" "$windows_exe" "${options[@]}" "$work/windows-$run" \
        >/dev/null 2>&1 || true
    if ! diff -r -q "$work/linux-$run" "$work/windows-$run"; then
        echo "FAIL $run: a second Windows run changed the files"
        status=1
    fi
    files=$(find "$work/windows-$run" -type f | wc -l)
    unicode=$(grep -c ' read as ' "$work/linux-$run.err" || true)
    echo "$run: $files files, $unicode read as Unicode, exit code $windows_rc," \
        "$(wc -l <"$work/linux-$run.out") count lines: $(head -n 1 "$work/linux-$run.out")"
done
# The recursive runs: every folder of the tree but the hidden one and the links has its log, and
# nothing was written through a link.
for run in german-recursive french-recursive; do
    lines=$(cut -d: -f1 "$work/linux-$run.out" | paste -sd, -)
    if [ "$lines" != ".,empty,folder.deu,folder.fra,scenario,scenario/maps,userscen" ]; then
        echo "FAIL $run: the folders converted are $lines"
        status=1
    fi
done
if [ -n "$(find "$work/outside" -name '*.txt')" ]; then
    echo "FAIL: a link to a folder outside the tree was entered"
    status=1
fi
[ "$status" -eq 0 ] && echo "Windows and Linux wrote the same files byte for byte"
exit "$status"
