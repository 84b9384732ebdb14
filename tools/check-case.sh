#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-case.sh [ROOT]: fails when two tracked paths (files or folders) differ only in letter
# case. Windows and macOS keep one of such a pair in a checkout, so the tree must not hold any.
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    list_paths() { git -C "$root" ls-files -z --cached --others --exclude-standard; }
else
    list_paths() { (cd "$root" && find . -path ./build -prune -o -type f -printf '%P\0'); }
fi

# Every path and every folder above it, once each; then the names that only case tells apart.
clashes=$(list_paths | tr '\0' '\n' | awk -F/ '{
        path = $1; print path
        for (i = 2; i <= NF; i++) { path = path "/" $i; print path }
    }' | LC_ALL=C sort -u | LC_ALL=C awk '{
        key = tolower($0)
        if (key in first) { print first[key] "  and  " $0 } else { first[key] = $0 }
    }')
if [ -n "$clashes" ]; then
    echo "Paths that differ only in letter case (a Windows or macOS checkout keeps one of each):" >&2
    echo "$clashes" >&2
    exit 1
fi
echo "No two paths differ only in letter case."
