#!/usr/bin/env bash
# Cross-builds the libraries the Windows build links statically, from
# Debian's own source packages, into a prefix outside the source tree:
#
#   bash scripts/windows/build-deps.sh x86_64|i686
#
# prints the prefix on its last line. The prefix is
# $KALVO5_WIN_DEPS_CACHE (default ~/.cache/kalvo5-win-deps) / <hash of this
# script and its patch filter> / <arch>, so a changed recipe builds anew and an
# unchanged one is reused. Both architectures get what the plug-in needs
# (zlib from libz-mingw-w64-dev, libpng, pixman, FreeType, cairo with only its
# image surface and FreeType fonts, TinyXML as Debian builds it) and what the
# meter command and the tests need (libsndfile without external codecs,
# libebur128, googletest from /usr/src/googletest).
#
# Sources come from `apt-get source --download-only` (a deb-src entry for the
# machine's archive is needed; scripts/windows/install-deps.sh adds one). Of
# Debian's patches, those that change library code are applied (see
# source-patches.py); where the archive serves only the upstream tarball, the
# tarball is built as it is.
set -euo pipefail

arch=${1:?usage: build-deps.sh x86_64|i686}
case "$arch" in
  x86_64 | i686) ;;
  *)
    echo "unknown architecture: $arch" >&2
    exit 2
    ;;
esac
triplet=$arch-w64-mingw32
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
jobs=${KALVO5_WIN_DEPS_JOBS:-2}

recipe_hash=$(cat "$here/build-deps.sh" "$here/source-patches.py" | sha256sum | cut -c1-16)
cache=${KALVO5_WIN_DEPS_CACHE:-$HOME/.cache/kalvo5-win-deps}
prefix=$cache/$recipe_hash/$arch
if [[ -f $prefix/.complete ]]; then
  echo "$prefix"
  exit 0
fi

