#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# desktop-under-wine.sh LINUX_CONVERT WINDOWS_BIN WINEPREFIX WORKDIR [DPI]
#
# The Windows desktop program as a player uses it: rz408-textconverter.exe (from WINDOWS_BIN,
# the Windows build's bin/) runs under Wine with Qt's windows platform on an Xvfb display of
# its own, started in a game folder on C:, and is driven with xdotool:
#   - the start window, and then the converter window, appear centred on the screen;
#   - "Ich bin Deutsch" opens the converter window in German;
#   - the drive list holds Wine's drives; the CD-ROM drive D: (set up in the prefix by
#     wine-run.sh) is refused with the German drive message, and the list returns to C:;
#   - the convert button writes the same copies and log file, byte for byte, as the Linux batch
#     command LINUX_CONVERT writes for the same sources, and the count box shows the same count
#     message; Enter closes it;
#   - the converter window's bold labels are drawn bold: their strokes are plainly wider than
#     those of a regular label in the screenshot;
#   - "Ende" brings the start window back; the French choice shows the French converter window;
#   - STOP ends the program with exit code 0;
#   - closing the converter window during a long run, by its title bar's close button and by
#     Alt+F4, stops the run after the file being written and ends the program: every copy whole
#     or not written, the log file holding the records of exactly the copies written.
# DPI (default 96) is the screen's resolution Wine gives the program (LogPixels): 144 is a
# screen scaled to 150 %, where every place of the program's own code stands 1.5 times as far.
# The texts of the message boxes are read as a player copies them, with Ctrl+C (Wine hands the
# Windows clipboard to X). Captions, texts and the places of the buttons come from the
# program's own code through rz408-window-facts.exe. Screenshots of each step land in
# WORKDIR/screenshots; with RZ408_SCREENSHOTS=DIR those of docs/windows.md are copied there as well
# (at 96 dpi).
# WINEPREFIX is kept between runs (Wine takes seconds to make one).
set -euo pipefail

absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
linux_convert=$(absolute "$1")
bin=$(absolute "$2")
prefix=$(absolute "$3")
work=$(absolute "$4")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_run=$here/wine-run.sh
exe=$bin/rz408-textconverter.exe
dpi=${5:-96}
# scaled PIXELS: a length of the program's own code (at 96 dpi) on this screen.
scaled() { echo $((($1 * dpi + 48) / 96)); }

for tool in Xvfb xdotool xclip xwd xwdtopnm pnmtopng; do
    command -v "$tool" >/dev/null || {
        echo "desktop-under-wine.sh: $tool is missing (packages xvfb xdotool xclip x11-apps netpbm)"
        exit 2
    }
done

rm -rf "$work"
mkdir -p "$work/screenshots"
failures=0
ok() { echo "ok - $*"; }
fail() {
    echo "FAIL - $*"
    failures=$((failures + 1))
}

