#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest.
#   wine-run.sh [--gtest] program.exe [args...]
# With --gtest the program must write its GoogleTest XML report: Wine can exit 0
# when a program cannot even be loaded, and that must count as a failure.
# The prefix lives in the build tree (VXP_WINEPREFIX overrides it) and is made
# once by wine-prefix.sh; scripts/test.sh keeps one wineserver and one Xvfb for a whole run.
set -u
gtest=0
if [ "${1:-}" = "--gtest" ]; then gtest=1; shift; fi
exe=$1; shift
exe_dir=$(cd "$(dirname "$exe")" && pwd)

if [ -z "${VXP_WINEPREFIX:-}" ]; then
  # Walk up from the executable to the build folder (the one with CMakeCache.txt).
  d=$exe_dir
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ -f "$d/CMakeCache.txt" ] || d=$exe_dir
  VXP_WINEPREFIX=$d/wineprefix
fi
export WINEPREFIX=$VXP_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# VXP_EXTRA_DLLOVERRIDES adds overrides of one test (a DLL switched off).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${VXP_EXTRA_DLLOVERRIDES:+;$VXP_EXTRA_DLLOVERRIDES}"
export WINEARCH=win64

wine_bin=$(command -v wine64 || command -v wine)

"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"

# Wine's helper processes (services, the desktop window) outlive the program and
# inherit its output handles; if those were ctest's pipes, ctest would wait for
# them until the time-out. So the program writes to a file that we copy out.
log=$(mktemp "${TMPDIR:-/tmp}/vxp-wine-XXXXXX.log")
report=""
args=("$@")
if [ $gtest -eq 1 ]; then
  report=$(mktemp "${TMPDIR:-/tmp}/vxp-gtest-XXXXXX.xml")
  rm -f "$report"
  args=("--gtest_output=xml:Z:$report" "$@")
fi
"$wine_bin" "$exe" "${args[@]}" </dev/null >"$log" 2>&1
rc=$?
cat "$log"
rm -f "$log"
if [ $gtest -eq 1 ]; then
  if [ $rc -eq 0 ] && [ ! -s "$report" ]; then
    echo "wine-run: $exe exited 0 but wrote no test report: it did not start" >&2
    rc=1
  fi
  rm -f "$report"
fi
exit $rc
