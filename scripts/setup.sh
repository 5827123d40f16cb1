#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine
# (as root), then cross-builds the MinGW dependencies into the cache:
#   setup.sh [triplet...]   (default: x86_64 and i686; see build-deps.sh)
# The i386 architecture is never enabled: the 32-bit build compiles and links
# only, and the Windows tests run under 64-bit Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  # toolchains and build
  cmake ninja-build ccache g++ clang libclang-rt-14-dev clang-format dpkg-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools nasm
  # Windows test environment
  wine wine64 xvfb xauth x11-utils
  # libraries: native -dev packages; zlib for MinGW
  googletest zlib1g-dev libpng-dev libjpeg62-turbo-dev libtiff-dev libz-mingw-w64-dev
  # benchmarks compare against these
  libvips-dev libvips-tools libsqlite3-dev liblmdb-dev libarchive-tools
  libturbojpeg0-dev
  # fixture generators and oracles
  python3 python3-pil imagemagick netpbm zip unzip p7zip-full libjpeg-turbo-progs libtiff-tools
  libimage-exiftool-perl gifsicle icoutils ghostscript
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$root/scripts/build-deps.sh" "$@"