# ---- An X display of our own ---------------------------------------------------------------
# A screen of 1024 x 768 at 96 dpi, as large again at other resolutions.
Xvfb -displayfd 3 -screen 0 "$(scaled 1024)x$(scaled 768)x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
app=""
cleanup() {
    if [ -n "$app" ]; then
        kill "$app" 2>/dev/null || true
    fi
    RZ408_WINE_DISPLAY=${display:-} "$wine_run" "$prefix" --stop || true
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=:$(head -n1 "$work/display")
export DISPLAY=$display RZ408_WINE_DISPLAY=$display

# ---- Wine: the prefix ------------------------------------------------------------------------
# Windows that Wine frames and focuses itself (there is no window manager), and text smoothed
# with ClearType, as Windows does by default: without it Wine draws Liberation Sans at 8 points
# without its capital I.
"$wine_run" "$prefix" --start
reg_add() { "$wine_run" "$prefix" reg add "$@" /f >/dev/null 2>&1; }
reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
reg_add 'HKCU\Control Panel\Desktop' /v FontSmoothing /d 2
reg_add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 2
reg_add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi"
"$wine_run" "$prefix" --stop
"$wine_run" "$prefix" --start

# What the program holds: captions, places, texts (key=value).
"$wine_run" "$prefix" "$bin/rz408-window-facts.exe" </dev/null 2>/dev/null | tr -d '\r' >"$work/facts"
fact() { sed -n "s/^$1=//p" "$work/facts"; }
[ -n "$(fact Main.caption)" ] || {
    echo "FAIL - rz408-window-facts.exe printed nothing"
    exit 1
}

# ---- The game folder: German and French sources on C:, and the Linux batch command's copies --
game_windows='C:\Spiele\Vandrok'
game=$prefix/drive_c/Spiele/Vandrok
rm -rf "$game"
"$here/awkward-sources.sh" "$game" deu fra DEU
for language in german french; do
    cp -a "$game" "$work/linux-$language"
    "$linux_convert" --language "$language" "$work/linux-$language" \
        >"$work/linux-$language.out" 2>/dev/null || true
done
cp -a "$game" "$work/sources"

# waits_for_end SECONDS: whether the program ended within SECONDS; sets status to its exit code.
waits_for_end() {
    for _ in $(seq $(($1 * 5))); do
        if ! kill -0 "$app" 2>/dev/null; then
            status=0
            wait "$app" || status=$?
            app=""
            return 0
        fi
        sleep 0.2
    done
    return 1
}
# stop_program: ends the program, and whatever else runs in the prefix, after a failed check.
stop_program() {
    "$wine_run" "$prefix" --stop
    wait "$app" 2>/dev/null || true
    app=""
    "$wine_run" "$prefix" --start
}

# ---- Driving the windows -------------------------------------------------------------------
# visible_window NAME: the id of the visible window of that exact caption, waiting up to 60 s.
visible_window() {
    local id
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "^$(printf '%s' "$1" |
            sed 's/[].*^$\\()+?{}|[]/\\&/g')\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    return 1
}
# gone WINDOW: waits up to 60 s for the window to be hidden or closed.
gone() {
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.2
    done
    return 1
}
# geometry WINDOW: sets X Y WIDTH HEIGHT of the window on the screen (its frame included).
geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
}
# frame WINDOW NAME: sets BORDER and CAPTION, the frame Wine draws inside the X window of
# window NAME (Main, Form1): borders alike left, right and below, the title bar above.
frame() {
    local client_width client_height
    geometry "$1"
    read -r client_width client_height <<<"$(fact "$2.client")"
    client_width=$(scaled "$client_width")
    client_height=$(scaled "$client_height")
    BORDER=$(((WIDTH - client_width) / 2))
    CAPTION=$((HEIGHT - client_height - BORDER))
}
# click WINDOW NAME CONTROL: a click in the middle of CONTROL of window NAME.
click() {
    local left top width height
    frame "$1" "$2"
    read -r left top width height <<<"$(fact "$2.$3")"
    xdotool mousemove --window "$1" $((BORDER + $(scaled $((left + width / 2))))) \
        $((CAPTION + $(scaled $((top + height / 2))))) click 1
}
keys() { xdotool key --clearmodifiers "$@"; }
# copied_text: the text of the focused message box, as Ctrl+C copies it. The xclip that empties
# the clipboard stays behind to serve it: its output goes nowhere, so that $(copied_text) ends.
copied_text() {
    printf '' | xclip -selection clipboard >/dev/null 2>&1
    keys ctrl+c
    for _ in $(seq 50); do
        if xclip -selection clipboard -o 2>/dev/null | grep -q .; then
            xclip -selection clipboard -o | tr -d '\r'
            return
        fi
        sleep 0.2
    done
}
# screenshot WINDOW FILE: the window's client area (Wine's own title bar lacks its button
# font, Marlett) as WORKDIR/screenshots/FILE.png; BORDER and CAPTION as the last frame left
# them (every window has the same frame).
screenshot() {
    geometry "$1"
    xwd -silent -id "$1" | xwdtopnm 2>/dev/null |
        pamcut -left "$BORDER" -top "$CAPTION" -width $((WIDTH - 2 * BORDER)) \
            -height $((HEIGHT - CAPTION - BORDER)) | pnmtopng >"$work/screenshots/$2.png"
}
# stroke SHOT CONTROL: how wide the strokes of the text of CONTROL (of the converter window)
# are in the screenshot SHOT (of its client area): the dark pixels along the rows divided by the
# runs they form, times 100.
stroke() {
    local left top width height
    read -r left top width height <<<"$(fact "Form1.$2")"
    pngtopnm "$work/screenshots/$1.png" |
        pamcut -left "$(scaled "$left")" -top "$(scaled "$top")" -width "$(scaled "$width")" \
            -height "$(scaled "$height")" | ppmtopgm | pnmtoplainpnm |
        awk '!/^#/ { for (i = 1; i <= NF; i++) v[n++] = $i }
             END {
                 w = v[1]; h = v[2]; half = v[3] / 2; k = 4
                 for (y = 0; y < h; y++) {
                     before = 0
                     for (x = 0; x < w; x++) {
                         d = v[k++] < half
                         dark += d
                         runs += d && !before
                         before = d
                     }
                 }
                 print runs ? int(100 * dark / runs) : 0
             }'
}
# message_box: the id of a visible message box (the program's name as its caption).
message_box() { visible_window "$(fact MessageBoxCaption)"; }
# message_box_text: sets BOX and TEXT to the next message box and its text (Ctrl+C), passing
# over the progress dialog of a long run, which bears the same caption but copies nothing.
message_box_text() {
    for _ in $(seq 10); do
        BOX=$(message_box) || return 1
        TEXT=$(copied_text)
        [ -n "$TEXT" ] && return 0
        gone "$BOX" || return 1
    done
    return 1
}

