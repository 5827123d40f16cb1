#!/usr/bin/env bash
# Start-up cost of VelmorantixXP.exe under a warm Wine, next to the floor that
# Wine itself imposes (a trivial program that only opens a window):
#   answer  - process start until the hidden window answers a sent message
#             (for the trivial program: until its window answers);
#   visible - process start until the first frame is visible.
# Both programs run in one Wine session (one Xvfb, one wineserver, one prefix)
# after a discarded warm-up run each, and the medians are compared.
# Then the run command, `scripts/run.sh PICTURE` on a built tree, is timed
# against `wine VelmorantixXP.exe PICTURE` until the picture's viewer is on the
# display (the run command should stay within 1.5 times the direct start).
#
#   bench/startup/run.sh [runs]        (default 10)
#
# The build folder defaults to the preset's (build/mingw-x64) and must have
# been configured with -DVXP_BENCH=ON; VXP_BENCH_WIN_BUILD chooses another.
# The prefix is VXP_BENCH_PREFIX (default $TMPDIR/vxp-bench-startup-prefix).
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
win=${VXP_BENCH_WIN_BUILD:-$root/build/mingw-x64}
prefix=${VXP_BENCH_PREFIX:-${TMPDIR:-/tmp}/vxp-bench-startup-prefix}
runs=${1:-10}

cmake --build "$win" --target VelmorantixXP startup_probe trivial_window >/dev/null || {
  echo "run.sh: building in $win failed (configured with -DVXP_BENCH=ON?)" >&2
  exit 1
}
app=$win/program/VelmorantixXP.exe
probe=$(find "$win" -name startup_probe.exe | head -n 1)
trivial=$(find "$win" -name trivial_window.exe | head -n 1)
logs=$(mktemp -d "${TMPDIR:-/tmp}/vxp-bench-startup-XXXXXX")
trap 'rm -rf "$logs"' EXIT

# Inside the session: warm up, then time each program. The options key gets
# TrayIcon=0 so that the first frame is the explorer and no tray is involved.
session() {
  wine reg add 'HKCU\Software\Velmorantix\Velmorantix XP' /v TrayIcon /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
  wine "$probe" 1 HiddenWnd MainFrame copydata "$app" >/dev/null 2>&1
  wine "$probe" 1 TrivialWnd TrivialWnd close "$trivial" >/dev/null 2>&1
  wine "$probe" "$runs" HiddenWnd MainFrame copydata "$app" >"$logs/app.txt" 2>&1 || return 1
  wine "$probe" "$runs" TrivialWnd TrivialWnd close "$trivial" >"$logs/trivial.txt" 2>&1 || return 1
}
export -f session
export probe app trivial runs logs
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
if ! "$root/scripts/with-wine-session.sh" "$prefix" bash -c session; then
  cat "$logs"/*.txt >&2 2>/dev/null
  echo "run.sh: a program did not start or show its window in time" >&2
  exit 1
fi

field() { # file name -> the median's value
  tr -d '\r' <"$1" | awk -v key="$2" '/^median/ { for (i = 2; i <= NF; i++) {
    split($i, kv, "="); if (kv[1] == key) print kv[2] } }'
}
# Other work on the machine moves every figure: its load is printed with them.
echo "load average before: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
app_answer=$(field "$logs/app.txt" answer_ms)
app_visible=$(field "$logs/app.txt" visible_ms)
triv_answer=$(field "$logs/trivial.txt" answer_ms)
triv_visible=$(field "$logs/trivial.txt" visible_ms)
printf '%-34s %12s %12s %8s\n' "median of $runs runs, warm Wine" "VelmorantixXP" "trivial" "ratio"
awk -v a="$app_answer" -v t="$triv_answer" \
  'BEGIN { printf "%-34s %10.1f ms %10.1f ms %8.2f\n", "until the hidden window answers", a, t, a / t }'
awk -v a="$app_visible" -v t="$triv_visible" \
  'BEGIN { printf "%-34s %10.1f ms %10.1f ms %8.2f\n", "until the first frame is visible", a, t, a / t }'

# The run command against a direct Wine start of the same program on the same
# picture, both until a viewer titled with the picture exists on the display.
# They share one session on the run command's own prefix, so that neither
# pays for a cold Wine or another prefix; each gets a discarded warm-up.
picture_dir=$logs/pictures
mkdir -p "$picture_dir"
/usr/bin/convert -size 800x600 -seed 11 plasma:fractal -blur 0x2 "$picture_dir/garden.jpg"
run_prefix=$root/build/mingw-x64/wineprefix
run_app=$root/build/mingw-x64/program/VelmorantixXP.exe
run_session() {
  # ms from the start of "$@" until a window named after the picture is shown;
  # the program is ended afterwards either way.
  until_shown() {
    local start end shown=0 pid
    start=$(date +%s%N)
    "$@" </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 3000); do
      if xwininfo -root -tree 2>/dev/null | grep -q 'garden\.jpg @'; then shown=1; break; fi
      sleep 0.01
    done
    end=$(date +%s%N)
    wine "$run_app" /Shutdown </dev/null >/dev/null 2>&1
    wait "$pid"
    [ $shown -eq 1 ] || return 1
    echo $(((end - start) / 1000000))
  }
  local picture i
  picture=$(readlink -f "$picture_dir/garden.jpg")
  until_shown wine "$run_app" "Z:${picture//\//\\}" >/dev/null || return 1
  until_shown "$root/scripts/run.sh" "$picture" >/dev/null || return 1
  for i in $(seq "$runs"); do
    until_shown wine "$run_app" "Z:${picture//\//\\}" >>"$logs/direct.txt" || return 1
    until_shown "$root/scripts/run.sh" "$picture" >>"$logs/command.txt" || return 1
  done
}
export -f run_session
export root run_app picture_dir
if ! "$root/scripts/with-wine-session.sh" "$run_prefix" bash -c run_session; then
  echo "run.sh: the program did not show the picture in time" >&2
  exit 1
fi
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
direct=$(median "$logs/direct.txt")
command=$(median "$logs/command.txt")
printf '%-34s %12s %12s %8s\n' "median of $runs runs, warm Wine" "scripts/run.sh" "direct wine" "ratio"
awk -v a="$command" -v t="$direct" \
  'BEGIN { printf "%-34s %10.1f ms %10.1f ms %8.2f\n", "until the picture is shown", a, t, a / t }'
