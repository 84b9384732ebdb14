#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-zip.sh ZIP: checks the players' zip that CPack made (cmake --build build/windows
# --target package):
#   - one folder named like the zip, holding rz408-textconverter.exe, rz408-convert.exe and
#     README.txt, nothing else;
#   - each .exe is one self-contained file: it imports only DLLs of Windows itself (no Qt, no
#     MinGW runtime); the desktop program is a GUI program (no console window) with the icon
#     and the version in its resources, the batch command a console program;
#   - each .exe keeps Windows' address-space randomisation and no-execute data
#     (DllCharacteristics HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT) and names its version and
#     license in its version resource;
#   - README.txt: Windows line ends throughout, UTF-8 with a byte order mark, in English,
#     German and French, naming both programs and the license files;
#   - the notices that passing the zip on requires: LICENSE (the GPL 3 of the source tree), Qt's
#     license texts and copyright file (Qt/), the MinGW-w64 runtime's copyright file, and
#     SOURCES.txt naming the source archive of this version and the exact Debian source package
#     and options of the Qt linked in.
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

expected=$(printf '%s\n' "$name/LICENSE" "$name/MinGW-w64/copyright" "$name/Qt/LICENSE.GPL3" \
    "$name/Qt/LICENSE.LGPL3" "$name/Qt/copyright" "$name/README.txt" "$name/SOURCES.txt" \
    "$name/rz408-convert.exe" "$name/rz408-textconverter.exe")
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
    characteristics=$(sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' <<<"$headers" |
        sed -n 's/^\s\+\([A-Z_]\+\)$/\1/p' | tr '\n' ' ')
    for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
        [[ " $characteristics" == *" $flag "* ]] ||
            fail "$exe.exe lacks DllCharacteristics $flag (has: $characteristics)"
    done
    resources=$(x86_64-w64-mingw32-windres -i "$file" -O rc 2>/dev/null || true)
    grep -qF "VALUE \"FileVersion\", \"$version\"" <<<"$resources" ||
        fail "$exe.exe carries no version $version"
    grep -qF "VALUE \"OriginalFilename\", \"$exe.exe\"" <<<"$resources" ||
        fail "$exe.exe's version resource does not name $exe.exe"
    grep -q 'VALUE "LegalCopyright", ".*GPL-3.0-or-later' <<<"$resources" ||
        fail "$exe.exe's version resource names no license GPL-3.0-or-later"
    echo "$exe.exe: $(stat -c %s "$file") bytes, DllCharacteristics ${characteristics% }, imports" \
        "$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
done
desktop=$work/$name/rz408-textconverter.exe
if [ -f "$desktop" ]; then
    x86_64-w64-mingw32-windres -i "$desktop" -O rc 2>/dev/null | grep -q 'RT_GROUP_ICON' ||
        fail "rz408-textconverter.exe carries no icon"
fi

# The notices. FILE|the words its first lines must hold.
source_tree=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ ! -f "$work/$name/LICENSE" ] || cmp -s "$work/$name/LICENSE" "$source_tree/LICENSE" ||
    fail "LICENSE is not the source tree's LICENSE"
while IFS='|' read -r file words; do
    [ ! -f "$work/$name/$file" ] || head -n 8 "$work/$name/$file" | tr -s ' ' | grep -qF "$words" ||
        fail "$file does not start as $words"
done <<'NOTICES'
LICENSE|GNU GENERAL PUBLIC LICENSE
Qt/LICENSE.LGPL3|GNU LESSER GENERAL PUBLIC LICENSE
Qt/LICENSE.LGPL3|Version 3, 29 June 2007
Qt/LICENSE.GPL3|GNU GENERAL PUBLIC LICENSE
Qt/LICENSE.GPL3|Version 3, 29 June 2007
Qt/copyright|Upstream-Name: qtbase
MinGW-w64/copyright|Upstream-Name: mingw-w64
NOTICES
sources=$work/$name/SOURCES.txt
if [ -f "$sources" ]; then
    lines=$(tr -cd '\n' <"$sources" | wc -c)
    [ "$lines" -gt 0 ] && [ "$lines" -eq "$(grep -c $'\r$' "$sources" || true)" ] ||
        fail "SOURCES.txt: not every line ends with CR LF"
    # The Qt for Windows of tools/build-qt-windows.sh is built from the source package of the
    # Linux Qt's exact version.
    qt_debian=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo unknown)
    for words in "rz408-textconverter-$version.tar.gz" "qt6-base $qt_debian," \
        "apt-get source qt6-base=$qt_debian" "-DBUILD_SHARED_LIBS=OFF" LICENSE \
        'Qt\LICENSE.LGPL3' 'MinGW-w64\copyright'; do
        tr -d '\r' <"$sources" | tr -s ' \n' '  ' | grep -qF -- "$words" ||
            fail "SOURCES.txt does not name $words"
    done
fi

readme=$work/$name/README.txt
if [ -f "$readme" ]; then
    [ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
        fail "README.txt does not start with a UTF-8 byte order mark"
    lines=$(tr -cd '\n' <"$readme" | wc -c)
    crlf=$(grep -c $'\r$' "$readme" || true)
    [ "$lines" -gt 0 ] && [ "$lines" -eq "$crlf" ] ||
        fail "README.txt: $crlf of $lines lines end with CR LF"
    for heading in ENGLISH DEUTSCH "FRANÇAIS" rz408-textconverter.exe rz408-convert.exe "$version" \
        "(LICENSE)" 'Qt\LICENSE.LGPL3' SOURCES.txt Lizenz Licence; do
        grep -qF "$heading" "$readme" || fail "README.txt does not mention $heading"
    done
fi

echo "$zip: $(stat -c %s "$zip") bytes, $failures failed"
[ "$failures" -eq 0 ]
