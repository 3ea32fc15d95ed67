#!/bin/bash
# Runs one Windows program under wine64 with a private prefix, a private Xvfb display and one
# persistent wineserver, and leaves nothing running afterwards.
#   run.sh PREFIX_DIR PROGRAM.exe [ARGS...]
# The prefix is made once (wineboot --init, then wineserver -w) and reused; runs that share a
# prefix take turns through a lock file beside it. The program's exit status is the result.
set -u

if [ $# -lt 2 ]; then
    echo "usage: $0 PREFIX_DIR PROGRAM.exe [ARGS...]" >&2
    exit 2
fi
prefix=$(realpath -m "$1")
program=$2
shift 2

pick() { for candidate in "$@"; do if [ -x "$candidate" ]; then echo "$candidate"; return; fi; done; }
# A 32-bit program needs Wine's 32-bit loader, and a kernel that executes it; a 64-bit one never
# goes near that loader (Debian's "wine" tries it first).
if objdump -f "$program" 2>/dev/null | grep -q 'pei-i386'; then
    if ! reason=$("$(dirname "$0")/probe32.sh"); then
        echo "run.sh: cannot run the 32-bit $program: $reason" >&2
        exit 2
    fi
    wine=${WINE:-$(pick /usr/lib/wine/wine "$(command -v wine)")}
else
    wine=${WINE:-$(pick /usr/lib/wine/wine64 "$(command -v wine64)")}
fi
wineserver=${WINESERVER:-$(pick /usr/lib/wine/wineserver64 "$(command -v wineserver)")}
if [ -z "$wine" ] || [ -z "$wineserver" ] || ! command -v Xvfb >/dev/null; then
    echo "run.sh: needs wine64, wineserver and Xvfb" >&2
    exit 2
fi

export WINEPREFIX=$prefix WINELOADER=$wine WINESERVER=$wineserver
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export LC_ALL=C  # English resources, whatever the caller's locale

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
if ! flock -w 600 9; then
    echo "run.sh: $prefix is busy" >&2
    exit 2
fi

xvfb_pid=
scratch=$(mktemp -d)
cleanup() {
    # Ask the server to go, then wait for it, bounded; Xvfb goes last.
    "$wineserver" -k >/dev/null 2>&1
    timeout 20 "$wineserver" -w >/dev/null 2>&1
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 9>&- &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
display=$(tr -dc 0-9 <"$scratch/display")
if [ -z "$display" ]; then
    echo "run.sh: Xvfb did not start" >&2
    cat "$scratch/xvfb.log" >&2
    exit 2
fi
export DISPLAY=:$display
if command -v xdpyinfo >/dev/null && ! timeout 10 xdpyinfo >/dev/null 2>&1; then
    echo "run.sh: display $DISPLAY does not answer" >&2
    exit 2
fi

# Bump the marker's number when the prefix settings below change, so old prefixes are remade.
ready=$prefix/.tagcfg-ready-2
if [ ! -f "$ready" ]; then
    started=$(date +%s)
    rm -rf "$prefix"
    timeout 300 "$wine" wineboot --init >"$scratch/wineboot.log" 2>&1 9>&-
    # No window manager runs on Xvfb: Wine draws the frames itself and does not wait for a
    # manager to map or withdraw a window (each wait would cost seconds per dialog).
    timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >>"$scratch/wineboot.log" 2>&1 9>&-
    if ! timeout 120 "$wineserver" -w || [ ! -f "$prefix/system.reg" ]; then
        echo "run.sh: could not make the Wine prefix $prefix" >&2
        cat "$scratch/wineboot.log" >&2
        exit 2
    fi
    touch "$ready"
    echo "run.sh: made the Wine prefix in $(( $(date +%s) - started )) s"
fi

"$wineserver" -p 9>&-
"$wine" "$program" "$@" 9>&-
status=$?
exit "$status"
