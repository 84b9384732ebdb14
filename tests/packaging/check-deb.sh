#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-deb.sh DEB [BUILD]: what the Debian package must be before it is passed on, without
# installing it:
#   - lintian finds no error and no warning, and none of the notes on missing hardening or on
#     sections a stripped program should not keep (its other notes, and the notes overridden
#     with their reasons in packaging/lintian-overrides, are shown);
#   - every program in /usr/bin is built hardened as Debian builds its own (hardening-check:
#     position-independent, stack protector, read-only relocations, immediate binding, and
#     _FORTIFY_SOURCE where a program has calls it can check);
#   - with BUILD, the build folder the package came from: every compile command of the build has
#     _FORTIFY_SOURCE=2 and the strong stack protector (the programs may hold no call for
#     _FORTIFY_SOURCE to check, so that the files cannot show it);
#   - its copyright file is in Debian's machine-readable form (DEP-5) and names the program's
#     license, the GPL 3 or later, with Debian's copy of the license text.
set -euo pipefail

deb=$1
failures=0
fail() {
    echo "FAIL - $*"
    failures=$((failures + 1))
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
name=$(dpkg-deb -f "$deb" Package)

# ---- lintian -----------------------------------------------------------------------------
lintian --display-info --show-overrides "$deb" >"$work/lintian" 2>&1 || true
grep -v -e "running with root privileges" -e "^N: " "$work/lintian" | sed "s/^/lintian: /" || true
if grep -E '^[EW]: ' "$work/lintian" >/dev/null; then
    fail "lintian reports errors or warnings"
fi
if grep -qE '^[EWIP]: .* (hardening-[a-z-]+|binary-has-unneeded-section)( |$)' "$work/lintian"; then
    fail "lintian finds missing hardening or unneeded sections"
fi

# ---- hardening-check ---------------------------------------------------------------------
programs=("$work/root/usr/bin/"*)
[ -e "${programs[0]}" ] || fail "the package holds no program in /usr/bin"
for program in "${programs[@]}"; do
    [ -e "$program" ] || continue
    report=$(hardening-check "$program" 2>&1 || true)
    sed "s|$work/root||" <<<"$report"
    for feature in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
        "Read-only relocations" "Immediate binding"; do
        answer=$(sed -n "s/^ $feature: //p" <<<"$report")
        [[ $answer == yes* ]] || {
            [ "$feature" = "Fortify Source functions" ] && [ -n "${2:-}" ] &&
                [ "$answer" = "no, only unprotected functions found!" ]
        } || fail "${program#"$work/root"}: $feature: $answer"
    done
done
if [ -n "${2:-}" ]; then
    commands=$(grep -c '"command":' "$2/compile_commands.json" || true)
    for flag in -D_FORTIFY_SOURCE=2 -fstack-protector-strong; do
        with=$(grep '"command":' "$2/compile_commands.json" | grep -c -- " $flag " || true)
        if [ "$commands" -gt 0 ] && [ "$with" -eq "$commands" ]; then
            echo "$2: all $commands compile commands have $flag"
        else
            fail "$with of $commands compile commands in $2 have $flag"
        fi
    done
fi

# ---- debian/copyright ----------------------------------------------------------------------
copyright=$work/root/usr/share/doc/$name/copyright
if [ ! -f "$copyright" ]; then
    fail "the package lacks /usr/share/doc/$name/copyright"
else
    head -n 1 "$copyright" |
        grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
        fail "copyright is not in the machine-readable form (no DEP-5 Format line)"
    # The paragraph of every file names the license, and a paragraph of its own holds its terms.
    sed -n '/^Files: \*$/,/^$/p' "$copyright" | grep -qx 'License: GPL-3+' ||
        fail "copyright: the files are not under License: GPL-3+"
    grep -qx 'License: GPL-3+' <(sed -n '/^Files:/,/^$/!p' "$copyright") ||
        fail "copyright has no paragraph with the terms of GPL-3+"
    grep -qF '/usr/share/common-licenses/GPL-3' "$copyright" ||
        fail "copyright does not point to /usr/share/common-licenses/GPL-3"
fi

echo "$(basename "$deb"): $failures failed"
[ "$failures" -eq 0 ]
