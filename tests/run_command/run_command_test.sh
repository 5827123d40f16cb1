#!/usr/bin/env bash
# scripts/run.sh as a new user meets it, with no argument: the probe checks
# under Wine that the viewer lists the generated pictures and steps on, then
# the program is ended. The program runs in a Wine prefix of its own.
#   run_command_test.sh BUILD_DIR PROBE_EXE APP_EXE
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 probe=$2 app=$3
prefix=$build/run-command-wineprefix
# The run command and the probe must share one display.
[ -n "${DISPLAY:-}" ] || exec "$root/scripts/with-wine-session.sh" "$prefix" "$0" "$@"

export VXP_RUN_PREFIX=$prefix VXP_WINEPREFIX=$prefix WINEPREFIX=$prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
"$root/scripts/wine-prefix.sh" "$prefix"
log=$(mktemp "${TMPDIR:-/tmp}/vxp-run-command-XXXXXX.log")
"$root/scripts/run.sh" </dev/null >"$log" 2>&1 &
run=$!

"$root/scripts/wine-run.sh" --gtest "$probe"
rc=$?

wine "$app" /Shutdown </dev/null >/dev/null 2>&1
for _ in $(seq 300); do kill -0 "$run" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$run" 2>/dev/null; then
  echo "run_command_test: the run command did not end after /Shutdown" >&2
  kill "$run" 2>/dev/null
  rc=1
fi
if [ $rc -ne 0 ]; then
  echo "---- scripts/run.sh said:" >&2
  tail -n 40 "$log" >&2
fi
rm -f "$log"
exit $rc
