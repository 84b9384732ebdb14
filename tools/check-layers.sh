#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-layers.sh [ROOT]: fails when a C++ file includes one from a layer above its own (or from
# a sibling folder of its own layer), when files include each other in a loop, or when a Qt-free
# folder includes Qt. Reads the sources only: no build needed.
#
# A file belongs to the longest folder of the table that its path starts with; an include
# "NAME.h" is the tracked file beside the including one, else the one tracked file whose path
# ends in /NAME.h. Includes of files that are not tracked (moc output, build/) are left alone.
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cd "$root"

# The layers, lowest first, with the folders of each. A file includes from its own folder and
# from the folders of the layers before its own; never from a sibling folder of its own layer.
LAYERS=(
    "convert/text"
    "convert/files"
    "convert/run"
    "profiles drives"
    "ui cli"
    "bench tests"
)
# The folders that include no Qt (each with the folders inside it).
QT_FREE=(convert profiles drives cli)

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    list_files() { git ls-files --cached --others --exclude-standard; }
else
    list_files() { find . -path ./build -prune -o -type f -printf '%P\n'; }
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folders=$(printf '%s\n' "${LAYERS[@]}" | tr ' ' '\n' | sed '/^$/d')
list_files | grep -E '\.(h|hpp|cpp|cc)$' | LC_ALL=C sort -u |
    grep -E "^($(paste -sd '|' <<<"$folders"))/" >"$work/files" || true
[ -s "$work/files" ] || { echo "check-layers: no C++ files in $root" >&2; exit 1; }

layers=$(printf '%s|' "${LAYERS[@]}")
mapfile -t sources <"$work/files"
LC_ALL=C awk -v layers="${layers%|}" -v qtFree="${QT_FREE[*]}" -v list="$work/files" \
    -v edges="$work/edges" '
    # The folder of the table that PATH lies in (the longest that matches), or "".
    function folderOf(path,    best, f) {
        best = ""
        for (f in layerOf)
            if (index(path, f "/") == 1 && length(f) > length(best)) best = f
        return best
    }
    # PATH with "." and ".." taken out.
    function normal(path,    parts, n, i, out, k) {
        n = split(path, parts, "/")
        k = 0
        for (i = 1; i <= n; i++) {
            if (parts[i] == "." || parts[i] == "") continue
            if (parts[i] == ".." && k > 0) { k--; continue }
            out[++k] = parts[i]
        }
        path = ""
        for (i = 1; i <= k; i++) path = path (i > 1 ? "/" : "") out[i]
        return path
    }
    function problem(text) { print FILENAME ":" FNR ": " text; problems++ }
    BEGIN {
        n = split(layers, rows, "|")
        for (i = 1; i <= n; i++) {
            m = split(rows[i], names, " ")
            for (j = 1; j <= m; j++) layerOf[names[j]] = i
        }
        m = split(qtFree, names, " ")
        for (j = 1; j <= m; j++) noQt[names[j]] = 1
        while ((getline path < list) > 0) {
            tracked[path] = 1
            folder[path] = folderOf(path)
            count = split(path, parts, "/")
            byName[parts[count]] = byName[parts[count]] " " path
        }
    }
    FNR == 1 {
        dir = FILENAME; sub(/\/?[^\/]*$/, "", dir)
        own = folder[FILENAME]
        qtFreeHere = 0
        for (f in noQt) if (own == f || index(own, f "/") == 1) qtFreeHere = 1
    }
    /^[ \t]*#[ \t]*include[ \t]*</ {
        if (qtFreeHere && match($0, /<(Q[A-Za-z0-9]+|Qt[A-Za-z0-9]*\/[^>]*|q[a-z0-9_]+\.h)>/))
            problem("includes Qt (" substr($0, RSTART, RLENGTH) "), which " own "/ never does")
        next
    }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
        name = $0; sub(/^[^"]*"/, "", name); sub(/".*$/, "", name)
        target = normal((dir == "" ? "" : dir "/") name)
        if (!(target in tracked)) {
            count = split(name, parts, "/")
            m = split(byName[parts[count]], candidates, " ")
            target = ""; found = 0
            for (j = 1; j <= m; j++) {
                c = candidates[j]
                if (c == name || substr(c, length(c) - length(name)) == "/" name) {
                    target = c; found++
                }
            }
            if (found > 1) { problem("\"" name "\" names more than one file"); next }
            if (found == 0) next # not tracked: made by the build
        }
        print FILENAME, target > edges
        theirs = folder[target]
        if (theirs == own || theirs == "") next
        if (layerOf[theirs] > layerOf[own])
            problem("includes " target ": " theirs "/ is a layer above " own "/")
        else if (layerOf[theirs] == layerOf[own])
            problem("includes " target ": " theirs "/ is beside " own "/ in its layer, not below")
    }
    END { exit problems > 0 }
' "${sources[@]}" >"$work/problems" || true

status=0
if [ -s "$work/problems" ]; then
    echo "Includes that break the layers (tools/check-layers.sh holds the table):" >&2
    cat "$work/problems" >&2
    status=1
fi
touch "$work/edges"
if ! tsort "$work/edges" >/dev/null 2>"$work/loops"; then
    echo "Files that include each other in a loop:" >&2
    grep -v 'input contains a loop' "$work/loops" | sed 's/^tsort: /  /' >&2
    status=1
fi
[ "$status" -ne 0 ] ||
    echo "Layers kept: ${#sources[@]} files include only from their own folder and the layers below, in no loop."
exit "$status"
