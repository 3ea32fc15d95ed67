#!/bin/bash
# The native install as Linux tooling meets it: `cmake --install` of a native build into a prefix,
# which is then moved (nothing may depend on where it was installed), must hold the host program,
# libtagcfg.so.1, the header, the CMake package and the pkg-config file; a project of its own
# (this folder) builds against it both ways and runs, with the installed host program.
#   tests/install/run.sh [BUILD_DIR]     (default build/native)
set -u
cd "$(dirname "$0")/../.."
build=${1:-build/native}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "tests/install: $*"; failed=1; }

started=$(date +%s)
cmake --install "$build" --prefix "$work/installed" >/dev/null || { echo "tests/install: install failed"; exit 1; }
mv "$work/installed" "$work/prefix"
prefix=$work/prefix
for file in bin/tagcfg include/tagcfg.h lib/libtagcfg.so lib/libtagcfg.so.1 lib/cmake/tagcfg/tagcfgConfig.cmake \
            lib/cmake/tagcfg/tagcfgConfigVersion.cmake lib/pkgconfig/tagcfg.pc; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
readelf -d "$prefix/lib/libtagcfg.so.1" | grep -q 'SONAME.*\[libtagcfg\.so\.1\]' ||
    fail "libtagcfg.so.1 has another soname"
[ "$(nm -D --defined-only "$prefix/lib/libtagcfg.so.1" | awk '$2 == "T" {print $3}' | LC_ALL=C sort)" = \
  "$(grep '^tagcfg_' src/frame/exports.txt | LC_ALL=C sort)" ] || fail "libtagcfg.so.1 exports other functions than src/frame/exports.txt"

if PKG_CONFIG_PATH=$prefix/lib/pkgconfig cmake -S tests/install -B "$work/consumer" -G Ninja \
       -DCMAKE_PREFIX_PATH="$prefix" -DSAMPLE_PROJECT="$(pwd)/examples/plant1" >"$work/configure.log" 2>&1 &&
   cmake --build "$work/consumer" >"$work/build.log" 2>&1; then
    ctest --test-dir "$work/consumer" --output-on-failure || fail "the consumer's tests failed"
    for program in with_cmake_package with_pkg_config; do
        readelf -d "$work/consumer/$program" | grep -q 'NEEDED.*\[libtagcfg\.so\.1\]' ||
            fail "$program does not load libtagcfg.so.1"
    done
else
    cat "$work/configure.log" "$work/build.log" 2>/dev/null
    fail "the consumer does not build against the install"
fi
[ "$failed" -eq 0 ] &&
    echo "tests/install: the install serves CMake and pkg-config consumers, in $(( $(date +%s) - started )) s"
exit "$failed"
