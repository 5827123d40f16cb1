#!/usr/bin/env bash
# Sets up the machine (once), builds the Windows x86_64 program and starts it
# under Wine: on this machine's display when there is one, otherwise on a
# virtual X server (Xvfb), which is said on the terminal.
#   scripts/run.sh [path]    (a folder or image for the program to open;
#                            default: pictures generated here, in the viewer)
# The set-up runs again only when its scripts change or the x86_64 libraries
# are gone; CMake configures only a tree that has not been configured (the
# build itself re-runs CMake when a list file changes). VXP_RUN_PREFIX chooses
# another Wine prefix than the build tree's.
# When the program cannot be built, the image tool of the test tree runs
# instead on the given image (default: a picture generated here), decoding it
# with the program's readers and writing the result back as a bitmap.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorantix-ccache}

triplet=x86_64-w64-mingw32
deps=${VXP_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorantix-deps}/$triplet
stamp=$root/build/run/setup.stamp
wanted=$(cat scripts/setup.sh scripts/build-deps.sh | sha1sum | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ] || [ ! -d "$deps" ]; then
  # Only the libraries of the program that runs here: the 32-bit ones serve
  # the i686 build, which this command never starts.
  scripts/setup.sh "$triplet"
  mkdir -p "$(dirname "$stamp")"
  echo "$wanted" >"$stamp"
fi
[ -f build/mingw-x64/build.ninja ] || cmake --preset mingw-x64 >/dev/null
prefix=${VXP_RUN_PREFIX:-$root/build/mingw-x64/wineprefix}
arg=${1:-}
if [ -z "$arg" ]; then
  # Something to look at: three pictures made here, opened in the viewer
  # (Space or the arrows step through them).
  pictures=$root/build/run/pictures
  mkdir -p "$pictures"
  [ -f "$pictures/garden.jpg" ] ||
    /usr/bin/convert -size 800x600 -seed 11 plasma:fractal -blur 0x2 "$pictures/garden.jpg"
  [ -f "$pictures/harbour.jpg" ] ||
    /usr/bin/convert -size 800x600 gradient:skyblue-navy "$pictures/harbour.jpg"
  [ -f "$pictures/sunset.png" ] ||
    /usr/bin/convert -size 800x600 radial-gradient:gold-firebrick "$pictures/sunset.png"
  arg=$pictures/garden.jpg
fi

if cmake --build --preset mingw-x64 --target VelmorantixXP | tail -n 20; then
  exe=build/mingw-x64/program/VelmorantixXP.exe
  args=()
  [ -n "$arg" ] && args=("Z:$(readlink -f "$arg")")
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Starting Velmorantix XP under Wine on display $DISPLAY"
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
    scripts/wine-prefix.sh "$prefix"
    exec wine "$exe" "${args[@]}"
  fi
  echo "No display found: starting Velmorantix XP under Wine on a virtual X server (Xvfb)."
  echo "It runs until it is ended (Ctrl+C, or: wine $exe /Shutdown)."
  exec scripts/with-wine-session.sh "$prefix" \
    scripts/wine-run.sh "$exe" "${args[@]}"
fi

echo "The program did not build; running the image tool instead." >&2
cmake --build --preset mingw-x64 --target codecs_imgtool | tail -n 20
out=$root/build/run
mkdir -p "$out"
image=$arg
if [ ! -f "$image" ]; then
  image=$out/sample.bmp
  /usr/bin/convert -seed 7 -size 640x400 plasma:fractal BMP3:"$image" 2>/dev/null ||
    /usr/bin/convert -size 640x400 gradient:navy-orange BMP3:"$image"
fi
image=$(readlink -f "$image")
exec scripts/with-wine-session.sh "$prefix" \
  scripts/wine-run.sh "$(find build/mingw-x64 -name codecs_imgtool.exe | head -n 1)" \
  "Z:$image" "Z:$out/decoded.bmp"
