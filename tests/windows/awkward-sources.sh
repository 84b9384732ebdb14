#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# awkward-sources.sh FOLDER [EXT...]: fills FOLDER (made if missing) with sources that are hard
# to convert: all 256 codes, every kind of line end, NUL bytes, several dots, umlauts in names,
# hidden files, random bytes, Unicode texts (UTF-8, UTF-16, with and without a byte order mark,
# broken ones, UTF-8 with a few stray bytes), and folders and files named like sources or like the log files.
# EXT: the extensions to give the sources (default: deu fra DEU Fra). Used by the Windows
# tests that compare the Windows programs with the Linux batch command.
set -euo pipefail

src=$1
shift
extensions=("$@")
[ ${#extensions[@]} -gt 0 ] || extensions=(deu fra DEU Fra)
mkdir -p "$src"

# put NAME PRINTF-FORMAT: a file of exactly the bytes printf makes of the format.
put() { printf "$2" >"$src/$1"; }

all_codes=""
all_codes_crlf=""
for code in $(seq 0 255); do
    byte="\\$(printf '%03o' "$code")"
    all_codes+=$byte
    all_codes_crlf+="$byte\\r\\n"
done

random_bytes() { head -c "$2" /dev/urandom >"$src/$1"; }

tag=0
for ext in "${extensions[@]}"; do
    tag=$((tag + 1))
    put "all$tag.$ext" "$all_codes"
    put "allcrlf$tag.$ext" "$all_codes_crlf"
    put "lf$tag.$ext" 'Gr\374\337e\nzweite\226Zeile\n\n'
    put "cr$tag.$ext" 'a\351\rb\200\rc`d\r'
    put "mixed$tag.$ext" 'x\r\ny\n\rz\r\r\n\n\240\251\277'
    put "empty$tag.$ext" ''
    put "crlf$tag.$ext" '\r\n'
    put "nul$tag.$ext" '\000a\000\344\000\r\n\000'
    put "a.b.c$tag.$ext" 'several dots \226\227\r\n'
    put "x.$tag.$ext" 'two dots\377'
    put "Gr$(printf '\303\266\303\237')e$tag.$ext" 'a name with umlauts \231\r\n'
    put "$(printf '\303\211')t$(printf '\303\251')$tag.$ext" '\311t\351 \205\r\n'
    put ".hidden$tag.$ext" 'hidden \226'
    random_bytes "random$tag.$ext" 30000
    # Unicode: umlauts, typographic quotes, a Cyrillic letter, an emoji, every line end.
    put "utf8$tag.$ext" 'Gr\303\274\303\237e \342\200\236Hallo\342\200\234\r\n\320\226 \360\237\230\200\nz\r'
    put "utf8mark$tag.$ext" '\357\273\277\303\251t\303\251 \342\202\254\r\n'
    put "utf16le$tag.$ext" '\377\376G\000r\000\374\000\036\040\r\000\n\000\075\330\000\336'
    put "utf16be$tag.$ext" '\376\377\000a\330\075\000b\000\r\000c\330'
    put "markonly$tag.$ext" '\357\273\277'
    put "brokenutf8$tag.$ext" '\357\273\277a\377b\342\202'
    # UTF-8 but for two stray bytes from Windows-1252: read as UTF-8, each stray byte a blank.
    put "strayutf8$tag.$ext" 'Gr\303\274\303\237e \342\200\236Hallo\342\200\234 \303\244\303\266\303\274\303\237\351\r\n\374ber K\303\266ln \342\200\223 \303\251t\303\251 \303\240 \303\247a \303\242\303\256\303\264\r\n'
done
# Valid UTF-8 beyond the first block read, then a stray byte: UTF-8 all the same; then
# Windows-1252 text after it: Windows-1252 after all.
for k in $(seq 1 20000); do printf 'Gr\303\274\303\237e \342\200\236Hallo\342\200\234\r\n'; done >"$src/farutf8.deu"
cp "$src/farutf8.deu" "$src/longutf8.deu"
printf '\374\r\n' >>"$src/farutf8.deu"
cp "$src/longutf8.deu" "$src/farmixed.deu"
for k in $(seq 1 20000); do printf 'Gr\374\337e \204Hallo\223\r\n'; done >>"$src/farmixed.deu"
mkdir -p "$src/folder.deu" "$src/folder.fra" "$src/empty"
put noext 'not a source \226'
put konvertionsfehler.deu 'the German log by name \226\r\n'
put Erreurs_de_conversion..fra 'the French log by name? No: one dot more \226\r\n'
