#!/usr/bin/env bash
# make-photos.sh FOLDER: writes eight photograph-like JPEG pictures (1024x768:
# skies, hills, water, a sunset, foliage) into FOLDER with ImageMagick alone,
# for screenshots. Every picture is made from noise, gradients and blurs here;
# nothing is downloaded.
set -euo pipefail
out=$1
mkdir -p "$out"
im=/usr/bin/convert
size=1024x768
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vxp-photos-XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# clouds SEED LOW HIGH OUT: soft clouds between two colours.
clouds() {
  $im -size 256x192 -seed "$1" plasma:fractal -colorspace Gray -blur 0x3 -resize "$size"! \
    -auto-level +level-colors "$2","$3" "$4"
}
# ridge SEED BASE AMPLITUDE WAVES OUT: a mask, white below a rugged skyline.
ridge() {
  $im -size 1024x1 -seed "$1" xc: +noise Random -colorspace Gray -blur 0x"$4" -auto-level \
    -scale "$size"! -fx "j/h > $2 - $3*u ? 1 : 0" -blur 0x1.5 "$5"
}
# texture SEED DARK LIGHT OUT: a grainy surface between two colours.
texture() {
  $im -size 512x384 -seed "$1" plasma:fractal -colorspace Gray -resize "$size"! \
    \( -size "$size" xc: -seed "$1" +noise Gaussian -colorspace Gray \) -compose overlay \
    -composite -auto-level +level-colors "$2","$3" "$4"
}
# layer BELOW ABOVE MASK OUT: ABOVE where MASK is white, BELOW elsewhere.
layer() { $im "$1" "$2" "$3" -composite "$4"; }

# An alpine lake: sky, far blue ridge, green hills, a mirror of the sky.
clouds 3 '#3d6fc4' '#eef3fa' "$tmp/sky.png"
ridge 4 0.55 0.25 30 "$tmp/far.png"
ridge 5 0.72 0.18 12 "$tmp/near.png"
texture 6 '#5b6f8f' '#9fb0c8' "$tmp/blue.png"
texture 7 '#1f3b14' '#6f9a35' "$tmp/green.png"
layer "$tmp/sky.png" "$tmp/blue.png" "$tmp/far.png" "$tmp/a.png"
layer "$tmp/a.png" "$tmp/green.png" "$tmp/near.png" "$tmp/b.png"
$im "$tmp/b.png" \( "$tmp/sky.png" -flip -modulate 80,90 -motion-blur 0x12+0 \) \
  \( -size "$size" gradient:black-black -fill white -draw 'rectangle 0,640 1024,768' \) \
  -composite -quality 90 "$out/alpine-lake.jpg"

# Sunset over the sea: a warm gradient, a glowing sun, dark water with glints.
$im -size "$size" gradient:'#ffb347'-'#4b1d52' -flip "$tmp/dusk.png"
$im "$tmp/dusk.png" \( -size "$size" xc:none -fill '#fff3c0' -draw 'circle 512,470 512,420' \
  -blur 0x12 \) -composite "$tmp/sun.png"
texture 8 '#10081a' '#6a3a4a' "$tmp/sea.png"
$im "$tmp/sea.png" -motion-blur 0x25+0 "$tmp/sea2.png"
$im "$tmp/sun.png" "$tmp/sea2.png" \
  \( -size "$size" gradient:black-black -fill white -draw 'rectangle 0,500 1024,768' \) \
  -composite -quality 90 "$out/sunset-sea.jpg"

# Rolling fields under a bright sky.
clouds 10 '#6aa1e6' '#ffffff' "$tmp/sky2.png"
ridge 11 0.60 0.12 60 "$tmp/hill.png"
texture 12 '#55731c' '#c8d66a' "$tmp/field.png"
layer "$tmp/sky2.png" "$tmp/field.png" "$tmp/hill.png" "$tmp/c.png"
$im "$tmp/c.png" -quality 90 "$out/rolling-fields.jpg"

# Desert dunes at noon.
clouds 13 '#8fbbe8' '#dcebf7' "$tmp/sky3.png"
ridge 14 0.50 0.20 90 "$tmp/dune.png"
texture 15 '#a8672e' '#f0c48a' "$tmp/sand.png"
layer "$tmp/sky3.png" "$tmp/sand.png" "$tmp/dune.png" "$tmp/d.png"
$im "$tmp/d.png" -quality 90 "$out/dunes.jpg"

# Foliage close-up, out of focus towards the edges.
texture 16 '#0d2a0b' '#a7d45a' "$tmp/leaves.png"
$im "$tmp/leaves.png" \( +clone -blur 0x8 \) \
  \( -size "$size" radial-gradient:black-white \) -composite -quality 90 "$out/foliage.jpg"

# Storm clouds over a dark plain.
clouds 17 '#2c3440' '#b8c0c8' "$tmp/storm.png"
ridge 18 0.80 0.05 40 "$tmp/plain.png"
texture 19 '#1a1f14' '#4d5638' "$tmp/dark.png"
layer "$tmp/storm.png" "$tmp/dark.png" "$tmp/plain.png" "$tmp/e.png"
$im "$tmp/e.png" -quality 90 "$out/storm.jpg"

# Autumn forest: warm foliage with light from above.
texture 20 '#4a1a06' '#f2a23a' "$tmp/autumn.png"
$im "$tmp/autumn.png" \( -size "$size" gradient:white-black -evaluate multiply 0.35 \) \
  -compose screen -composite -quality 90 "$out/autumn-forest.jpg"

# A glacier: pale blue ice under a grey sky.
clouds 21 '#9aa4ae' '#e8ecef' "$tmp/grey.png"
ridge 22 0.45 0.30 50 "$tmp/peaks.png"
texture 23 '#6f9fc0' '#f4fbff' "$tmp/ice.png"
layer "$tmp/grey.png" "$tmp/ice.png" "$tmp/peaks.png" "$tmp/f.png"
$im "$tmp/f.png" -quality 90 "$out/glacier.jpg"
