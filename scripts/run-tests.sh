#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the program and the
# tests, prepares the Wine prefix, runs every test through CTest and stops
# only the wineserver that it started. Exits non-zero on any failure.
#   run-tests.sh BUILD_DIR [ctest args...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-build}"); shift || true
jobs=$(nproc)

"$top/scripts/bootstrap.sh"

# The product itself: build/setup.exe, 32-bit. The tests check it as a file.
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$jobs"

run_suite() {   # arch toolchain loader
    local arch=$1 toolchain=$2 loader=$3; shift 3
    local tb="$build/tests-$arch" prefix="$build/wine-$arch"
    cmake -S "$top" -B "$tb" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" \
          -DCMAKE_BUILD_TYPE=Debug -DSETUP_BUILD_TESTS=ON \
          -DSETUP_WINEPREFIX="$prefix" -DSETUP_PRODUCT_EXE="$build/setup.exe" >/dev/null
    cmake --build "$tb" -j"$jobs"
    "$top/scripts/wine-prefix.sh" up "$loader" "$prefix"
    local rc=0
    (cd "$tb" && WINEPREFIX="$prefix" ctest --output-on-failure --timeout 180 "$@") || rc=$?
    "$top/scripts/wine-prefix.sh" down "$loader" "$prefix"
    return $rc
}

rc=0
run_suite win64 mingw-x86_64.cmake /usr/lib/wine/wine64 "$@" || rc=1

# A 32-bit prefix needs a kernel that runs 32-bit Linux programs (Wine's own
# 32-bit loader). Where it does, the 32-bit build of the tests runs there too.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    run_suite win32 mingw-i686.cmake /usr/lib/wine/wine "$@" || rc=1
else
    echo "run-tests: this kernel does not run 32-bit Linux programs; no win32 prefix here (see docs/testing.md)"
fi
exit $rc