# centred WINDOW NAME WHAT: whether window NAME stands centred on the screen, frame included.
centred() {
    local screen_width screen_height off_x off_y
    frame "$1" "$2"
    read -r screen_width screen_height <<<"$(xdotool getdisplaygeometry)"
    # Twice the distance of the window's middle from the screen's. Wine draws the side and
    # lower borders that Windows 10 keeps invisible, and tells Qt (through the frame bounds of
    # the desktop window manager) that they are invisible: Qt centres the window without them,
    # which puts the whole window half a border lower.
    off_x=$((2 * X + WIDTH - screen_width))
    off_y=$((2 * Y + HEIGHT - screen_height))
    if [ "${off_x#-}" -le 1 ] && [ "${off_y#-}" -le $((BORDER + 1)) ]; then
        ok "$3 appears centred ($WIDTH x $HEIGHT at $X,$Y on $screen_width x $screen_height)"
    else
        fail "$3 is not centred: $WIDTH x $HEIGHT at $X,$Y on $screen_width x $screen_height"
    fi
}

# ---- The player's session ------------------------------------------------------------------
start=$(date +%s%N)
(cd "$game" && exec "$wine_run" "$prefix" "$exe") &
app=$!

if ! main=$(visible_window "$(fact Main.caption)"); then
    fail "the start window did not appear"
    exit 1
fi
echo "# the start window appeared $((($(date +%s%N) - start) / 1000000)) ms after the start"
sleep 1 # let Wine paint it before the screenshot
centred "$main" Main "the start window"
screenshot "$main" windows-main

click "$main" Main Command2
if form=$(visible_window "$(fact german.WindowCaption)"); then
    ok "\"Ich bin Deutsch\" opens the converter window in German"
else
    fail "\"Ich bin Deutsch\" did not open the German converter window"
    exit 1
fi
gone "$main" && ok "the start window is hidden" || fail "the start window stays visible"
sleep 1
centred "$form" Form1 "the converter window"
screenshot "$form" windows-form1-german
# The bold labels against a regular one (Label1): bold strokes are wider by a sixth or more
# (about a quarter, where bold labels drawn regular came out a quarter narrower).
regular=$(stroke windows-form1-german Label1)
for label in Label2 Label5 Label6 Label7; do
    bold=$(stroke windows-form1-german "$label")
    if [ "$regular" -gt 0 ] && [ $((bold * 6)) -ge $((regular * 7)) ]; then
        ok "$label is drawn bold at $dpi dpi (strokes $bold against $regular of regular Label1)"
    else
        fail "$label is not drawn bold at $dpi dpi (strokes $bold against $regular of regular Label1)"
    fi
