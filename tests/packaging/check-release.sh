#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-release.sh DIST: checks what tools/release made in DIST, for the version of this tree:
#   - DIST holds the Debian package, the Windows zip, the source archive and SHA256SUMS, nothing
#     else, and the checksums of all three verify;
#   - the package (tests/packaging/check-deb.sh) and the zip (tests/windows/check-zip.sh) are fit
#     to pass on: their notices, and hardened programs;
#   - the source archive holds the tree with LICENSE and CHANGELOG.md, of the same version, and
#     builds: configured with CMake, its batch command built and run;
#   - tools/release refuses a version that CHANGELOG.md does not describe, and a tree with changes
#     that are not committed (tried on a clone of this tree, before anything is built).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common.sh"

dist=$(cd "$1" && pwd)
version=$(sed -n 's/^project([^)]* VERSION \([0-9][0-9.]*\)[ )].*/\1/p' "$ROOT/CMakeLists.txt")
arch=$(dpkg --print-architecture)
deb=rz408-textconverter_${version}_$arch.deb
zip=rz408-textconverter-$version-win64.zip
archive=rz408-textconverter-$version.tar.gz
failures=0
fail() {
    echo "FAIL - $*"
    failures=$((failures + 1))
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---- The files and their checksums -----------------------------------------------------------
found=$(cd "$dist" && ls -A | LC_ALL=C sort | paste -sd ' ')
expected=$(printf '%s\n' "$deb" "$zip" "$archive" SHA256SUMS | LC_ALL=C sort | paste -sd ' ')
[ "$found" = "$expected" ] || fail "dist/ holds '$found' instead of '$expected'"
if [ -f "$dist/SHA256SUMS" ]; then
    summed=$(sed 's/^[0-9a-f]\{64\}  //' "$dist/SHA256SUMS" | LC_ALL=C sort | paste -sd ' ')
    [ "$summed" = "$(printf '%s\n' "$deb" "$zip" "$archive" | LC_ALL=C sort | paste -sd ' ')" ] ||
        fail "SHA256SUMS lists '$summed'"
    (cd "$dist" && sha256sum --strict -c SHA256SUMS) || fail "the checksums do not verify"
fi

# ---- The package and the zip ---------------------------------------------------------------------
# tools/release builds the package in build/.
[ ! -f "$dist/$deb" ] || "$ROOT/tests/packaging/check-deb.sh" "$dist/$deb" "$ROOT/build" ||
    fail "the Debian package"
[ ! -f "$dist/$zip" ] || "$ROOT/tests/windows/check-zip.sh" "$dist/$zip" || fail "the Windows zip"

# ---- The source archive --------------------------------------------------------------------------
if [ -f "$dist/$archive" ]; then
    tar -xzf "$dist/$archive" -C "$work"
    source_tree=$work/rz408-textconverter-$version
    for file in LICENSE CHANGELOG.md CMakeLists.txt README.md tools/release; do
        [ -f "$source_tree/$file" ] || fail "the source archive lacks $file"
    done
    for folder in build dist; do
        [ ! -e "$source_tree/$folder" ] || fail "the source archive holds $folder/"
    done
    cmp -s "$source_tree/LICENSE" "$ROOT/LICENSE" || fail "the source archive's LICENSE differs"
    # Configured as tools/run does (its preset program), and its batch command alone built, which
    # is quick; the package and the zip were built from the same sources.
    if (cd "$source_tree" && cmake --preset program -B "$work/build") >"$work/configure.log" 2>&1 &&
        cmake --build "$work/build" --parallel "$JOBS" --target rz408-convert \
            >"$work/build.log" 2>&1; then
        built=$("$work/build/bin/rz408-convert" --version | head -n 1)
        [ "$built" = "rz408-convert $version" ] ||
            fail "the source archive builds '$built', not version $version"
        echo "source archive: configured, and builds $built"
    else
        tail -20 "$work/configure.log" "$work/build.log" 2>/dev/null
        fail "the source archive does not build"
    fi
fi

# ---- What tools/release refuses ------------------------------------------------------------------
# On a clone of the commit with this tree's release command, which is asked only to check what it
# would release (--dry-run): it accepts the clone as it is, and refuses each change below.
git clone -q "$ROOT" "$work/clone"
cp "$ROOT/tools/release" "$ROOT/tools/common.sh" "$work/clone/tools/"
git -C "$work/clone" add -A
git -C "$work/clone" -c user.name=test -c user.email=test@example.org commit -q \
    --allow-empty -m "the release command under test"
"$work/clone/tools/release" --dry-run >"$work/accepted.log" 2>&1 ||
    fail "tools/release refuses the clean clone: $(cat "$work/accepted.log")"
refused() { # refused WHAT PIECE-OF-MESSAGE: tools/release in the clone ends with 2 and says why.
    local status=0
    "$work/clone/tools/release" --dry-run >"$work/refusal.log" 2>&1 || status=$?
    if [ "$status" -ne 2 ] || ! grep -qF -- "$2" "$work/refusal.log" ||
        [ -e "$work/clone/dist" ]; then
        fail "tools/release does not refuse $1 (exit $status): $(cat "$work/refusal.log")"
    else
        echo "tools/release refuses $1: $(head -n 1 "$work/refusal.log")"
    fi
}
touch "$work/clone/notes.txt"
refused "a tree with a new file" "?? notes.txt"
rm "$work/clone/notes.txt"
printf 'int x;\n' >"$work/clone/new.cpp"
refused "a source file that does not name the license" "Files without 'SPDX-License-Identifier"
rm "$work/clone/new.cpp"
sed -i 's/^\(project([^)]* VERSION \)[0-9][0-9.]*/\19.8.7/' "$work/clone/CMakeLists.txt"
refused "a version without a changelog entry" "CHANGELOG.md does not describe version 9.8.7"
git -C "$work/clone" checkout -q CMakeLists.txt
sed -i "s/^## \[$version\] - /## [$version-draft] - /" "$work/clone/CHANGELOG.md"
refused "the version after its changelog entry was renamed" "does not describe version $version"

echo "$dist: $failures failed"
[ "$failures" -eq 0 ]