sources=$cache/sources
work=$(mktemp -d "${TMPDIR:-/tmp}/kalvo5-win-deps.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Built in place (the libraries' package files name their prefix); the
# marker .complete comes last, so an interrupted build starts again.
staging=$prefix
rm -rf "$staging"
mkdir -p "$sources" "$staging"

log() { echo "[win-deps $arch] $*" >&2; }

# The .orig tarball (and the debian tarball when the archive has it) of a
# source package, downloaded once for both architectures.
fetch() {
  local package=$1
  if ! compgen -G "$sources/$package/*.orig.tar.*" >/dev/null; then
    log "fetching the source of $package"
    mkdir -p "$sources/$package"
    # Some mirrors lack a package's Debian part: what arrived is used.
    (cd "$sources/$package" && apt-get source --download-only "$package" >&2) || true
    if ! compgen -G "$sources/$package/*.orig.tar.*" >/dev/null; then
      echo "no source tarball for $package (is a deb-src entry configured?)" >&2
      exit 1
    fi
  fi
}

# Unpacks a package into $work/<package> and applies Debian's code patches.
unpack() {
  local package=$1 dir=$work/$1
  fetch "$package"
  mkdir -p "$dir"
  tar -xf "$(compgen -G "$sources/$package/*.orig.tar.*" | grep -v asc | grep -v -e -ft2 | head -1)" \
    -C "$dir" --strip-components=1
  local debian
  debian=$(compgen -G "$sources/$package/*.debian.tar.*" | head -1 || true)
  if [[ -n $debian ]]; then
    mkdir -p "$work/$package.debian"
    tar -xf "$debian" -C "$work/$package.debian"
    local series=$work/$package.debian/debian/patches/series
    if [[ -f $series ]]; then
      local patches=()
      while read -r name _; do
        [[ -z $name || $name == \#* ]] && continue
        patches+=("$work/$package.debian/debian/patches/$name")
      done <"$series"
      python3 "$here/source-patches.py" "${patches[@]}" >"$work/$package.code.patch"
      if [[ -s $work/$package.code.patch ]]; then
        log "applying Debian's code patches to $package"
        patch -d "$dir" -p1 --quiet <"$work/$package.code.patch"
      fi
    fi
  else
    log "$package: no Debian patches on this mirror, building the upstream tarball"
  fi
  echo "$dir"
}

# 32-bit code uses SSE2 arithmetic, as x86-64 does: the same rounding as the
# Linux build instead of the x87 unit's extended precision.
flags="-O2 -g0"
[[ $arch == i686 ]] && flags="$flags -msse2 -mfpmath=sse"
cmake_cross=(
  -G Ninja
  -DCMAKE_SYSTEM_NAME=Windows
  -DCMAKE_C_COMPILER=$triplet-gcc-posix
  -DCMAKE_CXX_COMPILER=$triplet-g++-posix
  -DCMAKE_RC_COMPILER=$triplet-windres
  -DCMAKE_FIND_ROOT_PATH="$staging;/usr/$triplet"
  -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER
  -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY
  -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_C_FLAGS_RELEASE="$flags"
  -DCMAKE_CXX_FLAGS_RELEASE="$flags"
  -DCMAKE_INSTALL_PREFIX="$staging"
  -DBUILD_SHARED_LIBS=OFF
)
autotools_cross=(
  --host=$triplet --prefix="$staging" --enable-static --disable-shared
  CC=$triplet-gcc-posix CFLAGS="$flags" CPPFLAGS="-I$staging/include" LDFLAGS="-L$staging/lib"
  PKG_CONFIG_LIBDIR="$staging/lib/pkgconfig" PKG_CONFIG_PATH=
)

cmake_build() {
  local src=$1
  shift
  cmake -S "$src" -B "$src/build" "${cmake_cross[@]}" "$@" >&2
  cmake --build "$src/build" -j "$jobs" >&2
  cmake --install "$src/build" >&2
}

# zlib: Debian's static MinGW build.
log "zlib from libz-mingw-w64-dev"
mkdir -p "$staging/include" "$staging/lib/pkgconfig"
cp /usr/$triplet/include/zlib.h /usr/$triplet/include/zconf.h "$staging/include/"
cp /usr/$triplet/lib/libz.a "$staging/lib/"
cat >"$staging/lib/pkgconfig/zlib.pc" <<EOF
prefix=$staging
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: zlib
Description: zlib compression library
Version: 1.2.13
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
EOF

log "libpng"
src=$(unpack libpng1.6)
cmake_build "$src" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY="$staging/lib/libz.a" -DZLIB_INCLUDE_DIR="$staging/include"

log "pixman"
src=$(unpack pixman)
cat >"$work/cross.ini" <<EOF
[binaries]
c = '$triplet-gcc-posix'
cpp = '$triplet-g++-posix'
ar = '$triplet-ar'
strip = '$triplet-strip'
windres = '$triplet-windres'
pkgconfig = 'false'

[built-in options]
c_args = [$(printf "'%s'," $flags)]

[host_machine]
system = 'windows'
cpu_family = '$([[ $arch == i686 ]] && echo x86 || echo x86_64)'
cpu = '$arch'
endian = 'little'
EOF
meson setup "$src/build" "$src" --cross-file "$work/cross.ini" --prefix "$staging" --libdir lib \
  --buildtype release -Ddefault_library=static -Dtests=disabled -Dgtk=disabled -Dlibpng=disabled \
  -Dopenmp=disabled >&2
ninja -C "$src/build" -j "$jobs" install >&2
# pixman marks its functions for export from a DLL of its own; linked into
# ours they must stay inside, so the export directives go.
$triplet-objcopy --remove-section=.drectve "$staging/lib/libpixman-1.a"

log "FreeType"
src=$(unpack freetype)
# With zlib from the prefix: its own copy would clash with libpng's at link time.
cmake_build "$src" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_PNG=ON \
  -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$staging/lib/libz.a" -DZLIB_INCLUDE_DIR="$staging/include"

# cairo's file opening on Windows converts names to UTF-16 with a helper that
# only the Windows surface or font would otherwise compile in.
log "cairo (image surface, FreeType fonts, PNG)"
src=$(unpack cairo)
(
  cd "$src"
  ./configure "${autotools_cross[@]}" \
    --enable-ft --disable-fc --enable-png \
    --disable-xlib --disable-xlib-xrender --disable-xcb --disable-win32 --disable-win32-font \
    --disable-ps --disable-pdf --disable-svg --disable-script --disable-interpreter --disable-trace \
    --disable-gobject --disable-valgrind --disable-symbol-lookup --disable-gtk-doc \
    FREETYPE_CFLAGS="-I$staging/include/freetype2" FREETYPE_LIBS="-L$staging/lib -lfreetype" \
    png_CFLAGS="-I$staging/include" png_LIBS="-L$staging/lib -lpng16 -lz" \
    pixman_CFLAGS="-I$staging/include/pixman-1" pixman_LIBS="-L$staging/lib -lpixman-1" \
    CPPFLAGS="-I$staging/include -DCAIRO_HAS_UTF8_TO_UTF16=1" >&2
  make -C src -j "$jobs" install >&2
)

log "TinyXML (with TIXML_USE_STL, as Debian builds it)"
src=$(unpack tinyxml)
for file in tinyxml tinystr tinyxmlerror tinyxmlparser; do
  $triplet-g++-posix $flags -DTIXML_USE_STL -c "$src/$file.cpp" -o "$src/$file.o"
done
$triplet-ar rcs "$staging/lib/libtinyxml.a" "$src"/tinyxml.o "$src"/tinystr.o "$src"/tinyxmlerror.o \
  "$src"/tinyxmlparser.o
cp "$src/tinyxml.h" "$src/tinystr.h" "$staging/include/"

log "libsndfile (WAV, AIFF and the other built-in formats)"
src=$(unpack libsndfile)
cmake_build "$src" -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_EXTERNAL_LIBS=OFF \
  -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF -DENABLE_PACKAGE_CONFIG=OFF -DINSTALL_PKGCONFIG_MODULE=ON

log "libebur128 (a test oracle)"
src=$(unpack libebur128)
cmake_build "$src" -DENABLE_INTERNAL_QUEUE_H=ON

log "googletest from /usr/src/googletest"
mkdir -p "$work/googletest"
cp -r /usr/src/googletest/. "$work/googletest/"
cmake_build "$work/googletest" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF

touch "$prefix/.complete"
# Prefixes of older recipes are not used again.
find "$cache" -mindepth 1 -maxdepth 1 -type d ! -name sources ! -name "$recipe_hash" -exec rm -rf {} +
log "done: $prefix"
echo "$prefix"