done

# The drive list has the focus: its entries are Wine's drives, C: first selected (the program
# started in a folder on C:). D:, the CD-ROM drive, is picked by its letter.
keys d
if box=$(message_box); then
    text=$(copied_text)
    if grep -qxF "$(fact german.DriveMessage)" <<<"$text"; then
        ok "the CD-ROM drive D: is refused with the German drive message"
    else
        fail "the refusal of D: shows: $text"
    fi
    screenshot "$box" windows-drive-refused
    keys Return
    gone "$box" && ok "Enter closes the drive message" || fail "the drive message stays open"
else
    fail "picking the CD-ROM drive D: showed no message"
fi

# The convert button: the copies and the log file, and the count box.
click "$form" Form1 Command1
if message_box_text; then
    if [ -s "$work/linux-german.out" ] && grep -qxF "$(cat "$work/linux-german.out")" <<<"$TEXT"; then
        ok "the count box shows the count message of the Linux batch command"
    else
        fail "the count box shows: $TEXT"
    fi
    screenshot "$BOX" windows-count
    keys Return
    gone "$BOX" && ok "Enter closes the count box" || fail "the count box stays open"
else
    fail "the convert button showed no count box"
fi
if diff -r "$work/linux-german" "$game" >"$work/german.diff"; then
    ok "the copies and the log file are byte-identical to the Linux batch command's"
else
    fail "the files differ from the Linux batch command's (see $work/german.diff)"
fi

# Back to the start window, then French.
click "$form" Form1 Command2
gone "$form" && main=$(visible_window "$(fact Main.caption)") &&
    ok "\"Ende\" brings the start window back" || fail "\"Ende\" did not bring the start window back"
click "$main" Main Command1
if form=$(visible_window "$(fact french.WindowCaption)"); then
    ok "\"Je suis Francais\" shows the converter window in French"
    sleep 1
    screenshot "$form" windows-form1-french
else
    fail "\"Je suis Francais\" did not show the French converter window"
fi
# The sources again in the same folder: the folder itself stays, since the window follows a
# folder that is deleted to the nearest one still there.
find "$game" -mindepth 1 -delete && cp -a "$work/sources/." "$game/"
click "$form" Form1 Command1
if message_box_text; then
    keys Return
    gone "$BOX" || true
fi
if diff -r "$work/linux-french" "$game" >"$work/french.diff"; then
    ok "the French copies and log file are byte-identical to the Linux batch command's"
else
    fail "the French files differ from the Linux batch command's (see $work/french.diff)"
fi
click "$form" Form1 Command2
# A click that came while the window still took no input (the count box just closed) is given
# once more; the program never stays behind waiting for a click that was lost.
main=$(visible_window "$(fact Main.caption)") || {
    click "$form" Form1 Command2
    main=$(visible_window "$(fact Main.caption)")
} || main=""

# STOP.
[ -z "$main" ] || click "$main" Main Command4
if ! waits_for_end 60; then
    if [ -n "$main" ]; then
        fail "STOP did not end the program"
    else
        fail "the start window did not come back after the French back button"
    fi
    stop_program
elif [ "$status" -eq 0 ]; then
    ok "STOP ends the program with exit code 0"
else
    fail "the program ended with exit code $status"
fi

