#!/usr/bin/env bash
# The habits of the house, checked: every C and C++ file laid out as .clang-format says, and the
# checks of .clang-tidy clean on src/ and tools/: the native build's files, and the files only the
# Windows build compiles (the win32 preset's, read by clang with the mingw target). A difference or
# a finding fails. To lay a file out: clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "lint: clang-format"
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

# The findings of a run, without the progress lines and colours; the whole run stays in its log.
findings() {
    sed 's/\x1b\[[0-9;]*m//g' "$1" |
        grep -Ev '^(clang-tidy|[0-9]+ warnings? (and [0-9]+ errors? )?generated|Suppressed [0-9]+|Use -header-filter)'
    echo "lint: clang-tidy has findings (the whole run: $1)"
    exit 1
}

echo "lint: clang-tidy"
cmake --preset native >/dev/null  # compile_commands.json and the layers' include roots
log=build/native/clang-tidy.log
if ! run-clang-tidy -p build/native -quiet "^$(pwd)/(src|tools)/" >"$log" 2>&1; then
    findings "$log"
fi

echo "lint: clang-tidy, Windows sources"
cmake --preset win32 >/dev/null
cxx=$(sed -n 's/^ *"command": "\([^ ]*g++[^ ]*\) .*/\1/p' build/win32/compile_commands.json | head -n 1)
# clang finds the target's mingw headers itself, but not the C++ library of its g++: give it that
# compiler's own search list.
extra=(-extra-arg=--target="$(basename "$cxx" | sed 's/-g++.*//')")
while read -r dir; do
    extra+=(-extra-arg=-isystem"$dir")
done < <(echo | "$cxx" -E -x c++ - -v 2>&1 | sed -n '/#include <...>/,/End of search/p' | grep -E '/c\+\+|mingw32/include$')
log=build/win32/clang-tidy.log
if ! run-clang-tidy -p build/win32 -quiet "${extra[@]}" \
        "^$(pwd)/(src/platform/win32/.*|src/frame/dll_main|tools/opcsim/.*|tools/cli/.*)\.cpp$" >"$log" 2>&1; then
    findings "$log"
fi
