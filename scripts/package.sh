#!/usr/bin/env bash
# Builds what an integrator takes: dist/tagcfg-VERSION-win32.zip (the i686 DLL the host loads) and
# dist/tagcfg-VERSION-win64.zip, each one folder tagcfg-VERSION-ARCH/ holding the stripped
# programs, the header, import libraries for MSVC and MinGW linkers, the debug files, the sample
# project, a README.txt and SHA256SUMS.
#
# The release presets build optimised code with debug information, without build folders or link
# times in it; the debug information then moves to debug/ and each stripped program names its
# file through .gnu_debuglink. Every time stamp that strip, objcopy and the zip write is the
# commit's, so two clones of one commit, wherever they lie, give the same program bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
scripts/setup.sh

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
mkdir -p dist
rm -f dist/tagcfg-*.zip

for arch in win32 win64; do
    case $arch in
        win32) tools=i686-w64-mingw32 machine=i386 bits="32-bit (i686)" ;;
        win64) tools=x86_64-w64-mingw32 machine=i386:x86-64 bits="64-bit (x86-64)" ;;
    esac
    preset=$arch-release
    build=build/$preset
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    name=tagcfg-$version-$arch
    stage=$build/package/$name
    rm -rf "$build/package"
    cmake --install "$build" --prefix "$stage" >/dev/null

    # The import library for MSVC linkers. GNU dlltool's i686 one lacks what lld-link and link.exe
    # need under /SAFESEH; llvm-dlltool's is accepted (and decorates cdecl names as MSVC does).
    llvm-dlltool -m "$machine" -d "$stage/lib/tagcfg.def" -l "$stage/lib/tagcfg.lib"

    mkdir -p "$stage/debug"
    for program in tagcfg.dll tagcfg.exe opcsim.dll; do
        "$tools-objcopy" --only-keep-debug "$stage/bin/$program" "$stage/debug/$program.debug"
        "$tools-objcopy" --strip-all --add-gnu-debuglink="$stage/debug/$program.debug" "$stage/bin/$program"
    done

    mkdir -p "$stage/examples"
    cp -R examples/plant1 "$stage/examples/"
    # With CR LF line ends, for Windows editors.
    sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/g" -e "s/@BITS@/$bits/g" -e 's/$/\r/' \
        scripts/package/README.txt >"$stage/README.txt"
    (cd "$stage" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)

    # Entries in name order, with the commit's time and fixed modes and nothing else, so the zip
    # itself is repeatable too.
    chmod -R u=rwX,go=rX "$stage"
    find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    (cd "$build/package" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$repo/dist/$name.zip" -@)
    echo "package.sh: dist/$name.zip ($(stat -c %s "$stage/bin/tagcfg.dll") bytes of tagcfg.dll)"
done
