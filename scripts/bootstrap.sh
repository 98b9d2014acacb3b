#!/usr/bin/env bash
# Installs, from Debian's packages, what the build and the tests need:
# the i686 and x86_64 MinGW-w64 cross compilers with windres, Wine for 32-bit and
# 64-bit prefixes, CMake, GoogleTest's source and the picture tools.
# Does nothing when everything is already present.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
      binutils-mingw-w64-x86-64 wine wine32:i386 wine64
      googletest python3 imagemagick xvfb x11-apps xdotool fonts-wine)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "bootstrap: installing ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
