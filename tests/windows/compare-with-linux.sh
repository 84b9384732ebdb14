#!/usr/bin/env bash
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
wine_run="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../cmake" && pwd)/wine-run.sh"

rm -rf "$work"
mkdir -p "$work/sources"
src="$work/sources"

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
for ext in deu fra DEU Fra; do
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
done
# Valid UTF-8 beyond the first block read, then a byte that is not: Windows-1252 after all.
for k in $(seq 1 20000); do printf 'Gr\303\274\303\237e \342\200\236Hallo\342\200\234\r\n'; done >"$src/farutf8.deu"
cp "$src/farutf8.deu" "$src/longutf8.deu"
printf '\374\r\n' >>"$src/farutf8.deu"
mkdir "$src/folder.deu" "$src/folder.fra" "$src/empty"
put noext 'not a source \226'
put konvertionsfehler.deu 'the German log by name \226\r\n'
put Erreurs_de_conversion..fra 'the French log by name? No: one dot more \226\r\n'

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
