#!/usr/bin/env bash
# Regenerates docs/screenshot.png (the explorer on a folder of photograph-like
# pictures that scripts/make-photos.sh makes, in the prefix's drive C:),
# docs/viewer.png (a viewer opened on a generated picture) and docs/docking.png
# (the dock host test program), docs/explorer.png (the explorer on a folder
# of generated pictures) and docs/thumbnails.png (the thumbnail host test
# program on a folder of generated pictures), each inside Wine's virtual desktop
# on a private Xvfb display, captured after it settles; docs/folders.png and
# docs/acquire.png put side by side the folder trees' and the acquisition
# dialogs as their tests show them, docs/rename.png the Rename and Batch
# Rename Files dialogs, docs/find.png the Find dialog, and docs/folder-preview.png
# the folder preview popup over a folder tree (the folder preview host test
# program), and docs/tree-drop.png a drag over the folder tree. Given names
# (program, viewer, explorer, docking, thumbnails, folders, acquire, rename,
# find, preview, drop), it takes only those pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh >/dev/null
cmake --preset mingw-x64 >/dev/null
wanted=" ${*:-program viewer explorer docking thumbnails} "
wants() { [[ $wanted == *" $1 "* ]]; }
targets=()
if wants program || wants viewer || wants explorer; then targets+=(VelmorantixXP); fi
if wants docking; then targets+=(dock_host); fi
if wants acquire; then
  targets+=(acquire_new_device_dialog_test acquire_screen_capture_dialog_test
    acquire_wia_transfer_test)
fi
if wants thumbnails; then targets+=(thumbnail_host); fi
if wants rename; then targets+=(tools_rename_dialogs_test); fi
if wants folders; then
  targets+=(explorer_browse_folder_dialog_test explorer_collection_dialogs_test)
fi
if wants find; then targets+=(explorer_find_dialog_test); fi
if wants preview; then targets+=(folder_preview_host); fi
if wants drop; then targets+=(explorer_tree_and_list_drop_test); fi
cmake --build --preset mingw-x64 --target "${targets[@]}" >/dev/null
exe=build/mingw-x64/program/VelmorantixXP.exe
mkdir -p docs
# capture OUT PATTERN [argument]: starts the program in Wine's virtual desktop
# (with the argument when one is given), waits until a window whose name holds
# PATTERN exists, captures the screen, then asks the program to quit.
capture() {
  scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" bash -c '
    exe=$1 out=$2 pattern=$3; shift 3
    wine reg add "HKCU\Software\Velmorantix\Velmorantix XP" /v ViewerZoomType /t REG_DWORD \
      /d 0 /f >/dev/null 2>&1
    wine explorer /desktop=Velmorantix,1024x768 "$exe" "$@" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 60); do
      sleep 0.5
      xwininfo -root -tree 2>/dev/null | grep -qF "$pattern" && break
    done
    sleep 2
    /usr/bin/import -window root -crop 1024x768+0+0 +repage "$out"
    wine "$exe" /Shutdown </dev/null >/dev/null 2>&1 || true
    kill $! 2>/dev/null || true
  ' _ "$exe" "$@"
  echo "wrote $1"
}

