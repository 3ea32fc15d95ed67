#!/bin/bash
# The release packages as an integrator receives them (dist/, from scripts/package.sh). Each zip
# is unpacked into a fresh folder and must hold exactly the documented files with matching
# SHA256SUMS; its DLL must be a stripped PE of its architecture that imports only system DLLs
# (its exports and version resource are those the Windows suite checks in the build). Then a small
# C host (host.c) is built against only the package's include/ and lib/tagcfg.lib with clang and
# lld-link, the MSVC-compatible linker (/SAFESEH on for i686), and run under Wine with the
# packaged DLL, as is the packaged host program. Where this machine's kernel cannot execute 32-bit
# programs (tools/wine/probe32.sh), the win32 package is checked and its host built, not run.
set -u
cd "$(dirname "$0")/../.."
repo=$(pwd)
here=$repo/tests/package
wine_run=$repo/tools/wine/run.sh
allowed_imports="advapi32.dll comctl32.dll gdi32.dll kernel32.dll mpr.dll msvcrt.dll ole32.dll oleaut32.dll user32.dll"
wine32_reason=$(tools/wine/probe32.sh)
wine32=$?
failed=0
package_failed=0
fail() { echo "tests/package: $name: $*"; failed=1; package_failed=1; }
record() { [ -z "${TAGCFG_TEST_RESULTS:-}" ] || echo "$*" >>"$TAGCFG_TEST_RESULTS"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check_package() {  # ZIP ARCH
    local zip=$1 arch=$2 target machine pe_format
    case $arch in
        win32) target=i686-pc-windows-msvc machine=i386 pe_format=pei-i386 ;;
        win64) target=x86_64-pc-windows-msvc machine=i386:x86-64 pe_format=pei-x86-64 ;;
    esac
    name=$(basename "$zip" .zip)
    local unpacked=$work/$arch root=$work/$arch/$name
    mkdir -p "$unpacked/saved"  # the host saves into ../saved
    (cd "$unpacked" && cmake -E tar xf "$repo/$zip") || { fail "cannot unpack"; return; }

    local expected actual
    expected=$( (printf '%s\n' README.txt SHA256SUMS bin/opcsim.dll bin/tagcfg.dll bin/tagcfg.exe \
                     debug/opcsim.dll.debug debug/tagcfg.dll.debug debug/tagcfg.exe.debug include/tagcfg.h \
                     lib/libtagcfg.dll.a lib/tagcfg.def lib/tagcfg.lib
                 (cd examples && find plant1 -type f | sed 's|^|examples/|')) | sed "s|^|$name/|" | LC_ALL=C sort)
    actual=$(cd "$unpacked" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    [ "$actual" = "$expected" ] || { fail "layout differs:"; diff <(echo "$expected") <(echo "$actual"); }
    (cd "$root" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS do not match"

    local dll=$root/bin/tagcfg.dll
    objdump -f "$dll" | grep -q "file format $pe_format" || fail "tagcfg.dll is not $pe_format"
    objdump -h "$dll" | grep -q '\.debug_' && fail "tagcfg.dll carries debug information"
    objdump -t "$dll" | grep -q 'no symbols' || fail "tagcfg.dll keeps its symbol table"
    objdump -s -j .gnu_debuglink "$dll" | grep -q 'tagcfg.dll.debug' || fail "tagcfg.dll does not name its debug file"
    objdump -h "$root/debug/tagcfg.dll.debug" | grep -q '\.debug_info' || fail "tagcfg.dll.debug has no debug information"
    for import in $(objdump -p "$dll" | awk '/DLL Name:/ {print tolower($3)}'); do
        [[ " $allowed_imports " == *" $import "* ]] || fail "tagcfg.dll imports $import"
    done

    # The host, built only from what the package gives it (and clang's own freestanding headers).
    local safeseh=
    [ "$arch" = win32 ] && safeseh=/safeseh
    if ! { clang --target=$target -ffreestanding -O2 -Wall -Werror -I "$root/include" \
               -c "$here/host.c" -o "$work/$arch.obj" &&
           llvm-dlltool -m $machine -d "$here/msvcrt.def" -l "$work/$arch-msvcrt.lib" &&
           lld-link /nologo /nodefaultlib /subsystem:console /entry:host_start $safeseh "$work/$arch.obj" \
               "$root/lib/tagcfg.lib" "$work/$arch-msvcrt.lib" /out:"$root/bin/host.exe"; }; then
        fail "the host does not build against the package"
        return
    fi
    if [ "$arch" = win32 ] && [ "$wine32" -eq 1 ]; then
        echo "tests/package: $name: its host and tagcfg.exe NOT RUN: $wine32_reason"
        host_not_run=${wine32_reason%%:*}
        return
    fi
    # The Windows suite's prefix of the same build: already made when scripts/test.sh gets here.
    local prefix=$repo/build/$arch/wineprefix
    # Beside the DLL, where the loader finds it; run from the package's folder.
    (cd "$root" && "$wine_run" "$prefix" bin/host.exe) || fail "the host failed"
    for file in plant1_opc0.cnf plant1_opc1.cnf; do  # the sample's files in the library's own form
        cmp -s "$root/examples/plant1/$file" "$unpacked/saved/$file" || fail "the host's save of $file differs"
    done
    # The CSV round trip: standard output carries the file's bytes (CR LF, not CR CR LF), and
    # importing them back leaves every file of the set as SHA256SUMS has it.
    (cd "$root" && "$wine_run" "$prefix" bin/tagcfg.exe export examples/plant1 plant1 plant1.csv &&
        "$wine_run" "$prefix" bin/tagcfg.exe export examples/plant1 plant1 >stdout.csv && cmp plant1.csv stdout.csv &&
        "$wine_run" "$prefix" bin/tagcfg.exe import examples/plant1 plant1 plant1.csv && sha256sum --quiet -c SHA256SUMS) ||
        fail "the CSV round trip through tagcfg.exe changed bytes"
}

started=$(date +%s)
for arch in win32 win64; do
    zips=(dist/tagcfg-*-$arch.zip)
    if [ ${#zips[@]} -ne 1 ] || [ ! -f "${zips[0]}" ]; then
        echo "tests/package: need exactly one dist/tagcfg-*-$arch.zip (scripts/package.sh makes it)"
        record "$arch package FAILED (no zip)"
        failed=1
        continue
    fi
    package_failed=0 host_not_run=
    check_package "${zips[0]}" "$arch"
    result="passed"
    [ -n "$host_not_run" ] && result="checked, its host NOT RUN ($host_not_run)"
    [ "$package_failed" -ne 0 ] && result="FAILED"
    record "$arch package $result"
done
[ "$failed" -eq 0 ] && echo "tests/package: both packages hold, in $(( $(date +%s) - started )) s"
exit "$failed"
