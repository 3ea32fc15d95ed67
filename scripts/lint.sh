#!/usr/bin/env bash
# The habits of the house, checked: every C and C++ file laid out as .clang-format says, and the
# checks of .clang-tidy clean on the native build of src/ and tools/. A difference or a finding
# fails. To lay a file out: clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "lint: clang-format"
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "lint: clang-tidy"
cmake --preset native >/dev/null  # compile_commands.json and the layers' include roots
log=build/native/clang-tidy.log
if ! run-clang-tidy -p build/native -quiet "^$(pwd)/(src|tools)/" >"$log" 2>&1; then
    # The findings without the progress lines and colours; the whole run stays in the log.
    sed 's/\x1b\[[0-9;]*m//g' "$log" |
        grep -Ev '^(clang-tidy|[0-9]+ warnings? (and [0-9]+ errors? )?generated|Suppressed [0-9]+|Use -header-filter)'
    echo "lint: clang-tidy has findings (the whole run: $log)"
    exit 1
fi
