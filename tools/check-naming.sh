#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-naming.sh BUILD_DIR [MORE_BUILD_DIR...]: clang-tidy's naming check (the rule of
# CONTRIBUTING.md, set in .clang-tidy; tests/ui and tests/windows add their own exceptions) over
# every C++ file of ours in BUILD_DIR's compile_commands.json (convert, profiles, drives, ui, cli,
# bench, tests; not the build's generated files), and our headers they include. Prints each
# finding once and fails when there is any.
#
# Each MORE_BUILD_DIR adds the files that only it compiles: build/windows (the Windows cross
# build) those that only Windows compiles (Name_windows.cpp, tests/windows), as its compiler sees
# them, for x86_64-w64-mingw32 with MinGW-w64's headers and the Qt for Windows; build/fuzz the
# fuzz target; build/bench (the preset bench) the benchmark.
#
# Every build must be configured; their generated headers (moc) are made here first.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [MORE_BUILD_DIR...]" >&2; exit 2; }
ensure_packages clang-tidy-14 python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# First the rule itself, on a probe: it must reject each name marked "bad" and keep the others.
cat >"$work/probe.cpp" <<'EOF'
void do_thing();                           // bad
void helper();                             // bad
constexpr int limit = 1;                   // bad
extern "C" int close(int);                 // the C library's, kept
int main();                                // kept
struct Row {
    int name;                              // bad
    int Count;
    void setPath();                        // bad
    void Command1_Click();                 // a handler the window fixes, kept
private:
    int count_;                            // bad
    int m_total;
};
EOF
sed -n "s|^.*[ *]\([A-Za-z_][A-Za-z_0-9]*\) *[(;=].*// bad$|\1|p" "$work/probe.cpp" | LC_ALL=C sort >"$work/bad"
clang-tidy-14 --quiet --config-file="$ROOT/.clang-tidy" "$work/probe.cpp" -- -std=c++20 2>&1 |
    sed -n "s/.*invalid case style for [a-z ]* '\([^']*\)'.*/\1/p" | LC_ALL=C sort -u >"$work/found" || true
if [ ! -s "$work/bad" ] || ! cmp -s "$work/bad" "$work/found"; then
    echo "check-naming: .clang-tidy does not hold the rule: the names it rejects in a probe" >&2
    diff "$work/bad" "$work/found" >&2 || true
    exit 1
fi

OURS='^(convert|profiles|drives|ui|cli|bench|tests)/'

# database BUILD OUT [EARLIER_DB...]: OUT/compile_commands.json with the entries of BUILD's that
# are ours, less those whose file an EARLIER_DB holds too. Prints how many it kept.
database() {
    local db=$1/compile_commands.json
    [ -f "$db" ] || { echo "check-naming: $db is missing: configure $1 first" >&2; exit 2; }
    mkdir -p "$2"
    python3 - "$ROOT" "$db" "$2/compile_commands.json" "$OURS" "${@:3}" <<'EOF'
import json, os, re, sys
root, db, out, ours, *earlier = sys.argv[1:]
def path(entry):
    return os.path.relpath(os.path.join(entry["directory"], entry["file"]), root)
skipped = {path(e) for other in earlier for e in json.load(open(other))}
kept = [e for e in json.load(open(db))
        if re.match(ours, path(e)) and path(e) not in skipped]
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

# cross_arguments DB_DIR: clang-tidy's arguments for a database whose compiler is MinGW-w64's,
# one a line: the target, and the C++ library's headers as that compiler finds them, which
# clang's x86_64-w64-mingw32 target does not (Debian's MinGW-w64 GCC keeps them in a folder named
# 12-posix, not 12); the Windows headers it finds by itself. Nothing for a native build.
cross_arguments() {
    local compiler folder
    compiler=$(python3 -c 'import json, shlex, sys
entry = json.load(open(sys.argv[1]))[0]
print(entry["arguments"][0] if "arguments" in entry else shlex.split(entry["command"])[0])' \
        "$1/compile_commands.json")
    case $(basename "$compiler") in
    *mingw32*) ;;
    *) return 0 ;;
    esac
    echo "-extra-arg-before=--target=x86_64-w64-mingw32"
    for folder in $(echo | "$compiler" -xc++ -E -v - 2>&1 | sed -n 's|^ \(/.*/include/c++.*\)$|\1|p'); do
        echo "-extra-arg=-isystem$(realpath "$folder")"
    done
}

outputs=()
earlier=()
for dir in "$@"; do
    build=$(cd "$dir" && pwd)
    out=$work/${#earlier[@]}
    count=$(database "$build" "$out" "${earlier[@]}")
    if [ ${#earlier[@]} -eq 0 ]; then
        echo "clang-tidy's naming check over $count files of $build"
    else
        echo "... and over the $count files that only $build compiles"
    fi
    earlier+=("$out/compile_commands.json")
    [ "$count" -gt 0 ] || continue
    generated "$build"
    mapfile -t extra < <(cross_arguments "$out")
    run-clang-tidy-14 -j"$JOBS" -quiet -p "$out" "${extra[@]}" >"$out/output" 2>&1 || true
    outputs+=("$out/output")
done
[ ${#outputs[@]} -gt 0 ] || { echo "check-naming: no file of ours in $*" >&2; exit 2; }

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
