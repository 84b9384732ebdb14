#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures rz408-convert against cat, iconv and a durable copy (dd conv=fdatasync) on generated
# texts, and against cp -r (alone, and followed by sync) on a folder of many small files. Every
# run of rz408-convert flushes its copies to the disk, so the durable copies are its measure; on
# a RAM disk (the default) the flushes cost nothing, so measure on a real disk with BENCH_DIR.
# Usage:
#
#   bench/run.sh [SIZE_MB [RUNS]]        (defaults: 100 MB, 5 runs of each command)
#
# Environment: RZ408_CONVERT  the command to measure (default: build/bin/rz408-convert)
#              RZ408_CONVERT_BEFORE  another build of the command (an earlier version, say),
#                             timed in the same rounds, interleaved, for a before/after figure
#              BENCH_DIR      where the texts go (default: a new folder in /dev/shm, or in /tmp
#                             when /dev/shm is missing; removed at the end)
#              SMALL_FILES    how many 2 KB files for the many-files case (default 2000)
#              MICRO_BUILD    build folder for the Google Benchmark of the inner loop, run last
#                             (default: build/bench, the preset bench; MICRO_BUILD=none
#                             skips it)
# Installs what it needs (python3, GNU time) and builds the command when it is missing; uses
# hyperfine when it is installed.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../tools/common.sh"
SIZE_MB=${1:-100}
RUNS=${2:-5}
SMALL_FILES=${SMALL_FILES:-2000}

ensure_packages time python3 libc-bin coreutils
if [ -n "${RZ408_CONVERT:-}" ]; then
    CONVERT=$RZ408_CONVERT
else
    # The command as tools/run and tools/test build it.
    CONVERT=$ROOT/build/bin/rz408-convert
    if [ ! -x "$CONVERT" ]; then
        ensure_packages "${BUILD_PACKAGES[@]}"
        configure_preset program
        build_preset program --target rz408-convert
    fi
fi
[ -x "$CONVERT" ] || { echo "no $CONVERT" >&2; exit 2; }
BEFORE=${RZ408_CONVERT_BEFORE:-}
[ -z "$BEFORE" ] || [ -x "$BEFORE" ] || { echo "no $BEFORE" >&2; exit 2; }

if [ -n "${BENCH_DIR:-}" ]; then
    WORK=$BENCH_DIR
    mkdir -p "$WORK"
else
    # A RAM disk keeps the disk's write-back out of the figures: every command reads from and
    # writes to memory, so the comparison is of the programs alone.
    base=/tmp
    [ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
    WORK=$(mktemp -d "$base/rz408-bench.XXXXXX")
    trap 'rm -rf "$WORK"' EXIT
fi

# --- helpers -----------------------------------------------------------------------------

# measure OUTFILE CMD...: runs CMD with standard output to OUTFILE (standard error dropped: the
# warm-up round shows it) and prints two numbers in microseconds: the wall-clock time, and the
# processor time (user + system) that CMD used.
# The processor time stays fair on a busy machine, where the wall clock also counts waiting for
# a processor. Call it as $(measure ...): the subshell's only children are then CMD.
measure() {
    local out=$1 t0 t1
    shift
    t0=${EPOCHREALTIME/[.,]/}
    "$@" >"$out" 2>/dev/null
    t1=${EPOCHREALTIME/[.,]/}
    local record="$WORK/.times.$BASHPID"
    times >"$record" # a builtin: no further child
    echo "$((t1 - t0)) $(awk 'NR == 2 {
        total = 0
        for (i = 1; i <= NF; i++) {
            split($i, ms, "m")
            sub("s", "", ms[2])
            total += ms[1] * 60 + ms[2]
        }
        printf "%.0f", total * 1e6
    }' "$record")"
    rm -f "$record"
}

# median_of FIELD "WALL CPU"...: the median of field FIELD (1 wall, 2 cpu) of the measurements.
median_of() {
    local field=$1
    shift
    printf '%s\n' "$@" | awk -v f="$field" '{ print $f }' | sort -n |
        awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# peak_kib CMD...: the maximum resident set size of CMD in KiB, as GNU time -v reports it.
peak_kib() {
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }'
}

