#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-naming.sh BUILD_DIR [WINDOWS_BUILD_DIR]: clang-tidy's naming check (the rule of
# CONTRIBUTING.md, set in .clang-tidy; tests/ui and tests/windows add their own exceptions) over
# every C++ file of ours in BUILD_DIR's compile_commands.json (convert, profiles, drives, ui, cli,
# bench, tests; not the build's generated files, not the fuzz target's own build), and our headers
# they include. Prints each finding once and fails when there is any.
#
# With WINDOWS_BUILD_DIR (the configured Windows cross build, build/windows), also the files that
# only the Windows build compiles (Name_windows.cpp, tests/windows), as its compiler sees them:
# for x86_64-w64-mingw32, with MinGW-w64's headers and the Qt for Windows.
#
# Both builds must be configured; their generated headers (moc) are made here first.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

case $# in
1 | 2) ;;
*) echo "usage: $0 BUILD_DIR [WINDOWS_BUILD_DIR]" >&2; exit 2 ;;
esac
ensure_packages clang-tidy-14 python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
OURS='^(convert|profiles|drives|ui|cli|bench|tests)/'
NOT_OURS='^tests/fuzz/'

# database BUILD OUT [SKIP_DB]: OUT/compile_commands.json with the entries of BUILD's that are ours,
# less those whose file SKIP_DB holds too.
database() {
    local db=$1/compile_commands.json
    [ -f "$db" ] || { echo "check-naming: $db is missing: configure $1 first" >&2; exit 2; }
    mkdir -p "$2"
    python3 - "$ROOT" "$db" "$2/compile_commands.json" "${3:-}" "$OURS" "$NOT_OURS" <<'EOF'
import json, os, re, sys
root, db, out, skip, ours, not_ours = sys.argv[1:]
def path(entry):
    return os.path.relpath(os.path.join(entry["directory"], entry["file"]), root)
skipped = {path(e) for e in json.load(open(skip))} if skip else set()
kept = [e for e in json.load(open(db))
        if re.match(ours, path(e)) and not re.match(not_ours, path(e)) and path(e) not in skipped]
json.dump(kept, open(out, "w"), indent=1)
print(len(kept))
EOF
}

# generated BUILD: builds the generated sources that our files include (NAME.moc).
generated() {
    local targets
    mapfile -t targets < <(cmake --build "$1" --target help 2>/dev/null |
        grep -oE '[A-Za-z0-9_.+-]+_autogen\b' | LC_ALL=C sort -u)
    [ ${#targets[@]} -eq 0 ] || cmake --build "$1" --parallel "$JOBS" --target "${targets[@]}" >/dev/null
}

# tidy DB_DIR [ARGS...]: run-clang-tidy over DB_DIR's database; its output in DB_DIR/output.
tidy() {
    local dir=$1
    shift
    run-clang-tidy-14 -j"$JOBS" -quiet -p "$dir" "$@" >"$dir/output" 2>&1 || true
}

build=$(cd "$1" && pwd)
count=$(database "$build" "$work/native")
generated "$build"
echo "clang-tidy's naming check over $count files of $build"
tidy "$work/native"
outputs=("$work/native/output")

if [ $# -eq 2 ]; then
    windows=$(cd "$2" && pwd)
    count=$(database "$windows" "$work/windows" "$build/compile_commands.json")
    generated "$windows"
    echo "... and over the $count files that only $windows compiles"
    # The C++ library's headers as the build's own compiler finds them, which clang's
    # x86_64-w64-mingw32 target does not (Debian's MinGW-w64 GCC keeps them in a folder named
    # 12-posix, not 12); the Windows headers it finds by itself.
    compiler=$(python3 -c 'import json, shlex, sys
entry = json.load(open(sys.argv[1]))[0]
print(entry["arguments"][0] if "arguments" in entry else shlex.split(entry["command"])[0])' \
        "$windows/compile_commands.json")
    library=()
    for folder in $(echo | "$compiler" -xc++ -E -v - 2>&1 | sed -n 's|^ \(/.*/include/c++.*\)$|\1|p'); do
        library+=(-extra-arg=-isystem"$(realpath "$folder")")
    done
    tidy "$work/windows" -extra-arg-before=--target=x86_64-w64-mingw32 "${library[@]}"
    outputs+=("$work/windows/output")
fi

# Each finding once, its path relative to the tree; a file that does not compile is one too.
sed 's/\x1b\[[0-9;]*m//g' "${outputs[@]}" |
    grep -E '^([^ ]+:[0-9]+:[0-9]+: )?(warning|error): ' |
    sed "s|^$ROOT/||" | LC_ALL=C sort -u >"$work/findings" || true
if [ -s "$work/findings" ]; then
    cat "$work/findings"
    echo "check-naming: $(wc -l <"$work/findings") findings (the rule: CONTRIBUTING.md)" >&2
    exit 1
fi
if grep -qE '^(Error|Traceback)|clang-tidy.* failed' "${outputs[@]}"; then
    cat "${outputs[@]}" >&2
    echo "check-naming: clang-tidy did not run through" >&2
    exit 1
fi
echo "Names kept: no finding."
