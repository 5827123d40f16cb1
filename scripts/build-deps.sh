#!/usr/bin/env bash
# Cross-builds the static MinGW-w64 libraries that Debian does not package
# (libjpeg-turbo, libpng, libtiff) from Debian's own source packages.
# zlib comes from libz-mingw-w64-dev. Results go to a cache outside the
# source tree, keyed by triplet and source version, and are reused when present:
#   ${VXP_DEPS_CACHE:-~/.cache/velmorantix-deps}/<triplet>   (prefix used by the toolchain)
# Usage: build-deps.sh [x86_64-w64-mingw32] [i686-w64-mingw32]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VXP_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorantix-deps}
triplets=("$@")
[ ${#triplets[@]} -gt 0 ] || triplets=(x86_64-w64-mingw32 i686-w64-mingw32)
packages=(libjpeg-turbo libpng1.6 tiff)

src=$cache/src
mkdir -p "$src"

# One run at a time per cache: a second run started meanwhile would remove
# and rebuild the prefix and sources the first one is working in. It waits,
# then finds the cache built (or builds what is still missing).
exec 9>"$cache/.lock"
if ! flock -n 9; then
  echo "build-deps: waiting for another run on $cache"
  flock 9
fi

# Debian source packages need a deb-src line; keep it in a file of our own.
ensure_deb_src() {
  local list=/etc/apt/sources.list.d/velmorantix-src.sources
  if [ ! -f "$list" ]; then
    local suite
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    cat >"$list" <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
  fi
}

source_version() { # package -> version apt would fetch
  apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -V | tail -n 1
}

fetch_sources() {
  ensure_deb_src
  for p in "${packages[@]}"; do
    local v
    v=$(source_version "$p")
    [ -n "$v" ] || { echo "build-deps: no source package for $p" >&2; exit 1; }
    if [ ! -f "$src/$p-$v.stamp" ]; then
      local tmp
      tmp=$(mktemp -d "$src/fetch-XXXXXX")
      (cd "$tmp" && apt-get source -qq --download-only "$p" >/dev/null 2>&1 && dpkg-source -x *.dsc "$p" >/dev/null 2>&1)
      rm -rf "${src:?}/$p"
      mv "$tmp/$p" "$src/$p"
      rm -rf "$tmp"
      touch "$src/$p-$v.stamp"
    fi
    echo "$p=$v"
  done
}

build_one() { # triplet package builddir cmake-args...
  local triplet=$1 pkg=$2 bdir=$3; shift 3
  local proc=${triplet%%-*}
  local prefix=$cache/$triplet
  cmake -S "$src/$pkg" -B "$bdir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-$proc.cmake" \
    -DVXP_DEPS_PREFIX="$prefix" \
    -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON "$@" >"$bdir.log" 2>&1 || { tail -40 "$bdir.log"; exit 1; }
  cmake --build "$bdir" >>"$bdir.log" 2>&1 || { tail -40 "$bdir.log"; exit 1; }
  cmake --install "$bdir" >>"$bdir.log" 2>&1 || { tail -40 "$bdir.log"; exit 1; }
}

versions=$(fetch_sources | tr '\n' ' ')
key=$(echo "$versions" | md5sum | cut -c1-12)

for triplet in "${triplets[@]}"; do
  prefix=$cache/$triplet
  if [ -f "$prefix/.built-$key" ]; then
    echo "build-deps: $triplet up to date ($versions)"
    continue
  fi
  echo "build-deps: building $triplet ($versions)"
  rm -rf "$prefix" "$cache/build-$triplet"
  mkdir -p "$prefix" "$cache/build-$triplet"
  b=$cache/build-$triplet
  build_one "$triplet" libjpeg-turbo "$b/jpeg" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DWITH_JPEG8=OFF
  build_one "$triplet" libpng1.6 "$b/png" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF
  build_one "$triplet" tiff "$b/tiff" \
    -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-docs=OFF -Dtiff-contrib=OFF \
    -Dwebp=OFF -Dzstd=OFF -Dlzma=OFF -Djbig=OFF -Dlerc=OFF -Dlibdeflate=OFF -Dcxx=OFF
  rm -rf "$b"
  touch "$prefix/.built-$key"
done
