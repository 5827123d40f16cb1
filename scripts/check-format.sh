#!/usr/bin/env bash
# Fails when a tracked or new C/C++ file differs from clang-format's output.
set -uo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c' | grep -v '^build/')
[ -n "$files" ] || exit 0
bad=0
for f in $files; do
  [ -f "$f" ] || continue
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f"
    bad=1
  fi
done
[ $bad -eq 0 ] && echo "format: ok"
exit $bad
