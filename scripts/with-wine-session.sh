#!/usr/bin/env bash
# with-wine-session.sh PREFIX command...
# Runs a command with one Xvfb display (24-bit, since "screen-compatible"
# bitmaps follow the screen depth) and one persistent wineserver on PREFIX,
# creating the prefix first; stops both afterwards.
set -uo pipefail
prefix=$1; shift
export WINEPREFIX=$prefix VXP_WINEPREFIX=$prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEARCH=win64

display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

"$(dirname "$0")/wine-prefix.sh" "$prefix"
wineserver -p >/dev/null 2>&1
# Start Wine's helper processes now, detached from the caller's output, so that
# the first test does not pay for them or hand them its pipes.
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
