#!/usr/bin/env bash
# Every test: the layout and clang-tidy checks, native and native-asan unit tests, a consumer of
# the native install, a bounded fuzz run, both Windows builds and the Windows suite under Wine, and
# the release packages with an integrator's host built against each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== lint"
scripts/lint.sh

for preset in native native-asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== install"
tests/install/run.sh build/native

echo "== fuzz"
fuzz/run.sh "${TAGCFG_FUZZ_SECONDS:-60}"

echo "== windows"
tools/wine/test.sh

echo "== package"
scripts/package.sh
tests/package/run.sh
