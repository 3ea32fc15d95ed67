#!/bin/bash
# The Windows side of the test suite: builds the win32 (i686, what the host loads) and win64
# presets, checks that both DLLs export exactly the names of src/frame/exports.txt, and runs the
# Windows suite of each build under Wine: the i686 one under 32-bit Wine, each against its own
# opcsim.dll registered in its own prefix. Both suites are required, and must run the same number
# of tests, except where this machine's kernel cannot execute 32-bit programs
# (tools/wine/probe32.sh): there the win32 build is made and checked, and its suite is reported as
# not run.
set -u
cd "$(dirname "$0")/../.."
failed=0
presets=(win32 win64)
record() { [ -z "${TAGCFG_TEST_RESULTS:-}" ] || echo "$*" >>"$TAGCFG_TEST_RESULTS"; }
wine32_reason=$(tools/wine/probe32.sh)
wine32=$?

expected=$(grep '^tagcfg_' src/frame/exports.txt | sort)
exports_match() {  # PRESET
    local dll=build/$1/src/tagcfg.dll actual
    actual=$(objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && NR > 1 {print $NF}' | sort)
    if [ "$actual" = "$expected" ]; then
        echo "test.sh: $dll exports exactly the $(echo "$expected" | wc -l) names"
    else
        echo "test.sh: $dll exports differ from src/frame/exports.txt:"
        diff <(echo "$expected") <(echo "$actual")
        return 1
    fi
}
count_tests() {  # the GoogleTest summaries in a ctest log
    grep -ho '\[==========\] [0-9]* tests\? from [0-9]* test suites\? ran' "$1" 2>/dev/null |
        awk '{sum += $2} END {print sum + 0}'
}

declare -A ran
for preset in "${presets[@]}"; do
    suite="$preset suite"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "test.sh: the $preset build failed"
        record "$suite FAILED (build)"
        failed=1
        continue
    fi
    if ! exports_match "$preset"; then
        record "$suite FAILED (exports)"
        failed=1
        continue
    fi
    if [ "$preset" = win32 ] && [ "$wine32" -eq 1 ]; then
        echo "test.sh: the win32 suite NOT RUN: $wine32_reason (its build and exports are checked)"
        record "win32 suite NOT RUN (${wine32_reason%%:*})"
        continue
    fi
    log=build/$preset/Testing/Temporary/LastTest.log
    rm -f "$log"
    started=$(date +%s)
    ctest --preset "$preset"
    status=$?
    ran[$preset]=$(count_tests "$log")
    echo "test.sh: ${ran[$preset]} Windows tests ran on the $preset build in $(( $(date +%s) - started )) s"
    if [ "$status" -ne 0 ] || [ "${ran[$preset]}" -eq 0 ]; then
        [ "${ran[$preset]}" -eq 0 ] && echo "test.sh: the $preset suite did not run"
        record "$suite FAILED (${ran[$preset]} tests ran)"
        failed=1
    else
        record "$suite passed (${ran[$preset]} tests)"
    fi
done
if [ -n "${ran[win32]:-}" ] && [ -n "${ran[win64]:-}" ] && [ "${ran[win32]}" -ne "${ran[win64]}" ]; then
    echo "test.sh: the two Windows suites ran different numbers of tests (win32 ${ran[win32]}, win64 ${ran[win64]})"
    record "Windows suites FAILED (win32 ran ${ran[win32]} tests, win64 ${ran[win64]})"
    failed=1
fi
exit "$failed"
