#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-zip.sh ZIP: checks the players' zip that CPack made (cmake --build build/windows
# --target package):
#   - one folder named like the zip, holding rz408-textconverter.exe, rz408-convert.exe and
#     README.txt, nothing else;
#   - each .exe is one self-contained file: it imports only DLLs of Windows itself (no Qt, no
#     MinGW runtime); the desktop program is a GUI program (no console window) with the icon
#     and the version in its resources, the batch command a console program;
#   - README.txt: Windows line ends throughout, UTF-8 with a byte order mark, in English,
#     German and French, naming both programs.
set -euo pipefail

zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
name=$(basename "$zip" .zip)
version=$(sed -n 's/^rz408-textconverter-\(.*\)-win64$/\1/p' <<<"$name")
objdump=x86_64-w64-mingw32-objdump
failures=0
fail() {
    echo "FAIL - $*"
    failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")

expected=$(printf '%s\n' "$name/README.txt" "$name/rz408-convert.exe" \
    "$name/rz408-textconverter.exe")
found=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$found" = "$expected" ] || fail "the zip holds
$found
instead of
$expected"
[ -n "$version" ] || fail "$name: not rz408-textconverter-VERSION-win64"

# DLLs that come with every 64-bit Windows 10 and 11, in lower case; and Windows' API sets
# (api-ms-win-*), which its loader resolves itself.
system_dlls=(advapi32.dll authz.dll comdlg32.dll d3d9.dll d3d11.dll dwmapi.dll dxgi.dll gdi32.dll
    imm32.dll kernel32.dll mpr.dll msvcrt.dll netapi32.dll ole32.dll oleaut32.dll setupapi.dll
    shcore.dll shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll version.dll winmm.dll
    ws2_32.dll wtsapi32.dll)
for exe in rz408-textconverter rz408-convert; do
    file=$work/$name/$exe.exe
    [ -f "$file" ] || continue
    headers=$("$objdump" -p "$file")
    for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z'); do
        [[ " ${system_dlls[*]} " == *" $dll "* || $dll == api-ms-win-* ]] ||
            fail "$exe.exe imports $dll, which Windows lacks"
    done
    subsystem=$(sed -n 's/^Subsystem\s\+[0-9a-f]*\s*//p' <<<"$headers")
    want="(Windows CUI)"
    [ "$exe" = rz408-textconverter ] && want="(Windows GUI)"
    [ "$subsystem" = "$want" ] || fail "$exe.exe is a $subsystem program, not $want"
    echo "$exe.exe: $(stat -c %s "$file") bytes, imports" \
        "$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
done
desktop=$work/$name/rz408-textconverter.exe
if [ -f "$desktop" ]; then
    resources=$(x86_64-w64-mingw32-windres -i "$desktop" -O rc 2>/dev/null || true)
    grep -q 'RT_GROUP_ICON' <<<"$resources" || fail "rz408-textconverter.exe carries no icon"
    grep -qF "VALUE \"FileVersion\", \"$version\"" <<<"$resources" ||
        fail "rz408-textconverter.exe carries no version $version"
fi

readme=$work/$name/README.txt
if [ -f "$readme" ]; then
    [ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
        fail "README.txt does not start with a UTF-8 byte order mark"
    lines=$(tr -cd '\n' <"$readme" | wc -c)
    crlf=$(grep -c $'\r$' "$readme" || true)
    [ "$lines" -gt 0 ] && [ "$lines" -eq "$crlf" ] ||
        fail "README.txt: $crlf of $lines lines end with CR LF"
    for heading in ENGLISH DEUTSCH "FRANÇAIS" rz408-textconverter.exe rz408-convert.exe "$version"; do
        grep -qF "$heading" "$readme" || fail "README.txt does not mention $heading"
    done
fi

echo "$zip: $(stat -c %s "$zip") bytes, $failures failed"
[ "$failures" -eq 0 ]
