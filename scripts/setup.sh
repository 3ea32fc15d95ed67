#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing (Debian 12, as root or with sudo).
# The host loads the 32-bit DLL, so 32-bit Wine (wine32 from the i386 architecture) is required
# wherever the kernel executes 32-bit programs; where it does not, the i686 builds are made and
# checked but not run, and the setup says so.
set -euo pipefail
probe32=$(dirname "$0")/../tools/wine/probe32.sh

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine32:i386 xvfb x11-utils
          lld llvm zip pkg-config clang-format clang-tidy)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# Whether apt knows where to get a package (an index that failed to download leaves it unknown).
available() { apt-cache policy "$1" 2>/dev/null | grep -q 'Candidate: [^(]'; }

# Whether 32-bit Wine runs here; a kernel that cannot execute 32-bit programs is no fault of the
# setup, a missing or broken Wine is.
check_wine32() {
  local reason status=0
  reason=$("$probe32") || status=$?
  if [ "$status" -eq 2 ]; then
    echo "setup.sh: $reason" >&2
    exit 1
  fi
  if [ "$status" -eq 1 ] && [ "$1" = report ]; then
    echo "setup.sh: $reason: the i686 DLL is built and checked here, its tests are not run"
  fi
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -eq 0 ]; then
  check_wine32 quiet
  exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture for 32-bit Wine"
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq || true
if ! available wine32:i386; then
  echo "The i386 package index did not arrive; updating once more"
  $SUDO apt-get update -qq || true
fi

echo "Installing: ${missing[*]}"
# With their recommends: Wine draws its windows through X libraries it only recommends.
if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null; then
  if ! available wine32:i386; then
    echo "setup.sh: cannot install wine32:i386 (32-bit Wine): apt has no i386 package index." >&2
    echo "setup.sh: the 32-bit DLL the host loads cannot be tested without it." >&2
  fi
  echo "setup.sh: installing ${missing[*]} failed" >&2
  exit 1
fi
check_wine32 report
