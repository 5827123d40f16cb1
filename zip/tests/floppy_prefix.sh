#!/bin/sh
# floppy_prefix.sh PREFIX DISK_FOLDER
# Makes the Wine prefix of the floppy-drive test: drive A: is DISK_FOLDER,
# emptied first, and registered as a floppy drive, which Wine reports as
# removable. The drive types are read when Wine's services start, so the
# prefix's server is waited for before the test starts a new one.
set -eu
prefix=$1
disk=$2
here=$(cd "$(dirname "$0")" && pwd)
"$here/../../scripts/wine-prefix.sh" "$prefix"
rm -rf "$disk"
mkdir -p "$disk"
ln -sfn "$disk" "$prefix/dosdevices/a:"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_bin=$(command -v wine64 || command -v wine)
"$wine_bin" reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f </dev/null >/dev/null 2>&1
wineserver -w
