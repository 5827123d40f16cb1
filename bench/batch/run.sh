#!/usr/bin/env bash
# Batch Grayscale + save, and Convert to PNG, of photo-like 3000x2000 JPEGs:
#   1. the program's own batch and Convert (batch_timer.exe under Wine);
#   2. libvips, one file after another with VIPS_CONCURRENCY=1:
#      "vips colourspace in out b-w" and "vips copy in out.png";
#   3. ImageMagick, on one thread: "mogrify -colorspace Gray" over copies,
#      and "convert in out.png" per file.
# Target: the batch and Convert no slower than ImageMagick; the ratio to
# libvips is reported.
#
#   bench/batch/run.sh [photos (default 100)]
#
# The mingw-x64 build must have been configured with -DVXP_BENCH=ON
# (VXP_BENCH_WIN_BUILD chooses another build). The photographs live in
# VXP_BENCH_WORK (default $TMPDIR/vxp-bench-batch) and are made on the first
# run. Exit code: 0 when both targets are met, 3 when one is missed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win=${VXP_BENCH_WIN_BUILD:-$root/build/mingw-x64}
work=${VXP_BENCH_WORK:-${TMPDIR:-/tmp}/vxp-bench-batch}
count=${1:-100}
photos=$work/photos-$count
cmake --build "$win" --target batch_timer >/dev/null || {
  echo "run.sh: building batch_timer in $win failed (configured with -DVXP_BENCH=ON?)" >&2
  exit 1
}

if [ ! -f "$photos/.done" ]; then
  rm -rf "$photos" && mkdir -p "$photos"
  # Photo-like: smooth colour fields with fine noise, so the codecs meet
  # both flat areas and detail.
  convert -size 3000x2000 plasma:fractal -attenuate 0.3 +noise Gaussian -quality 90 \
    "$photos/seed.jpg"
  for ((i = 0; i < count; i++)); do
    convert "$photos/seed.jpg" -roll +$((i * 37))+$((i * 23)) -quality 90 \
      "$photos/photo$i.jpg"
  done
  rm "$photos/seed.jpg"
  touch "$photos/.done"
fi
clean() { rm -f "$photos"/Grayscale\ *.jpg; rm -rf "$work/png" "$work/out"; mkdir -p "$work/png" "$work/out"; }
now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

clean
native_photos=$(cd "$photos" && pwd)
read -r _ ours_gray gray_written _ ours_conv conv_written < <(
  "$root/scripts/with-wine-session.sh" "$win/wineprefix" \
    "$root/scripts/wine-run.sh" "$win/bench/batch/batch_timer.exe" \
    "Z:${native_photos//\//\\}" "Z:${work//\//\\}\\png" | tr -d '\r' | tr '\n' ' ')
if [ "${gray_written:-0}" != "$count" ] || [ "${conv_written:-0}" != "$count" ]; then
  echo "run.sh: the program wrote ${gray_written:-0} and ${conv_written:-0} of $count files" >&2
  exit 1
fi

clean
t0=$(now)
for f in "$photos"/photo*.jpg; do
  VIPS_CONCURRENCY=1 vips colourspace "$f" "$work/out/$(basename "$f")[Q=75]" b-w
done
vips_gray=$(elapsed "$t0" "$(now)")
t0=$(now)
for f in "$photos"/photo*.jpg; do
  VIPS_CONCURRENCY=1 vips copy "$f" "$work/out/$(basename "$f" .jpg).png"
done
vips_conv=$(elapsed "$t0" "$(now)")

clean
cp "$photos"/photo*.jpg "$work/out/"
t0=$(now)
MAGICK_THREAD_LIMIT=1 mogrify -limit thread 1 -colorspace Gray -quality 75 "$work/out"/photo*.jpg
magick_gray=$(elapsed "$t0" "$(now)")
t0=$(now)
for f in "$photos"/photo*.jpg; do
  MAGICK_THREAD_LIMIT=1 convert -limit thread 1 "$f" "$work/png/$(basename "$f" .jpg).png"
done
magick_conv=$(elapsed "$t0" "$(now)")
clean

printf '%-22s %10s %10s %12s\n' "$count photos" ours vips imagemagick
printf '%-22s %10.2f %10.2f %12.2f\n' "grayscale + save (s)" "$ours_gray" "$vips_gray" "$magick_gray"
printf '%-22s %10.2f %10.2f %12.2f\n' "convert to PNG (s)" "$ours_conv" "$vips_conv" "$magick_conv"
printf 'ratio to vips: grayscale %.2f, convert %.2f\n' \
  "$(echo "$ours_gray / $vips_gray" | bc -l)" "$(echo "$ours_conv / $vips_conv" | bc -l)"
met=0
if (( $(echo "$ours_gray > $magick_gray" | bc -l) )); then echo "missed: grayscale slower than ImageMagick"; met=3; fi
if (( $(echo "$ours_conv > $magick_conv" | bc -l) )); then echo "missed: convert slower than ImageMagick"; met=3; fi
exit $met
