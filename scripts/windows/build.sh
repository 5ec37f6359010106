#!/usr/bin/env bash
# Builds the Windows plug-in and meter from this Debian machine:
#
#   bash scripts/windows/build.sh
#
# leaves Kalvo5.dll and tools/kalvo5-meter.exe in build-win64 (x64) and
# build-win32 (x86-32). It installs what it needs (MinGW-w64, the cross-built
# libraries of build-deps.sh, cached outside the tree), configures a Linux
# build in build/ when there is none (its generators draw the editor's bitmaps
# and typeset the manual the DLLs embed), and builds the unit tests of both
# architectures too (scripts/windows/wine-tests.sh runs them under Wine).
#
# Environment: KALVO5_HOST_BUILD (the Linux build folder, default build),
# KALVO5_WIN_JOBS (default 2), KALVO5_WIN_TESTS=0 to skip the tests.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
jobs=${KALVO5_WIN_JOBS:-2}
host=$(realpath -m "${KALVO5_HOST_BUILD:-build}")
tests=${KALVO5_WIN_TESTS:-1}

bash scripts/windows/install-deps.sh >&2

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

if [[ ! -f $host/CMakeCache.txt ]]; then
  cmake -S . -B "$host" -G Ninja "${launcher[@]}"
fi
cmake --build "$host" -j "$jobs" --target kalvo5_artwork_bitmaps kalvo5_manual_pdf

deps64=$(bash scripts/windows/build-deps.sh x86_64 | tail -1)
deps32=$(bash scripts/windows/build-deps.sh i686 | tail -1)

configure() {
  local folder=$1 arch=$2 deps=$3
  shift 3
  cmake -S . -B "$folder" -G Ninja "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-$arch.cmake" \
    -DKALVO5_WIN_DEPS="$deps" -DKALVO5_HOST_BUILD="$host" \
    -DKALVO5_WERROR=ON "$@"
}

# ctest runs the test programs with the Wine of their architecture.
tests_on=$([[ $tests == 1 ]] && echo ON || echo OFF)
configure build-win64 x86_64 "$deps64" -DKALVO5_TESTS="$tests_on" -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64
cmake --build build-win64 -j "$jobs"

configure build-win32 i686 "$deps32" -DKALVO5_TESTS="$tests_on" -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine
cmake --build build-win32 -j "$jobs"

echo "built: Kalvo5.dll and tools/kalvo5-meter.exe in build-win64 (x64) and build-win32 (x86-32)"
