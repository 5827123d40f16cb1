#!/usr/bin/env bash
# Builds and runs the JPEG decode benchmark in one go:
#   1. the native-release build's jpeg_bench (our reader against the library's
#      own call in process, then
#      the thumbnail path against vipsthumbnail, libvips and ImageMagick);
#   2. the mingw-x64 build's jpeg_decode_timer.exe under Wine, on the same
#      24-megapixel file;
#   3. a summary of the Windows build's decode times against the native ones.
#
#   bench/codecs/run.sh [jpeg_bench options, e.g. --repeats 5 --photos 100]
#
# Build folders default to the presets' (build/native-release, build/mingw-x64);
# VXP_BENCH_NATIVE_BUILD and VXP_BENCH_WIN_BUILD choose others. The images
# live in VXP_BENCH_WORK (default $TMPDIR/vxp-bench-jpeg) and are made on the
# first run. Exit code: 0 when every target is met, 3 when one is missed,
# anything else on failure.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
native=${VXP_BENCH_NATIVE_BUILD:-$root/build/native-release}
win=${VXP_BENCH_WIN_BUILD:-$root/build/mingw-x64}
work=${VXP_BENCH_WORK:-${TMPDIR:-/tmp}/vxp-bench-jpeg}
logs=$(mktemp -d "${TMPDIR:-/tmp}/vxp-bench-jpeg-run-XXXXXX")
trap 'rm -rf "$logs"' EXIT

# The Windows timer takes the same number of repeats as the native decode.
repeats=5
args=("$@")
for ((i = 0; i + 1 < ${#args[@]}; i++)); do
  [ "${args[i]}" = "--repeats" ] && repeats=${args[i + 1]}
done

step() { # title log-file command...
  local title=$1 log=$2; shift 2
  echo "== $title"
  if ! "$@" >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "run.sh: $title failed (log above)" >&2
    exit 1
  fi
}

cd "$root" || exit 1
step "configure native-release" "$logs/native-configure.log" \
  cmake --preset native-release -B "$native"
step "build jpeg_bench" "$logs/native-build.log" \
  cmake --build "$native" --target jpeg_bench
step "configure mingw-x64 with the benchmarks" "$logs/win-configure.log" \
  cmake --preset mingw-x64 -B "$win" -DVXP_BENCH=ON
step "build jpeg_decode_timer.exe" "$logs/win-build.log" \
  cmake --build "$win" --target jpeg_decode_timer

echo
"$native/bench/codecs/jpeg_bench" --work "$work" "$@" | tee "$logs/native.txt"
native_rc=${PIPESTATUS[0]}
if [ "$native_rc" -ne 0 ] && [ "$native_rc" -ne 3 ]; then
  echo "run.sh: jpeg_bench failed ($native_rc)" >&2
  exit "$native_rc"
fi

echo
"$root/scripts/with-wine-session.sh" "$win/wineprefix" \
  "$root/scripts/wine-run.sh" "$win/bench/codecs/jpeg_decode_timer.exe" \
  "Z:$work/large_6000x4000_q90.jpg" "$repeats" | grep -v '^creating Wine prefix' |
  tee "$logs/wine.txt"
wine_rc=${PIPESTATUS[0]}
if [ "$wine_rc" -ne 0 ] || ! grep -q '^1/8 ' "$logs/wine.txt"; then
  echo "run.sh: the Windows timer failed under Wine ($wine_rc)" >&2
  exit 1
fi

# Rows of both decode tables start with the scale; the third column is ours in ms.
echo
echo "Windows build under Wine against native (our decode, ms)"
awk 'FNR == NR && /^1\/[1248] / { if (!($1 in native)) native[$1] = $3; next }
     /^1\/[1248] / && ($1 in native) {
       if (!header++) printf "%-6s %10s %10s %12s\n", "scale", "native", "Wine", "Wine/native"
       printf "%-6s %10.1f %10.1f %12.2f\n", $1, native[$1], $3, $3 / native[$1]
     }' "$logs/native.txt" "$logs/wine.txt"
exit "$native_rc"
