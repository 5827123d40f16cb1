#!/usr/bin/env bash
# Start-up of the explorer under a warm Wine on a folder of 500 photographs
# whose thumbnails are all cached: from starting the program until the first
# screen of thumbnails and the preview are on the display, beside starting it
# on the folder's first image until the viewer shows it, in one run (see
# explorer_start_probe.cpp). The explorer should stay within 1.5 times the
# viewer.
#
#   bench/explorer/run.sh [runs]        (default 7)
#
# The build folder defaults to the preset's (build/mingw-x64), reconfigured
# with -DVXP_BENCH=ON; VXP_BENCH_WIN_BUILD chooses another. The prefix is
# VXP_BENCH_PREFIX (default $TMPDIR/vxp-bench-explorer-prefix).
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
win=${VXP_BENCH_WIN_BUILD:-$root/build/mingw-x64}
prefix=${VXP_BENCH_PREFIX:-${TMPDIR:-/tmp}/vxp-bench-explorer-prefix}
runs=${1:-7}
items=500

cmake -S "$root" -B "$win" -DVXP_BENCH=ON >/dev/null &&
  cmake --build "$win" --target VelmorantixXP explorer_start_probe >/dev/null || {
  echo "run.sh: building in $win failed" >&2
  exit 1
}
app=$win/program/VelmorantixXP.exe
probe=$(find "$win" -name explorer_start_probe.exe | head -n 1)
work=$(mktemp -d "${TMPDIR:-/tmp}/vxp-bench-explorer-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Eight photograph-like pictures of 1600x1200 (smooth areas and grain), each
# with a patch of one colour in its middle that the probe looks for on the
# screen; the folder holds copies of them under 500 names. It lies on the
# prefix's own drive C: (folders under Z: show no thumbnails yet).
mkdir -p "$work/photos"
for i in 0 1 2 3 4 5 6 7; do
  /usr/bin/convert -size 512x384 -seed $((11 + i)) plasma:fractal -blur 0x2 -resize 1600x1200! \
    \( -size 1600x1200 xc: -seed $((40 + i)) +noise Gaussian -colorspace Gray \
       -evaluate multiply 0.12 \) -compose overlay -composite \
    -fill 'rgb(230,30,200)' -draw 'rectangle 560,440 1040,760' \
    -quality 88 "$work/base$i.jpg" || exit 1
done
for n in $(seq 0 $((items - 1))); do
  cp "$work/base$((n % 8)).jpg" "$work/photos/$(printf 'photo%03d.jpg' "$n")"
done

session() {
  local photos="$WINEPREFIX/drive_c/bench-photos"
  rm -rf "$photos" && cp -r "$work/photos" "$photos" || return 1
  local key='HKCU\Software\Velmorantix\Velmorantix XP'
  wine reg add "$key" /v TrayIcon /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add "$key" /v ShowWelcome /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine "$probe" "$app" 'C:\bench-photos' 'C:\bench-photos\photo000.jpg' "$items" "$runs"
}
export -f session
export probe app runs work items
"$root/scripts/with-wine-session.sh" "$prefix" bash -c session
