#!/bin/bash
# The Windows side of the test suite: builds the win64 and win32 presets, checks that both DLLs
# export exactly the host's 23 names, runs the win64 tests under Wine and says how many ran.
# The win32 tests run too when this Wine can start a 32-bit program; otherwise they are skipped.
set -u
cd "$(dirname "$0")/../.."
failed=0

for preset in win64 win32; do
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" || { echo "test.sh: $preset build failed"; exit 1; }
done

expected=$(grep -v '^\s*$' tests/exports.txt | sort)
for preset in win64 win32; do
    dll=build/$preset/src/tagcfg.dll
    actual=$(objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && NR > 1 {print $NF}' | sort)
    if [ "$actual" = "$expected" ]; then
        echo "test.sh: $dll exports exactly the $(echo "$expected" | wc -l) names"
    else
        echo "test.sh: $dll exports differ from tests/exports.txt:"
        diff <(echo "$expected") <(echo "$actual")
        failed=1
    fi
done

count_tests() {  # the GoogleTest summaries in a ctest log
    grep -ho '\[==========\] [0-9]* tests\? from [0-9]* test suites\? ran' "$1" 2>/dev/null |
        awk '{sum += $2} END {print sum + 0}'
}

started=$(date +%s)
ctest --preset win64 || failed=1
echo "test.sh: $(count_tests build/win64/Testing/Temporary/LastTest.log) Windows tests ran under wine64" \
     "in $(( $(date +%s) - started )) s"

# 32-bit only where Wine has its 32-bit half; this machine's Wine may not.
# The check borrows the win64 prefix, which ctest has made by now, and needs no display.
can_run_32bit() {
    command -v wine >/dev/null && [ -f build/win32/src/win_tests.exe ] || return 1
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$PWD/build/win64/wineprefix \
        timeout 120 wine build/win32/src/win_tests.exe --gtest_list_tests >/dev/null 2>&1
    local status=$?
    WINEPREFIX=$PWD/build/win64/wineprefix wineserver -k >/dev/null 2>&1
    return $status
}
if can_run_32bit; then
    ctest --test-dir build/win32 --output-on-failure || failed=1
    echo "test.sh: $(count_tests build/win32/Testing/Temporary/LastTest.log) Windows tests ran under 32-bit Wine"
else
    echo "test.sh: skipping the win32 tests: this Wine cannot run a 32-bit program"
fi
exit "$failed"
