#!/bin/bash
# The Windows side of the test suite: builds the win32 (i686, what the host loads) and win64
# presets, checks that both DLLs export exactly the host's 23 names, and runs the Windows suite of
# each build under Wine: the i686 one under 32-bit Wine, each against its own opcsim.dll
# registered in its own prefix. Both suites are required, and must run the same number of tests.
set -u
cd "$(dirname "$0")/../.."
failed=0
presets=(win32 win64)

for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" || { echo "test.sh: $preset build failed"; exit 1; }
done

expected=$(grep -v '^\s*$' tests/exports.txt | sort)
for preset in "${presets[@]}"; do
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

declare -A ran
for preset in "${presets[@]}"; do
    log=build/$preset/Testing/Temporary/LastTest.log
    rm -f "$log"
    started=$(date +%s)
    ctest --preset "$preset" || failed=1
    ran[$preset]=$(count_tests "$log")
    echo "test.sh: ${ran[$preset]} Windows tests ran on the $preset build in $(( $(date +%s) - started )) s"
    if [ "${ran[$preset]}" -eq 0 ]; then
        echo "test.sh: the $preset suite did not run"
        failed=1
    fi
done
if [ "${ran[win32]}" -ne "${ran[win64]}" ]; then
    echo "test.sh: the two Windows suites ran different numbers of tests (win32 ${ran[win32]}, win64 ${ran[win64]})"
    failed=1
fi
exit "$failed"
