#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# docs-agree.sh RZ408_CONVERT MANUAL_PAGE COMPLETION
#
# --help, the manual page and the bash completion of rz408-convert say the same: every option of
# --help is in the manual page and is offered by the completion, every option of the manual page
# is one of --help's; each language and encoding the completion offers is one the command takes;
# the completion offers folders (never files) for FOLDER; the manual page renders without a
# warning.
set -uo pipefail

absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
command=$(absolute "$1")
manual=$(absolute "$2")
completion=$(absolute "$3")
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The options, one per line ("-r", "--recursive"), as each document lists them.
help_options=$("$command" --help | grep -E '^ +-' | grep -oE -- '--?[A-Za-z][A-Za-z-]*' | sort -u)
# The manual page's OPTIONS section: the tag line after each .TP, "\-" read as "-".
manual_options=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$manual" | sed -n '/^\.TP/{n;p}' |
    sed 's/\\-/-/g' | grep -oE -- '(^|[ "])--?[A-Za-z][A-Za-z-]*' | tr -d ' "' | sort -u)
[ -n "$help_options" ] || fail "no option found in --help"

# shellcheck source=/dev/null
source "$completion"
# complete WORD... : what the completion offers for the last word, one per line, sorted.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _rz408_convert 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort
}

for option in $help_options; do
    grep -qxF -- "$option" <<<"$manual_options" || fail "--help has $option, the manual page not"
    complete_words rz408-convert "$option" | grep -qxF -- "$option" ||
        fail "the completion does not offer $option"
done
for option in $manual_options; do
    [ "$option" = "--" ] && continue # the end of the options, not an option
    grep -qxF -- "$option" <<<"$help_options" || fail "the manual page has $option, --help not"
done

# --version: the version and the license, one line each; --help and the manual page say so, the
# manual page names the same license, and its header the same version.
mapfile -t version_lines < <("$command" --version)
[ ${#version_lines[@]} -eq 2 ] || fail "--version prints ${#version_lines[@]} lines, not 2"
license=$(sed -n 's/^License \([^ :]*\): .*/\1/p' <<<"${version_lines[1]:-}")
[ -n "$license" ] || fail "--version names no license: '${version_lines[1]:-}'"
manual_text=$(sed 's/\\-/-/g' "$manual")
[ -z "$license" ] || grep -qF -- "($license)" <<<"$manual_text" ||
    fail "the manual page does not name the license $license"
grep -qF -- "Show the version and the license, one line each" <<<"$manual_text" ||
    fail "the manual page does not say that --version shows the license"
grep -qE -- '^ +-V, --version +show the version and the license$' <(LC_ALL=C "$command" --help) ||
    fail "--help does not say that --version shows the license"
grep -qF -- "\"rz408-textconverter ${version_lines[0]#rz408-convert }\"" <<<"$manual_text" ||
    fail "the manual page's header does not name the version of '${version_lines[0]}'"

# Every language offered is taken by the command, and german and french are offered.
mkdir "$work/empty"
languages=$(complete_words rz408-convert --language '')
for language in german french; do
    grep -qxF "$language" <<<"$languages" || fail "the completion does not offer $language"
done
for language in $languages; do
    "$command" --language "$language" "$work/empty" >/dev/null 2>&1 ||
        fail "the completion offers language $language, which rz408-convert refuses"
done

# Every encoding offered is taken by the command, and each of them is offered.
encodings=$(complete_words rz408-convert --encoding '')
for encoding in auto windows-1252 utf-8 utf-16le utf-16be; do
    grep -qxF "$encoding" <<<"$encodings" || fail "the completion does not offer $encoding"
done
for encoding in $encodings; do
    "$command" --language german --encoding "$encoding" "$work/empty" >/dev/null 2>&1 ||
        fail "the completion offers encoding $encoding, which rz408-convert refuses"
done

# Rows: the words on the command line (the last one being completed) | what must be offered.
mkdir "$work/tree" "$work/tree/a b" "$work/tree/-dash" "$work/tree/.hidden"
touch "$work/tree/x.deu" "$work/tree/-file"
cd "$work/tree" || exit 1
while IFS='|' read -r row words expected; do
    read -r -a argv <<<"$words"
    [[ $words == *' ' ]] && argv+=('') # a blank at the end: a new, empty word
    got=$(complete_words rz408-convert "${argv[@]}" | paste -sd, -)
    [ "$got" = "$expected" ] || fail "$row: '$words' offers '$got', not '$expected'"
done <<'ROWS'
LongOptionByPrefix|--rec|--recursive
CheckByPrefix|--ch|--check
FoldersAfterCheck|--check -l de |-dash,a b
LanguageAfterShortOption|-l g|german
LanguageAfterLongOption|--language f|fr,french
LanguageAfterEquals|--language =|de,fr,french,german
LanguageAfterEqualsByPrefix|--language = ge|german
LanguageInOneWordWithEquals|--language=fr|--language=fr,--language=french
EncodingAfterLongOption|--encoding utf|utf-16be,utf-16le,utf-8
EncodingAfterEqualsByPrefix|--encoding = w|windows-1252
EncodingInOneWordWithEquals|--encoding=utf-16|--encoding=utf-16be,--encoding=utf-16le
LanguageAfterEncoding|--encoding utf-8 -l f|fr,french
FoldersNotFiles|-l de |-dash,a b
HiddenFoldersWhenAskedFor|-l de .h|.hidden
NothingAfterHelp|--help |
DashesAfterDoubleDashAreFolders|-l de -- -|-dash
ROWS

# The manual page renders without a warning, where man is installed.
if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
fi

[ "$status" -eq 0 ] && echo "--help, manual page and completion agree"
exit "$status"