mbps() { awk -v b="$1" -v us="$2" 'BEGIN { printf "%.0f", b / us }'; }   # bytes/us = MB/s
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
secs() { awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# --- one large file ----------------------------------------------------------------------

# measure_text KIND ENCODING: generates SIZE_MB of KIND text and times the commands interleaved
# (iconv reads it as ENCODING).
measure_text() {
    local kind=$1 encoding=$2 dir="$WORK/$1"
    mkdir -p "$dir"
    python3 "$ROOT/bench/gentext.py" "$kind" "$SIZE_MB" "$dir/text.deu"
    local src="$dir/text.deu" bytes high
    bytes=$(stat -c %s "$src")
    high=$(LC_ALL=C tr -d '\000-\177' <"$src" | wc -c)
    local iconv_cmd=(iconv -f "$encoding" -t ASCII//TRANSLIT "$src")
    local dd_cmd=(dd if="$src" of="$dir/dd.out" bs=1M conv=fdatasync status=none)

    local ours=() cats=() iconvs=() dds=() befores=() i
    # One round to warm the page cache and check that every command works. The copy and the
    # log exist from then on: every timed run replaces them, as a second run in a game folder.
    "$CONVERT" -l de "$dir" >/dev/null
    cat "$src" >"$dir/cat.out"
    "${iconv_cmd[@]}" >"$dir/iconv.out"
    "${dd_cmd[@]}"
    for ((i = 0; i < RUNS; i++)); do
        ours+=("$(measure /dev/null "$CONVERT" -l de "$dir")")
        cats+=("$(measure "$dir/cat.out" cat "$src")")
        iconvs+=("$(measure "$dir/iconv.out" "${iconv_cmd[@]}")")
        dds+=("$(measure /dev/null "${dd_cmd[@]}")")
        if [ -n "$BEFORE" ]; then
            befores+=("$(measure /dev/null "$BEFORE" -l de "$dir")")
        fi
    done
    local o c v d po pc pv pd
    o=$(median_of 1 "${ours[@]}")
    c=$(median_of 1 "${cats[@]}")
    v=$(median_of 1 "${iconvs[@]}")
    d=$(median_of 1 "${dds[@]}")
    pd=$(median_of 2 "${dds[@]}")
    po=$(median_of 2 "${ours[@]}")
    pc=$(median_of 2 "${cats[@]}")
    pv=$(median_of 2 "${iconvs[@]}")
    local mo mc mv
    mo=$(peak_kib "$CONVERT" -l de "$dir")
    mc=$(peak_kib cat "$src")
    mv=$(peak_kib "${iconv_cmd[@]}" -o "$dir/iconv.out")

    echo
    echo "== $kind text: $((bytes / 1000000)) MB, $(ratio "$((high * 100))" "$bytes") % bytes above 127, CRLF lines; median of $RUNS"
    printf '  %-24s %9s %9s %10s %9s\n' "" "wall s" "MB/s" "cpu s" "peak MiB"
    printf '  %-24s %9s %9s %10s %9s\n' \
        "rz408-convert -l de" "$(secs "$o")" "$(mbps "$bytes" "$o")" "$(secs "$po")" "$(mib "$mo")" \
        "cat" "$(secs "$c")" "$(mbps "$bytes" "$c")" "$(secs "$pc")" "$(mib "$mc")" \
        "iconv $encoding" "$(secs "$v")" "$(mbps "$bytes" "$v")" "$(secs "$pv")" "$(mib "$mv")" \
        "dd conv=fdatasync" "$(secs "$d")" "$(mbps "$bytes" "$d")" "$(secs "$pd")" ""
    echo "  ours wrote the copy ($(($(stat -c %s "$dir/text.txt") / 1000000)) MB) and the log file ($(($(stat -c %s "$dir/konvertionsfehler.txt") / 1000000)) MB: one entry line per blanked character and line)"
    echo "  ours / cat   = $(ratio "$o" "$c") wall, $(ratio "$po" "$pc") cpu"
    echo "  ours / dd conv=fdatasync = $(ratio "$o" "$d") wall"
    echo "  iconv / ours = $(ratio "$v" "$o") wall, $(ratio "$pv" "$po") cpu"
    echo "  runs (wall,cpu us): ours ${ours[*]// /,} | cat ${cats[*]// /,} | iconv ${iconvs[*]// /,} | dd ${dds[*]// /,}"
    if [ -n "$BEFORE" ]; then
        local b pb
        b=$(median_of 1 "${befores[@]}")
        pb=$(median_of 2 "${befores[@]}")
        echo "  -- before: $BEFORE, in the same rounds"
        printf '  %-24s %9s %9s %10s\n' "rz408-convert before" "$(secs "$b")" "$(mbps "$bytes" "$b")" "$(secs "$pb")"
        echo "  ours / before = $(ratio "$o" "$b") wall, $(ratio "$po" "$pb") cpu; ours - before = $(secs "$((o - b))") s wall"
        echo "  runs (wall,cpu us): before ${befores[*]// /,}"
    fi

    if command -v hyperfine >/dev/null; then
        echo "  -- hyperfine"
        hyperfine --style basic --warmup 1 --runs "$RUNS" \
            -n ours "'$CONVERT' -l de '$dir' >/dev/null" \
            -n cat "cat '$src' >'$dir/cat.out'" \
            -n iconv "iconv -f $encoding -t ASCII//TRANSLIT '$src' >'$dir/iconv.out'" 2>&1 |
            grep -E 'Time|±|faster|ours|cat|iconv' | sed 's/^/  /'
    fi
    rm -f "$dir/cat.out" "$dir/iconv.out" "$dir/dd.out"
}

# measure_line KIND: the KIND text of measure_text (generated first) as one single line of half
# its size, its line ends taken out: time and peak memory, which must not grow with the line.
measure_line() {
    local kind=$1 dir="$WORK/$1-line"
    mkdir -p "$dir"
    head -c "$((SIZE_MB * 500000))" "$WORK/$kind/text.deu" | tr -d '\r\n' >"$dir/text.deu"
    local bytes ours=() i
    bytes=$(stat -c %s "$dir/text.deu")
    "$CONVERT" -l de "$dir" >/dev/null 2>&1
    for ((i = 0; i < RUNS; i++)); do
        ours+=("$(measure /dev/null "$CONVERT" -l de "$dir")")
    done
    local o m
    o=$(median_of 1 "${ours[@]}")
    m=$(peak_kib "$CONVERT" -l de "$dir")
    echo "  $kind, one line of $((bytes / 1000000)) MB: $(secs "$o") s wall, peak $(mib "$m") MiB"
}

# --- many small files --------------------------------------------------------------------

measure_small() {
    local dir="$WORK/small"
    python3 "$ROOT/bench/gentext.py" small "$SMALL_FILES" "$dir/src"
    # Every command writes into folders of its own, made for the round: nothing is removed until
    # the end, since ext4 makes the creation of files slow for a while after many were removed
    # (it passes over the inodes freed recently), which would blame whatever comes next.
    local ours=() cps=() syncs=() befores=() i
    for ((i = 0; i <= RUNS; i++)); do
        local round="$dir/round$i"
        mkdir -p "$round"
        cp -r "$dir/src" "$round/ours"
        [ -z "$BEFORE" ] || cp -r "$dir/src" "$round/before"
        sync
        local o c s b=
        o=$(measure /dev/null "$CONVERT" -l de "$round/ours")
        c=$(measure /dev/null cp -r "$dir/src" "$round/copy")
        s=$(measure /dev/null sh -c 'cp -r "$1" "$2" && sync' - "$dir/src" "$round/synced")
        if [ -n "$BEFORE" ]; then
            b=$(measure /dev/null "$BEFORE" -l de "$round/before")
        fi
        # The first round only warms the caches.
        if [ "$i" -gt 0 ]; then
            ours+=("$o")
            cps+=("$c")
            syncs+=("$s")
            [ -z "$b" ] || befores+=("$b")
        fi
    done
    local o c s po pc m
    o=$(median_of 1 "${ours[@]}")
    c=$(median_of 1 "${cps[@]}")
    s=$(median_of 1 "${syncs[@]}")
    po=$(median_of 2 "${ours[@]}")
    pc=$(median_of 2 "${cps[@]}")
    m=$(peak_kib "$CONVERT" -l de "$dir/round0/ours")
    rm -rf "$dir"/round*
    echo
    echo "== $SMALL_FILES files of 2 KB (new targets each run); median of $RUNS"
    printf '  %-24s %9s %10s %9s\n' "" "wall s" "cpu s" "peak MiB"
    printf '  %-24s %9s %10s %9s\n' "rz408-convert -l de" "$(secs "$o")" "$(secs "$po")" "$(mib "$m")"
    printf '  %-24s %9s %10s\n' "cp -r" "$(secs "$c")" "$(secs "$pc")"
    printf '  %-24s %9s\n' "cp -r + sync" "$(secs "$s")"
    echo "  ours / cp -r = $(ratio "$o" "$c") wall, $(ratio "$po" "$pc") cpu"
    echo "  ours / (cp -r + sync) = $(ratio "$o" "$s") wall"
    echo "  runs (wall,cpu us): ours ${ours[*]// /,} | cp -r ${cps[*]// /,} | cp -r + sync ${syncs[*]// /,}"
    if [ -n "$BEFORE" ]; then
        echo "  before: $(secs "$(median_of 1 "${befores[@]}")") s wall, $(secs "$(median_of 2 "${befores[@]}")") s cpu; runs ${befores[*]// /,}"
    fi
}

# --- the inner loop (Google Benchmark) ------------------------------------------------------

measure_micro() {
    local build=${MICRO_BUILD:-$ROOT/build/bench}
    [ "$build" = none ] && return 0
    build=$(realpath -m "$build")
    ensure_packages cmake make g++ libbenchmark-dev
    echo
    echo "== the inner loop, in memory (Google Benchmark; $build)"
    configure_preset bench -B "$build" >/dev/null
    cmake --build "$build" --target rz408_translate_bench --parallel "$JOBS" >/dev/null
    "$build/bin/rz408_translate_bench" 2>&1 | sed -n '/^---/,$p' | sed 's/^/  /'
}

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores; $(uname -sr)"
echo "Command: $CONVERT; texts in $WORK"
measure_text game CP1252
measure_text ascii CP1252
measure_text game-utf8 UTF-8
echo
echo "== one single line (median of $RUNS)"
measure_line game
measure_line game-utf8
measure_small
measure_micro
