#!/usr/bin/env bash
# Regenerates docs/screenshot.png (the program started on its home folder) and
# docs/viewer.png (a viewer opened on a generated picture), each inside Wine's
# virtual desktop on a private Xvfb display, captured after it settles.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh >/dev/null
cmake --preset mingw-x64 >/dev/null
cmake --build --preset mingw-x64 --target VelmorantixXP >/dev/null
exe=$(find build/mingw-x64 -name VelmorantixXP.exe | head -n 1)
mkdir -p docs
shot=$root/docs/screenshot.png
# Inside the session script: start the desktop with the program, wait for its
# frame, capture the screen, then ask the program to quit.
scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" bash -c '
  wine explorer /desktop=Velmorantix,1024x768 "$1" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 60); do
    sleep 0.5
    xwininfo -root -tree 2>/dev/null | grep -q "\"Velmorantix XP\"" && break
  done
  sleep 2
  /usr/bin/import -window root -crop 1024x768+0+0 +repage "$2"
  wine "$1" /Shutdown </dev/null >/dev/null 2>&1 || true
  kill $! 2>/dev/null || true
' _ "$exe" "$shot"
echo "wrote $shot"

# The viewer: a picture made here, in a folder of three so the title shows a place.
pictures=$(mktemp -d "${TMPDIR:-/tmp}/vxp-shot-XXXXXX")
trap 'rm -rf "$pictures"' EXIT
/usr/bin/convert -size 640x480 -seed 11 plasma:fractal -blur 0x2 "$pictures/garden.jpg"
/usr/bin/convert -size 640x480 gradient:skyblue-navy "$pictures/harbour.jpg"
/usr/bin/convert -size 640x480 radial-gradient:gold-firebrick "$pictures/sunset.jpg"
viewer_shot=$root/docs/viewer.png
scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" bash -c '
  wine reg add "HKCU\Software\Velmorantix\Velmorantix XP" /v ViewerZoomType /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
  wine explorer /desktop=Velmorantix,1024x768 "$1" "Z:${3//\//\\}" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 60); do
    sleep 0.5
    xwininfo -root -tree 2>/dev/null | grep -q "(1 of 3)" && break
  done
  sleep 2
  /usr/bin/import -window root -crop 1024x768+0+0 +repage "$2"
  wine "$1" /Shutdown </dev/null >/dev/null 2>&1 || true
  kill $! 2>/dev/null || true
' _ "$exe" "$viewer_shot" "$pictures/garden.jpg"
echo "wrote $viewer_shot"
