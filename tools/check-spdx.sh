#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-spdx.sh [ROOT]: fails when LICENSE at the top of the tree is not the GNU GPL version 3,
# or when a tracked source, script or build file does not name the project's license in an
# SPDX line at its top: the first line, or the second behind a #! line.
#
# Which files: C and C++ sources and headers, CMake files, shell and Python scripts (by name or
# by a #! line), Windows resource scripts, Qt resource lists, desktop entries, manual pages and
# bash completions; NAME.in templates by the kind of NAME. Texts, pictures, data and formats
# without comments (JSON, a Debian changelog) need none.
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
license=GPL-3.0-or-later

if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    list_files() { git -C "$root" ls-files -z --cached --others --exclude-standard; }
else
    list_files() {
        (cd "$root" && find . -path ./build -prune -o -path ./dist -prune -o -type f -printf '%P\0')
    }
fi

has_shebang() { [ "$(head -c 2 "$root/$1" | tr -d '\0')" = '#!' ]; }

# needs_spdx PATH: whether PATH is a source, script or build file.
needs_spdx() {
    local path=$1 name=${1##*/}
    name=${name%.in}
    case $name in
    CMakeLists.txt | *.cmake | *.c | *.cc | *.cpp | *.h | *.hpp | *.sh | *.py | *.rc | *.qrc | \
        *.desktop | *.bash-completion | *.[1-9]) return 0 ;;
    esac
    has_shebang "$path"
}

# The SPDX line in any comment syntax: // # .\" <!-- /*
spdx_line="^(//|#|\\.\\\\\"|<!--|/\\*) SPDX-License-Identifier: $license( -->| \\*/)?\$"

status=0
if ! head -n 2 "$root/LICENSE" 2>/dev/null | tr -s ' ' | grep -qx ' Version 3, 29 June 2007' ||
    ! head -n 1 "$root/LICENSE" | grep -q 'GNU GENERAL PUBLIC LICENSE'; then
    echo "LICENSE is missing or is not the GNU General Public License version 3" >&2
    status=1
fi
missing=()
while IFS= read -r -d '' path; do
    [ -f "$root/$path" ] && needs_spdx "$path" || continue
    line=1
    ! has_shebang "$path" || line=2
    sed -n "${line}p" "$root/$path" | grep -qE "$spdx_line" || missing+=("$path")
done < <(list_files)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Files without 'SPDX-License-Identifier: $license' in a comment on their first line" \
        "(the second behind #!):" >&2
    printf '  %s\n' "${missing[@]}" >&2
    status=1
fi
[ "$status" -ne 0 ] ||
    echo "LICENSE is the GPL 3; every source, script and build file names $license."
exit "$status"
