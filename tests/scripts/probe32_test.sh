#!/bin/bash
# The 32-bit probe's answers, with stand-ins for Wine's 32-bit loader: a binary the kernel refuses,
# a script that fails as a refused exec does, one that works, one that is missing, and a Wine that
# is installed but broken.
set -u
probe=$(dirname "$0")/../../tools/wine/probe32.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

expect() {  # LOADER STATUS LINE
    local output status
    output=$(TAGCFG_WINE32_LOADER=$1 "$probe") status=$?
    [ "$status" -eq "$2" ] && [ "$output" = "$3" ] && return
    echo "probe32 with $(basename "$1"): exit $status, \"$output\"; expected exit $2, \"$3\""
    failed=1
}

printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0not a program' >"$work/refused"
printf '#!/bin/sh\necho "wine: $0: cannot execute binary file: Exec format error" >&2\nexit 126\n' >"$work/refusing"
printf '#!/bin/sh\n[ "$1" = --version ] && echo wine-8.0 Debian\n' >"$work/working"
printf '#!/bin/sh\necho "first line" >&2\necho "wine: could not load kernel32.dll, status c0000135" >&2\nexit 1\n' >"$work/broken"
chmod +x "$work"/*

cannot="this kernel cannot execute 32-bit programs: Exec format error"
expect "$work/refused" 1 "$cannot"
expect "$work/refusing" 1 "$cannot"
expect "$work/working" 0 "wine-8.0 Debian"
expect "$work/missing" 2 "32-bit Wine's loader $work/missing is missing (wine32:i386)"
expect "$work/broken" 2 "32-bit Wine's loader $work/broken fails (exit 1): wine: could not load kernel32.dll, status c0000135"
exit "$failed"
