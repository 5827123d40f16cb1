#!/usr/bin/env bash
# Open-and-draw cost of the viewer under a warm Wine: for a 4000x3000 JPEG and
# a BMP of the same size, the time from the open request to the first band on
# screen and to the whole image, beside the reader's decode alone, in one run.
# The viewer shows images at actual size here (ViewerZoomType 0), so it decodes
# the whole file, as the reader alone does. VXP_BENCH_ZOOM_TYPE chooses another
# zoom type (2: shrink to fit, the default of the program); a JPEG is then
# decoded reduced, so only the BMP line stays comparable.
#
#   bench/viewer/run.sh [runs]        (default 7)
#
# The build folder defaults to the preset's (build/mingw-x64), reconfigured
# with -DVXP_BENCH=ON; VXP_BENCH_WIN_BUILD chooses another. The prefix is
# VXP_BENCH_PREFIX (default $TMPDIR/vxp-bench-viewer-prefix).
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
win=${VXP_BENCH_WIN_BUILD:-$root/build/mingw-x64}
prefix=${VXP_BENCH_PREFIX:-${TMPDIR:-/tmp}/vxp-bench-viewer-prefix}
runs=${1:-7}
zoom_type=${VXP_BENCH_ZOOM_TYPE:-0}

cmake -S "$root" -B "$win" -DVXP_BENCH=ON >/dev/null &&
  cmake --build "$win" --target VelmorantixXP viewer_draw_probe >/dev/null || {
  echo "run.sh: building in $win failed" >&2
  exit 1
}
app=$win/program/VelmorantixXP.exe
probe=$(find "$win" -name viewer_draw_probe.exe | head -n 1)
work=$(mktemp -d "${TMPDIR:-/tmp}/vxp-bench-viewer-XXXXXX")
trap 'rm -rf "$work"' EXIT

# A photograph-like picture: smooth areas and detail, so the JPEG is of a
# usual size for 12 megapixels.
mkdir -p "$work/jpeg" "$work/bmp"
/usr/bin/convert -size 1000x750 -seed 7 plasma:fractal -blur 0x1 -resize 4000x3000! \
  \( -size 4000x3000 xc: -seed 3 +noise Gaussian -colorspace Gray -evaluate multiply 0.15 \) \
  -compose overlay -composite -quality 90 "$work/jpeg/big.jpg" || exit 1
/usr/bin/convert "$work/jpeg/big.jpg" -type TrueColor "BMP3:$work/bmp/big.bmp" || exit 1

winpath() { echo "Z:${1//\//\\}"; }
session() {
  local key='HKCU\Software\Velmorantix\Velmorantix XP'
  wine reg add "$key" /v TrayIcon /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$key" /v ViewerZoomType /t REG_DWORD /d "$zoom_type" /f >/dev/null 2>&1
  wine reg add "$key" /v ViewerResizeFitImage /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$key" /v ShowWelcome /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # No read-ahead of the next file: it would decode beside the next measured
  # open, and an image it finished is shown at once, without the bands.
  wine reg add "$key" /v ViewerPreload /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine "$probe" "$app" "$runs" "$(winpath "$work/jpeg/big.jpg")" "$(winpath "$work/bmp/big.bmp")"
}
export -f session winpath
export probe app runs work zoom_type
"$root/scripts/with-wine-session.sh" "$prefix" bash -c session
