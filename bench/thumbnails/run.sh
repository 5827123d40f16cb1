#!/usr/bin/env bash
# The thumbnail list under a warm Wine, with its peers, in one run:
#   1. a folder of 500 photograph-like 3000x2000 JPEGs: from showing it in
#      the real list (a window of the probe) until every thumbnail is in the
#      thumbnail database, against vipsthumbnail over the same files to the
#      same 98x98 box in one process (on one thread, and on its default
#      threads), and against djpeg -scale 1/8 once per file (the floor).
#      Target: the worker, on its one thread, no slower than vipsthumbnail.
#   2. the same folder again, all cached: every thumbnail of the first screen
#      painted within 100 ms of showing the folder.
#   3. a folder of 10,000 small JPEGs: the names painted within 1 s, and
#      while the worker makes the thumbnails, scrolling to the end and back
#      never keeps the user-interface thread from its queue for more than
#      100 ms (the longest gap between two messages it took).
#   4. four 24-megapixel JPEGs: the worker's peak working set (the process's
#      peak less its working set before the worker started) below one full
#      frame of 6000x4000x3 bytes.
# The peers run natively, the probe under Wine; every figure is printed with
# the load average. See thumbnail_list_probe.cpp.
#
#   bench/thumbnails/run.sh [warm runs]        (default 7)
#
# The build folder defaults to the preset's (build/mingw-x64), reconfigured
# with -DVXP_BENCH=ON; VXP_BENCH_WIN_BUILD chooses another. The pictures are
# made once by make-fixtures.sh and kept under the build folder
# (bench/thumbnails/fixtures). The prefix is VXP_BENCH_PREFIX (default
# $TMPDIR/vxp-bench-thumbnails-prefix). Exit code: 0 when every target is
# met, 3 when one is missed, anything else on failure.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
win=${VXP_BENCH_WIN_BUILD:-$root/build/mingw-x64}
prefix=${VXP_BENCH_PREFIX:-${TMPDIR:-/tmp}/vxp-bench-thumbnails-prefix}
warm_runs=${1:-7}

cmake -S "$root" -B "$win" -DVXP_BENCH=ON >/dev/null &&
  cmake --build "$win" --target thumbnail_list_probe >/dev/null || {
  echo "run.sh: building in $win failed" >&2
  exit 1
}
probe=$(find "$win" -name thumbnail_list_probe.exe | head -n 1)
fixtures=$win/bench/thumbnails/fixtures
"$root/bench/thumbnails/make-fixtures.sh" "$fixtures" || {
  echo "run.sh: making the pictures failed" >&2
  exit 1
}
work=$(mktemp -d "${TMPDIR:-/tmp}/vxp-bench-thumbnails-XXXXXX")
trap 'rm -rf "$work"' EXIT

describe() { # folder
  local n bytes size
  n=$(find "$1" -name '*.jpg' | wc -l)
  bytes=$(find "$1" -name '*.jpg' -printf '%s\n' | awk '{s += $1} END {print s}')
  size=$(identify -format '%wx%h' "$(find "$1" -name '*.jpg' | head -n 1)")
  echo "$n JPEGs of $size, $((bytes / n)) bytes on average, $(find "$1" -name '*.jpg' -printf '%i\n' | sort -u | wc -l) different pictures"
}
load() { cut -d' ' -f1-3 /proc/loadavg; }
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }
value() { sed -n "s/^$2 //p" "$1" | head -n 1; }

