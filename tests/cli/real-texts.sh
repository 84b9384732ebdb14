#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# real-texts.sh RZ408_CONVERT
#
# How the batch command tells Windows-1252 from UTF-8 on real German and French prose: the
# manual pages of manpages-de and manpages-fr, the Debian Reference of debian-reference-de and
# debian-reference-fr, and the thesauri of mythes-de (28 MB) and mythes-fr, all shipped in UTF-8.
# - Saved in Windows-1252 (iconv, here and now), not one of them is read as UTF-8.
# - As they are, with CR LF line ends and a few bytes broken (a Windows-1252 letter at the start
#   of a line, a stray byte before a line end, a character cut short), each one that holds at
#   least 100 characters of more than one byte is read as UTF-8, with its broken sequences
#   counted on standard error and each a blank with its log entry; so is the German thesaurus
#   with a single stray byte.
# Skips (77) when the packages are not installed.
set -euo pipefail

command=$1
export LC_ALL=C

thesaurus_de=/usr/share/mythes/th_de_DE_v2.dat
thesaurus_fr=/usr/share/mythes/thes_fr.dat
reference=/usr/share/debian-reference
for needed in /usr/share/man/de/man1 /usr/share/man/fr/man1 "$reference/debian-reference.de.txt.gz" \
    "$reference/debian-reference.fr.txt.gz" "$thesaurus_de" "$thesaurus_fr"; do
    if [ ! -e "$needed" ]; then
        echo "SKIP: $needed is missing (packages manpages-de manpages-fr debian-reference-de" \
            "debian-reference-fr mythes-de mythes-fr)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

# The texts, UTF-8, in text/: de-man/, fr-man/ (the manual pages), and LANGUAGE-NAME.
text=$work/text
mkdir -p "$text"
for lang in de fr; do
    cp -rL "/usr/share/man/$lang" "$text/$lang-man"
    cp "$reference/debian-reference.$lang.txt.gz" "$text/$lang-reference.gz"
    for file in "$reference"/*."$lang".html; do
        cp "$file" "$text/$lang-reference-$(basename "$file" ".$lang.html")"
    done
done
cp "$thesaurus_de" "$text/de-thesaurus"
cp "$thesaurus_fr" "$text/fr-thesaurus"
gunzip -rq "$text"

# Each text saved in Windows-1252 as cp-LANGUAGE/NAME.deu or .fra, NAME its path in text/ with
# "_" for "/" and "."; one that is not valid UTF-8 is left out.
declare -A extension=([de]=deu [fr]=fra)
declare -A language=([de]=german [fr]=french)
mkdir -p "$work"/{cp,u8}-{de,fr}
texts=()
while IFS= read -r -d '' file; do
    rel=${file#"$text/"}
    name=${rel//[\/.]/_}
    lang=${rel:0:2}
    if iconv -f UTF-8 -t WINDOWS-1252//TRANSLIT "$file" >"$work/cp-$lang/$name.${extension[$lang]}" 2>/dev/null; then
        texts+=("$file")
    else
        echo "not UTF-8, left out: $file"
        rm "$work/cp-$lang/$name.${extension[$lang]}"
    fi
done < <(find "$text" -type f -print0 | sort -z)

# The same texts in UTF-8 as u8-LANGUAGE/NAME.deu or .fra, with CR LF line ends and bytes broken
# on three lines of their own: a stray byte E9 before the end of the first, a Windows-1252 u
# umlaut at the start of the second, and the first character of more than one byte from the third
# line on cut short by its last byte. Only those with at least 100 characters of more than one
# byte and no U+FFFD of their own (each U+FFFD is a break) are kept; "expected" lists them, each
# with the number of its breaks.
awk -v work="$work" -v text="$text/" '
    function done() {
        if (out == "") return
        close(out)
        if (leads < 100 || replacement) print out >(work "/too-few")
        else print substr(out, length(work) + 2) "\047 read as UTF-8: " made >(work "/expected")
    }
    FNR == 1 {
        done()
        name = substr(FILENAME, length(text) + 1)
        lang = substr(name, 1, 2)
        gsub(/[\/.]/, "_", name)
        out = work "/u8-" lang "/" name (lang == "de" ? ".deu" : ".fra")
        leads = made = cut = replacement = 0
    }
    {
        line = $0
        leads += gsub(/[\300-\367]/, "", line)
        if (index($0, "\357\277\275")) replacement = 1
    }
    FNR == 1 { $0 = $0 "\351"; made++ }
    FNR == 2 { $0 = "\374" $0; made++ }
    FNR >= 3 && !cut && match($0, /[\300-\367][\200-\277]+/) {
        $0 = substr($0, 1, RSTART + RLENGTH - 2) substr($0, RSTART + RLENGTH)
        cut = 1
        made++
    }
    { printf "%s\r\n", $0 >out }
    END { done() }' "${texts[@]}"
xargs -r rm -f <"$work/too-few"
# The German thesaurus with one byte broken, as an editor may leave it.
awk 'NR == 5000 { $0 = $0 "\351" } { printf "%s\r\n", $0 }' "$thesaurus_de" \
    >"$work/u8-de/thesaurus-one.deu"
echo "u8-de/thesaurus-one.deu' read as UTF-8: 1" >>"$work/expected"

# run FOLDER LANGUAGE: the batch command on FOLDER; its standard error in FOLDER.err.
run() {
    local rc=0
    "$command" --language "$2" "$1" >"$1.out" 2>"$1.err" || rc=$?
    [ "$rc" = 0 ] || fail "exit code $rc for $1: $(head -3 "$1.err")"
}

for lang in de fr; do
    run "$work/cp-$lang" "${language[$lang]}"
    run "$work/u8-$lang" "${language[$lang]}"
done
taken=$(cat "$work"/cp-*.err | wc -l)
if [ "$taken" != 0 ]; then
    fail "Windows-1252 texts read as Unicode:"
    cat "$work"/cp-*.err
fi

# The UTF-8 texts: each named with its broken sequences, and each of them a logged blank (on
# lines of their own, so one log entry each).
sed -E "s#^rz408-convert: '.*/(u8-[a-z]+/[^/]*)' read as UTF-8: ([0-9]+) invalid sequences? became (a blank|blanks)\$#\1' read as UTF-8: \2#" \
    "$work"/u8-*.err | sort >"$work/named"
if ! diff <(sort "$work/expected") "$work/named"; then
    fail "the UTF-8 texts with bytes broken were not all read as UTF-8 with their broken bytes counted"
fi
made=$(awk -F': ' '{ sum += $2 } END { print sum }' "$work/expected")
entries=$(cat "$work/u8-de/konvertionsfehler.txt" "$work/u8-fr/Erreurs_de_conversion..txt" |
    { grep -aoF ' 65533) ' || true; } | wc -l)
[ "$entries" = "$made" ] || fail "$entries log entries for $made broken sequences"

sources() { ls "$work/$1-de"/*.deu "$work/$1-fr"/*.fra; }
megabytes() { sources "$1" | xargs cat | wc -c | awk '{ printf "%.1f MB", $1 / 1e6 }'; }
echo "Windows-1252: $(sources cp | wc -l) texts, $(megabytes cp), $taken read as Unicode"
echo "UTF-8 with bytes broken: $(sources u8 | wc -l) texts, $(megabytes u8)," \
    "$(wc -l <"$work/named") read as UTF-8, $made broken sequences, $entries logged"
exit $status
