#!/bin/bash
# Can this machine run 32-bit Windows programs under Wine? Asks the machine rather than the
# package list: it runs Wine's 32-bit loader. Some kernels of our machines will not execute any
# 32-bit program although wine32 installs fine; there the i686 builds can be made and checked
# but not run.
#   probe32.sh     prints one line: the loader's version, or why it cannot run
#   exit 0: it runs; 1: this kernel cannot execute 32-bit programs; 2: 32-bit Wine is missing or
#   broken (a fault of the setup, not of the machine)
loader=${TAGCFG_WINE32_LOADER:-/usr/lib/wine/wine}

if [ ! -e "$loader" ]; then
    echo "32-bit Wine's loader $loader is missing (wine32:i386)"
    exit 2
fi
# Run by bash itself: execvp and dash would retry a binary the kernel refuses as a shell script.
output=$("$loader" --version 2>&1 </dev/null)
status=$?
if [ "$status" -eq 0 ]; then
    echo "$output"
    exit 0
fi
if [[ $output == *"Exec format error"* ]]; then
    echo "this kernel cannot execute 32-bit programs: Exec format error"
    exit 1
fi
echo "32-bit Wine's loader $loader fails (exit $status): ${output##*$'\n'}"
exit 2