session() {
  # The folders lie on the prefix's drive C:, hard-linked to the cache.
  local c="$WINEPREFIX/drive_c"
  rm -rf "$c/bench-thumbs" && mkdir -p "$c/bench-thumbs" || return 1
  for f in photos small large; do cp -al "$fixtures/$f" "$c/bench-thumbs/$f" || return 1; done
  # Every reader starts from files in memory.
  cat "$fixtures"/photos-bases/*.jpg "$fixtures"/large-bases/*.jpg >/dev/null

  echo "== 1, 2: a folder of $(describe "$fixtures/photos")"
  echo "load $(load)"
  wine "$probe" cache 'C:\bench-thumbs\db-cache' 'C:\bench-thumbs\photos' "$warm_runs" \
    | tr -d '\r' >"$work/cache.txt" || { cat "$work/cache.txt"; return 1; }
  cat "$work/cache.txt"
  echo "load $(load)"

  local files=("$fixtures"/photos/*.jpg) start
  mkdir -p "$work/vips1" "$work/vips"
  start=$(date +%s%N)
  VIPS_CONCURRENCY=1 vipsthumbnail --size 98x98 -o "$work/vips1/%s.jpg" "${files[@]}" || return 1
  echo "vips_one_thread_ms $(ms_since "$start")" | tee -a "$work/cache.txt"
  start=$(date +%s%N)
  vipsthumbnail --size 98x98 -o "$work/vips/%s.jpg" "${files[@]}" || return 1
  echo "vips_default_threads_ms $(ms_since "$start")" | tee -a "$work/cache.txt"
  start=$(date +%s%N)
  for f in "${files[@]}"; do djpeg -scale 1/8 "$f" >/dev/null || return 1; done
  echo "djpeg_eighth_per_file_ms $(ms_since "$start")" | tee -a "$work/cache.txt"
  echo "load $(load)"

  echo
  echo "== 3: a folder of $(describe "$fixtures/small")"
  echo "load $(load)"
  wine "$probe" scroll 'C:\bench-thumbs\db-scroll' 'C:\bench-thumbs\small' \
    | tr -d '\r' >"$work/scroll.txt" || { cat "$work/scroll.txt"; return 1; }
  cat "$work/scroll.txt"
  echo "load $(load)"

  echo
  echo "== 4: a folder of $(describe "$fixtures/large")"
  echo "load $(load)"
  wine "$probe" memory 'C:\bench-thumbs\db-memory' 'C:\bench-thumbs\large' \
    | tr -d '\r' >"$work/memory.txt" || { cat "$work/memory.txt"; return 1; }
  cat "$work/memory.txt"
  echo "load $(load)"
  rm -rf "$c/bench-thumbs"
}
export -f session describe load ms_since
export probe fixtures work warm_runs
"$root/scripts/with-wine-session.sh" "$prefix" bash -c session || {
  echo "run.sh: the run failed" >&2
  exit 1
}

# The verdicts.
cold=$(value "$work/cache.txt" cold_ms)
vips1=$(value "$work/cache.txt" vips_one_thread_ms)
vips=$(value "$work/cache.txt" vips_default_threads_ms)
djpeg=$(value "$work/cache.txt" djpeg_eighth_per_file_ms)
warm=$(value "$work/cache.txt" warm_max_ms)
fill=$(value "$work/scroll.txt" fill_ms)
gap=$(awk '/^(scroll|jump)_longest_gap_ms/ {if ($2 > m) m = $2} END {print m}' "$work/scroll.txt")
per_frame=$(value "$work/memory.txt" peak_delta_per_frame)
missed=0
verdict() { # name figure comparison
  if awk "BEGIN {exit !($3)}"; then echo "met     $1: $2"; else echo "MISSED  $1: $2"; missed=1; fi
}
echo
echo "== summary (load $(load))"
verdict "cold folder against vipsthumbnail on one thread" \
  "$cold ms, vipsthumbnail $vips1 ms ($(awk "BEGIN {printf \"%.2f\", $cold / $vips1}")x), on its threads $vips ms, djpeg per file $djpeg ms ($(awk "BEGIN {printf \"%.2f\", $cold / $djpeg}")x)" \
  "$cold <= $vips1"
verdict "cached folder, first screen" "$warm ms at the slowest of $warm_runs" "$warm <= 100"
verdict "10,000 names painted" "$fill ms" "$fill <= 1000"
verdict "longest gap while scrolling" "$gap ms" "$gap <= 100"
verdict "worker's peak working set" "$per_frame of a full frame" "$per_frame < 1"
[ "$missed" -eq 0 ] || exit 3
