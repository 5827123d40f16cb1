#!/usr/bin/env bash
# Sets up the machine, builds the Windows x86_64 programs and runs them under
# Wine on the given image (default: a picture generated here).
#   scripts/run.sh [image]
# The windowed program is not built yet; until it is, this runs the image tool
# of the test tree, which decodes the image with the program's readers,
# prints the decoder's progress and writes the result back as a bitmap.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorantix-ccache}

scripts/setup.sh
cmake --preset mingw-x64 >/dev/null
cmake --build --preset mingw-x64 --target codecs_imgtool | tail -n 20

out=$root/build/run
mkdir -p "$out"
image=${1:-}
if [ -z "$image" ]; then
  image=$out/sample.bmp
  /usr/bin/convert -seed 7 -size 640x400 plasma:fractal BMP3:"$image" 2>/dev/null ||
    /usr/bin/convert -size 640x400 gradient:navy-orange BMP3:"$image"
fi
image=$(readlink -f "$image")

exec scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" \
  scripts/wine-run.sh "$(find build/mingw-x64 -name codecs_imgtool.exe | head -n 1)" \
  "Z:$image" "Z:$out/decoded.bmp"