# ---- Closing the converter window during a long run ----------------------------------------
# 400 sources of 256 KB alike, each with one character that becomes a blank, in a folder of
# their own; the Linux batch command converts one of them for the copy and the log record that
# each must get.
long=$prefix/drive_c/Spiele/Lang
source_text=$work/long-source.deu
awk 'BEGIN {
    printf "Zeile mit \226 darin\r\n"
    for (n = 0; n < 4400; n++) printf "Eine Zeile Spieltext, wie ihn das Spiel zeigt, lang genug.\r\n"
}' >"$source_text"
mkdir -p "$work/long-reference"
cp "$source_text" "$work/long-reference/s001.deu"
"$linux_convert" --language german "$work/long-reference" >/dev/null 2>&1 || true
log_name=$(fact german.LogBaseName).txt
for way in "close button" "alt+F4"; do
    rm -rf "$long"
    mkdir -p "$long"
    for i in $(seq -w 1 400); do
        cp "$source_text" "$long/s$i.deu"
    done
    (cd "$long" && exec "$wine_run" "$prefix" "$exe") &
    app=$!
    main=$(visible_window "$(fact Main.caption)") || {
        fail "the start window did not appear for the long run"
        continue
    }
    sleep 1
    click "$main" Main Command2
    form=$(visible_window "$(fact german.WindowCaption)") || {
        fail "the converter window did not appear for the long run"
        continue
    }
    sleep 1
    click "$form" Form1 Command1
    if ! progress=$(message_box); then
        fail "the long run showed no progress dialog"
        continue
    fi
    frame "$form" Form1
    if [ "$way" = "close button" ]; then
        # The last button of Wine's title bar, as high as the bar.
        xdotool mousemove --window "$form" $((WIDTH - BORDER - (CAPTION - BORDER) / 2 - 1)) \
            $(((CAPTION + BORDER) / 2)) click 1
    else
        # The title bar makes the converter window the active one; the keys go to it.
        xdotool mousemove --window "$form" $((WIDTH / 2)) $(((CAPTION + BORDER) / 2)) click 1
        sleep 0.5
        keys alt+F4
    fi
    if ! waits_for_end 60; then
        fail "$way during a run: the program did not end"
        stop_program
        continue
    fi
    [ "$status" -eq 0 ] || fail "$way during a run: the program ended with exit code $status"
    converted=0
    expected_log=$work/long-expected-log
    : >"$expected_log"
    for copy in "$long"/s*.txt; do
        [ -e "$copy" ] || continue
        name=$(basename "$copy" .txt)
        converted=$((converted + 1))
        cmp -s "$copy" "$work/long-reference/s001.txt" || fail "$way during a run: $name.txt is not whole"
        sed "s/^s001\.deu /$name.deu /" "$work/long-reference/$log_name" >>"$expected_log"
    done
    if [ "$converted" -eq 0 ] || [ "$converted" -eq 400 ]; then
        fail "$way during a run: $converted of 400 files converted, the close came not during the run"
    elif cmp -s "$expected_log" "$long/$log_name"; then
        ok "$way during a run ends the program after its file: $converted of 400 copies whole, the log file names exactly them"
    else
        fail "$way during a run: the log file does not name exactly the $converted copies written"
    fi
    strays=$(ls -A "$long" | grep -v -e '^s[0-9]*\.deu$' -e '^s[0-9]*\.txt$' -e "^$log_name\$" || true)
    [ -z "$strays" ] || fail "$way during a run left stray files: $strays"
done

# Every text fits its control with Qt's windows platform and the fonts Wine offers, too: the
# window tests' own checks of that (CTest runs them on the offscreen platform).
for run in "rz408_main_tests controls" "rz408_form1_looks_tests everyTextFits labelFonts"; do
    read -r program functions <<<"$run"
    # On the platform the program itself asks for (its font engine measures the texts).
    # shellcheck disable=SC2086 # the test functions, one word each
    if WINEQT_QPA_PLATFORM=$(fact Platform) WINEQT_FORCE_STDERR_LOGGING=1 \
        "$wine_run" "$prefix" "$bin/$program.exe" $functions \
        >"$work/$program.log" 2>&1; then
        ok "every text fits ($program $functions, windows platform: $(grep -o 'Totals: [0-9]* passed' \
            "$work/$program.log" | tr -d '\r'))"
    else
        fail "a text does not fit ($program $functions, windows platform): see $work/$program.log"
    fi
done

if [ -n "${RZ408_SCREENSHOTS:-}" ] && [ "$dpi" -eq 96 ]; then
    for shot in windows-main windows-form1-german windows-form1-french; do
        cp "$work/screenshots/$shot.png" "$RZ408_SCREENSHOTS/"
    done
fi
echo "$failures failed; screenshots in $work/screenshots"
[ "$failures" -eq 0 ]