# test_shots OUT FILTER SHOT... -- TEST...: runs each test program with the
# gtest filter while VXP_SCREENSHOT_DIR names a fresh folder; the dialogs its
# cases save there as SHOT.bmp are put side by side, in the order given, in OUT.
test_shots() {
  local out=$1 filter=$2 dir
  shift 2
  local pictures=()
  while [[ $1 != -- ]]; do
    pictures+=("$1")
    shift
  done
  shift
  dir=$(mktemp -d "${TMPDIR:-/tmp}/vxp-dialogs-XXXXXX")
  scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" bash -c '
    export VXP_SCREENSHOT_DIR=Z:${1//\//\\}
    filter=$2
    shift 2
    for t in "$@"; do
      scripts/wine-run.sh --gtest "build/mingw-x64/$t.exe" --gtest_filter="$filter" \
        >/dev/null 2>&1 || true
    done
  ' _ "$dir" "$filter" "$@"
  /usr/bin/convert "${pictures[@]/#/$dir/}" -background white -gravity north +append "$out"
  rm -rf "$dir"
  echo "wrote $out"
}

if wants program; then
  prefix=$root/build/mingw-x64/wineprefix
  scripts/wine-prefix.sh "$prefix"
  photos=$prefix/drive_c/users/Public/Pictures/Photos
  rm -rf "$photos"
  scripts/make-photos.sh "$photos"
  capture "$root/docs/screenshot.png" '"Velmorantix XP - ' 'C:\users\Public\Pictures\Photos'
fi

# The explorer on a folder of five pictures: the tree selects it, the list
# shows the thumbnails and the preview the first picture.
if wants explorer; then
  shots=$(mktemp -d "${TMPDIR:-/tmp}/vxp-explorer-XXXXXX")
  /usr/bin/convert -size 800x600 -seed 5 plasma:fractal -blur 0x3 "$shots/meadow.jpg"
  /usr/bin/convert -size 800x600 gradient:skyblue-navy "$shots/harbour.jpg"
  /usr/bin/convert -size 600x800 radial-gradient:gold-firebrick "$shots/sunset.jpg"
  /usr/bin/convert -size 800x600 -seed 9 plasma:green-yellow "$shots/forest.png"
  /usr/bin/convert -size 640x480 pattern:checkerboard -scale 400% BMP3:"$shots/tiles.bmp"
  capture "$root/docs/explorer.png" '"Velmorantix XP - ' "Z:${shots//\//\\}"
  rm -rf "$shots"
fi

# The viewer, at actual size, on a picture made here, in a folder of three so
# the title shows a place.
if wants viewer; then
  pictures=$(mktemp -d "${TMPDIR:-/tmp}/vxp-shot-XXXXXX")
  trap 'rm -rf "$pictures"' EXIT
  /usr/bin/convert -size 640x480 -seed 11 plasma:fractal -blur 0x2 "$pictures/garden.jpg"
  /usr/bin/convert -size 640x480 gradient:skyblue-navy "$pictures/harbour.jpg"
  /usr/bin/convert -size 640x480 radial-gradient:gold-firebrick "$pictures/sunset.jpg"
  winpath=Z:${pictures//\//\\}
  capture "$root/docs/viewer.png" "(1 of 3)" "$winpath\\garden.jpg"
fi

# The docking windows in the dock host: panes on two sides, a tabbed box, a
# floating pane and one pinned to the right auto-hide bar. Esc ends it.
if wants docking; then
  scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" bash -c '
    out=$1
    wine explorer /desktop=Docking,1024x768 build/mingw-x64/docking/dock_host.exe </dev/null \
      >/dev/null 2>&1 &
    for _ in $(seq 60); do
      sleep 0.5
      xwininfo -root -tree 2>/dev/null | grep -qF "Dock host" && break
    done
    sleep 2
    /usr/bin/import -window root -crop 1024x768+0+0 +repage "$out"
    kill $! 2>/dev/null || true
  ' _ "$root/docs/docking.png"
  echo "wrote $root/docs/docking.png"
fi

if wants thumbnails; then
  # The thumbnail list in the thumbnail host, on a folder of generated pictures
  # of five formats; the worker has made every tile when the picture is taken.
  thumbs=$(mktemp -d "${TMPDIR:-/tmp}/vxp-thumbs-XXXXXX")
  trap 'rm -rf "${pictures:-}" "$thumbs"' EXIT
  /usr/bin/convert -size 640x480 -seed 11 plasma:fractal -blur 0x2 "$thumbs/garden.jpg"
  /usr/bin/convert -size 480x640 gradient:skyblue-navy "$thumbs/harbour.jpg"
  /usr/bin/convert -size 640x400 radial-gradient:gold-firebrick "$thumbs/sunset.png"
  /usr/bin/convert -size 300x300 -seed 3 plasma:green-yellow BMP3:"$thumbs/meadow.bmp"
  /usr/bin/convert -size 200x120 -seed 5 plasma:fractal -colors 64 "$thumbs/tiles.gif"
  /usr/bin/convert -size 320x200 -seed 7 plasma:fractal -type Palette -colors 200 BMP3:"$thumbs/palette8.bmp"
  /usr/bin/convert -size 900x300 gradient:white-purple "$thumbs/wide.png"
  /usr/bin/convert -size 64x64 xc:orange BMP3:"$thumbs/small.bmp"
  /usr/bin/convert -size 500x500 -seed 9 plasma:fractal "$thumbs/square.jpg"
  /usr/bin/convert -size 400x300 -seed 21 plasma:blue-white "$thumbs/sky.png"
  scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" bash -c '
    out=$1 folder=$2
    wine explorer /desktop=Thumbs,1024x768 build/mingw-x64/explorer/thumbnail_host.exe "$folder" \
      </dev/null >/dev/null 2>&1 &
    for _ in $(seq 60); do
      sleep 0.5
      xwininfo -root -tree 2>/dev/null | grep -qF "Thumbnail host" && break
    done
    sleep 3
    /usr/bin/import -window root -crop 1024x768+0+0 +repage "$out"
    kill $! 2>/dev/null || true
  ' _ "$root/docs/thumbnails.png" "Z:${thumbs//\//\\}"
  echo "wrote $root/docs/thumbnails.png"
fi

if wants folders; then
  # Browse for Folder, Create New Collection and Folder Properties, each saved
  # by its test while it is open.
  test_shots "$root/docs/folders.png" "*NotOffered*:*FullPath*:*SetDateBox*" \
    browse_folder_dialog.bmp create_collection_dialog.bmp folder_properties_dialog.bmp -- \
    explorer/explorer_browse_folder_dialog_test explorer/explorer_collection_dialogs_test
fi

# The acquisition dialogs, as their tests show them: docs/acquire.png holds the
# Screen Capture, New device detected and Transfering dialogs side by side,
# the last in the middle of its first item.
if wants acquire; then
  test_shots "$root/docs/acquire.png" "*OpensOnDownload*:*Escape*:*EachKindOfItem*" \
    screen_capture.bmp new_device.bmp wia_transfer.bmp -- \
    acquire/acquire_new_device_dialog_test acquire/acquire_screen_capture_dialog_test \
    acquire/acquire_wia_transfer_test
fi

# The Rename and Batch Rename Files dialogs, as their tests show them.
if wants rename; then
  test_shots "$root/docs/rename.png" "*259Characters*:*SampleFollows*" \
    rename_dialog.bmp batch_rename_dialog.bmp -- tools/tools_rename_dialogs_test
fi

# The Find dialog as its test shows it: docs/find.png.
if wants find; then
  test_shots "$root/docs/find.png" "*CheckBoxes*" find_dialog.bmp -- \
    explorer/explorer_find_dialog_test
fi

# The folder preview: a tree of three folders of generated pictures, the
# popup shown beside the pointer resting on the first: docs/folder-preview.png.
if wants preview; then
  previews=$(mktemp -d "${TMPDIR:-/tmp}/vxp-preview-XXXXXX")
  mkdir -p "$previews/Garden" "$previews/Harbour" "$previews/Sketches"
  /usr/bin/convert -size 640x480 -seed 11 plasma:fractal -blur 0x2 "$previews/Garden/rose.jpg"
  /usr/bin/convert -size 480x640 gradient:skyblue-navy "$previews/Garden/sky.jpg"
  /usr/bin/convert -size 640x400 radial-gradient:gold-firebrick "$previews/Garden/sun.png"
  /usr/bin/convert -size 300x300 -seed 3 plasma:green-yellow BMP3:"$previews/Garden/lawn.bmp"
  /usr/bin/convert -size 500x500 -seed 9 plasma:fractal "$previews/Garden/pond.jpg"
  /usr/bin/convert -size 400x300 -seed 21 plasma:blue-white "$previews/Harbour/boats.png"
  scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" bash -c '
    out=$1 folder=$2
    wine explorer /desktop=Preview,640x480 build/mingw-x64/explorer/folder_preview_host.exe \
      "$folder" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 60); do
      sleep 0.5
      xwininfo -root -tree 2>/dev/null | grep -qF "Folder preview host" && break
    done
    sleep 3
    /usr/bin/import -window root -crop 640x480+0+0 +repage "$out"
    kill $! 2>/dev/null || true
  ' _ "$root/docs/folder-preview.png" "Z:${previews//\//\\}"
  rm -rf "$previews"
  echo "wrote $root/docs/folder-preview.png"
fi

# A drag resting on a folder of the folder tree, its row highlighted while
# another is selected, as the drop test shows it: docs/tree-drop.png.
if wants drop; then
  test_shots "$root/docs/tree-drop.png" "*TheRowUnderADrag*" tree_drop_highlight.bmp -- \
    explorer/explorer_tree_and_list_drop_test
fi
