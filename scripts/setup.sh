#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing (Debian 12, as root or with sudo).
# The host loads the 32-bit DLL, so 32-bit Wine (wine32 from the i386 architecture) is required.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine32:i386 xvfb x11-utils
          lld llvm zip pkg-config clang-format clang-tidy)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# Whether apt knows where to get a package (an index that failed to download leaves it unknown).
available() { apt-cache policy "$1" 2>/dev/null | grep -q 'Candidate: [^(]'; }

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0

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
if [ ! -x /usr/lib/wine/wine ]; then
  echo "setup.sh: wine32:i386 is installed but Wine's 32-bit loader /usr/lib/wine/wine is missing" >&2
  exit 1
fi
