#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# wine-run.sh PREFIX PROGRAM.exe [ARGS...]   runs a Windows program of the build under Wine
# wine-run.sh PREFIX --start                 only makes the prefix ready and Wine's server run
# wine-run.sh PREFIX --stop                  ends Wine's server and its services in PREFIX
#
# The Windows build's emulator (CMAKE_CROSSCOMPILING_EMULATOR): CTest runs every test program
# through it. PREFIX is the build's own Wine prefix, created here on first use, so that the
# user's ~/.wine is never touched. Wine's background services (services.exe, winedevice.exe ...)
# are started here once, detached from the caller's output: started by a test instead, they
# would keep CTest's output pipe open after the test ended and CTest would wait for them. The
# server stays up 60 seconds after the last program, so that the next one starts at once.
set -eu

prefix=$1
shift
case $prefix in
/*) ;;
*) prefix=$PWD/$prefix ;; # Wine takes an absolute prefix only
esac
WINEPREFIX=$prefix
WINEDEBUG=${WINEDEBUG:--all}
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
# Console programs only: no window system, so that an X server of other tests (or none) does not
# matter. The desktop program's own test gives its X display in RZ408_WINE_DISPLAY, from the
# creation of its prefix on.
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${RZ408_WINE_DISPLAY:-}" ]; then
    DISPLAY=$RZ408_WINE_DISPLAY
    export DISPLAY
fi

# Debian's wine64 package keeps the loader and the server in /usr/lib/wine.
find_wine() {
    for candidate in "/usr/lib/wine/$1" "/usr/lib64/wine/$1"; do
        if [ -x "$candidate" ]; then
            echo "$candidate"
            return
        fi
    done
    command -v "$1" || command -v "$2" || {
        echo "wine-run.sh: $1 not found (install wine64)" >&2
        exit 127
    }
}
wine=$(find_wine wine64 wine)
wineserver=$(find_wine wineserver64 wineserver)

if [ "${1:-}" = "--stop" ]; then
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    exit 0
fi

mkdir -p "$(dirname "$prefix")"
# One caller at a time sets Wine up; what it starts does not inherit the lock (9>&-), or the
# lock would last as long as Wine's services.
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
        "$wineserver" -w </dev/null >/dev/null 2>&1 9>&- || true
    fi
    # Besides Wine's fixed disks C: and Z:, the drives the drive tests refuse: a floppy drive A:
    # and a CD-ROM drive D:, each over an empty folder of the prefix. Wine reads the drive types
    # when its server starts: set them, then end the server.
    if [ ! -f "$prefix/rz408-drives" ]; then
        mkdir -p "$prefix/rz408-floppy" "$prefix/rz408-cdrom"
        ln -sfn ../rz408-floppy "$prefix/dosdevices/a:"
        ln -sfn ../rz408-cdrom "$prefix/dosdevices/d:"
        for drive in a:=floppy d:=cdrom; do
            "$wine" reg add 'HKLM\Software\Wine\Drives' /v "${drive%%=*}" /d "${drive#*=}" /f \
                </dev/null >/dev/null 2>&1 9>&- || true
        done
        "$wineserver" -k </dev/null >/dev/null 2>&1 9>&- || true
        "$wineserver" -w </dev/null >/dev/null 2>&1 9>&- || true
        touch "$prefix/rz408-drives"
    fi
    # Exit status 0: the server was not running and starts now; then start its services too.
    if "$wineserver" -p60 </dev/null >/dev/null 2>&1 9>&-; then
        "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$prefix.lock"

if [ "${1:-}" = "--start" ]; then
    exit 0
fi
exec "$wine" "$@"
