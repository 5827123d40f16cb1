#!/usr/bin/env bash
# make-fixtures.sh CACHE: the thumbnail list bench's folders, made once with
# ImageMagick and kept in CACHE between runs (a folder is remade only when
# its marker file NAME.complete beside it is missing):
#   photos/  500 photograph-like 3000x2000 JPEGs (smooth areas and grain),
#            hard links to twelve different pictures;
#   large/   four 6000x4000 (24-megapixel) JPEGs made the same way;
#   small/   10,000 JPEGs of 160x120, hard links to twenty pictures.
# Nothing is downloaded.
set -euo pipefail
cache=$1
im=/usr/bin/convert
mkdir -p "$cache"

# photo SEED WIDTH HEIGHT OUT: a plasma landscape blown up to the size, with
# film-like grain over it, at quality 90.
photo() {
  local w=$2 h=$3
  $im -size $((w / 4))x$((h / 4)) -seed "$1" plasma:fractal -blur 0x2 -resize "${w}x${h}!" \
    \( -size "${w}x${h}" xc: -seed $((1000 + $1)) +noise Gaussian -colorspace Gray \
       -evaluate multiply 0.8 \) -compose overlay -composite -quality 90 "$4"
}

# folder NAME COUNT BASES WIDTH HEIGHT: COUNT names over BASES pictures.
folder() {
  local name=$1 count=$2 bases=$3 w=$4 h=$5 dir="$cache/$1"
  [ -f "$cache/$name.complete" ] && return 0
  rm -rf "$dir" "$cache/$name-bases"
  mkdir -p "$dir" "$cache/$name-bases"
  local pids=() i
  for ((i = 0; i < bases; i++)); do
    photo $((17 * i + w % 97)) "$w" "$h" "$cache/$name-bases/$i.jpg" &
    pids+=($!)
    if [ ${#pids[@]} -ge 4 ]; then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
  done
  wait
  for ((i = 0; i < count; i++)); do
    ln "$cache/$name-bases/$((i % bases)).jpg" "$dir/$(printf '%s%05d.jpg' "$name" "$i")"
  done
  touch "$cache/$name.complete"
}

folder photos 500 12 3000 2000
folder large 4 4 6000 4000
folder small 10000 20 160 120
