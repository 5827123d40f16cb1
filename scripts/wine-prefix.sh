#!/usr/bin/env bash
# wine-prefix.sh PREFIX
# Makes sure the Wine prefix PREFIX exists. A fresh prefix is about 700 MB,
# almost all of it Wine's own DLLs and programs, and the tests need several
# prefixes (the shared one and those of the black-box tests), so one pristine
# template is made beside PREFIX and every prefix is a copy of it in which those
# binaries are hard links. Wine replaces a file it updates rather than writing
# into it only for the registry, so everything that is not such a binary (the
# registry, .ini files, fonts lists) is a real copy of its own.
set -euo pipefail
prefix=$(realpath -m "$1")
template=$(dirname "$prefix")/wineprefix-template

export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder would turn every shortcut the tests make on the desktop or
# in the start menu into a menu entry of the real desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
wine_bin=$(command -v wine64 || command -v wine)

# A fresh prefix links the user's Desktop, Documents, Pictures and the like to
# the real home folder; tests that make shortcuts or pictures there would
# write outside the prefix. Each link becomes a real, empty folder.
has_home_links() {
  local d
  for d in "$1"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Templates,Videos}; do
    [ -L "$d" ] && return 0
  done
  return 1
}
unlink_home_folders() {
  local d
  for d in "$1"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Templates,Videos}; do
    if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
  done
}

if [ -f "$prefix/system.reg" ]; then
  # Prefixes made before their links were replaced get real folders too.
  if has_home_links "$prefix"; then
    ( flock 9; unlink_home_folders "$prefix" ) 9>"$template.lock"
  fi
  exit 0
fi

make_template() {
  [ -f "$template/complete" ] && return 0
  rm -rf "$template"
  mkdir -p "$template"
  WINEPREFIX=$template "$wine_bin" wineboot -i >/dev/null 2>&1
  # Without a window manager Wine waits about 2 s for one to withdraw every
  # managed top-level window it destroys; the test displays have none, so the
  # windows are left unmanaged.
  WINEPREFIX=$template "$wine_bin" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # A crashing test prints its backtrace into its log and ends, instead of
  # leaving the debugger's dialog on the shared display until the time-out,
  # where it would also take the focus from the tests that follow.
  WINEPREFIX=$template "$wine_bin" reg add 'HKCU\Software\Wine\WineDbg' \
    /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  WINEPREFIX=$template wineserver -w
  unlink_home_folders "$template"
  touch "$template/complete"
}

clone_template() {
  local tmp=$prefix.partial
  rm -rf "$tmp"
  cp -al "$template" "$tmp"
  rm -f "$tmp/complete" "$tmp/wineserver"
  find "$tmp" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' \
    -o -iname '*.sys' -o -iname '*.ocx' -o -iname '*.acm' -o -iname '*.cpl' \
    -o -iname '*.nls' -o -iname '*.tlb' -o -iname '*.ds' -o -iname '*.ax' \
    -o -iname '*.com' -o -iname '*.msstyles' \) -print0 |
    while IFS= read -r -d '' f; do
      cp -p "$f" "$f.own" && mv -f "$f.own" "$f"
    done
  rm -rf "$prefix"
  mv "$tmp" "$prefix"
}

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    make_template
    unlink_home_folders "$template"
    clone_template
  fi
) 9>"$template.lock"
