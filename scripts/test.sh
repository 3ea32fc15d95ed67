#!/usr/bin/env bash
# Every test: the layout and clang-tidy checks, native and native-asan unit tests, a consumer of
# the native install, a bounded fuzz run, both Windows builds and the Windows suite under Wine, and
# the release packages with an integrator's host built against each. Every part runs whatever
# became of the others, and the last line says part by part what passed, what failed and what this
# machine could not run (a kernel that cannot execute 32-bit programs runs no i686 code).
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
started=$(date +%s)

# One line per part; the Windows suites and the packages write their own.
TAGCFG_TEST_RESULTS=$(mktemp)
export TAGCFG_TEST_RESULTS
trap 'rm -f "$TAGCFG_TEST_RESULTS"' EXIT
failed=0

part() {  # NAME COMMAND...
    local name=$1
    shift
    echo "== $name"
    if "$@"; then
        echo "$name passed" >>"$TAGCFG_TEST_RESULTS"
    else
        echo "$name FAILED" >>"$TAGCFG_TEST_RESULTS"
        failed=1
    fi
}
native_suite() {  # PRESET
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1" && ctest --preset "$1"
}

part lint scripts/lint.sh
part native native_suite native
part ASan native_suite native-asan
part install tests/install/run.sh build/native
part fuzz fuzz/run.sh "${TAGCFG_FUZZ_SECONDS:-60}"
echo "== windows"
tools/wine/test.sh || failed=1
echo "== package"
if scripts/package.sh; then
    tests/package/run.sh || failed=1
else
    echo "packages FAILED (scripts/package.sh)" >>"$TAGCFG_TEST_RESULTS"
    failed=1
fi

if reason=$(tools/wine/probe32.sh); [ $? -eq 1 ]; then
    win64=$(sed -n 's/^win64 suite passed (\([0-9]*\) tests.*/\1/p' "$TAGCFG_TEST_RESULTS")
    echo "test.sh: NOT RUN on this machine: the win32 suite and the win32 package host ($reason);" \
         "${win64:-no} tests ran on win64"
fi
elapsed=$(( $(date +%s) - started ))
summary=$(paste -sd ';' "$TAGCFG_TEST_RESULTS" | sed 's/;/, /g')
echo "test.sh: $summary; $([ "$failed" -eq 0 ] && echo passed || echo FAILED) in $((elapsed / 60)) min $((elapsed % 60)) s"
exit "$failed"
