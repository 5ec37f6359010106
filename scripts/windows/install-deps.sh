#!/usr/bin/env bash
# The Debian packages the Windows build and its tests need: the MinGW-w64
# compilers (POSIX threads), zlib for them, meson for pixman, Wine to run the
# tests (64- and 32-bit: wine32 comes from the i386 architecture, added to
# dpkg when missing), and a deb-src entry for the machine's own archive so that
# build-deps.sh can fetch Debian's source packages. Called by
# scripts/install-deps.sh and scripts/windows/build.sh; quick when all is
# there.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev meson wine64 wine32:i386
  libgtest-dev python3 patch xz-utils)
missing=()
SUDO=$([[ $(id -u) == 0 ]] && echo "" || echo sudo)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=(update)
fi
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done

sources=/etc/apt/sources.list.d/kalvo5-debian-src.sources
if ! grep -rqs "^Types:.*deb-src\|^deb-src " /etc/apt/sources.list /etc/apt/sources.list.d/; then
  # The source entries of the archives the machine installs from.
  for list in /etc/apt/sources.list.d/debian.sources; do
    [[ -f $list ]] && sed 's/^Types: deb$/Types: deb-src/' "$list" >"$sources"
  done
  missing+=(update)
fi

if ((${#missing[@]})); then
  $SUDO apt-get update -qq
  [[ ${missing[*]} =~ ^(update ?)*$ ]] || $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    "${packages[@]}" >/dev/null
fi
