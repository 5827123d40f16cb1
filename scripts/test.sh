#!/usr/bin/env bash
# Sets up a fresh machine and runs every test:
#   - the core natively under AddressSanitizer + UndefinedBehaviorSanitizer,
#   - the Windows x86_64 build under Wine (one Xvfb and one wineserver for the run),
#   - a compile-and-link of the i686 build,
#   - every fuzz target for VXP_FUZZ_SECONDS (default 60) from generated seeds,
#   - the formatting check and the layering check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorantix-ccache}
jobs=$(nproc)

step() { printf '\n==== %s\n' "$*"; }

step "setup"
scripts/setup.sh

status=0

step "format check"
scripts/check-format.sh || status=1

step "layering check"
scripts/check-layers.sh || status=1

for preset in native mingw-x64 mingw-i686; do
  step "build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

step "tests: native (ASan+UBSan)"
ctest --preset native -j "$jobs" | tee -a "$summary" || status=1

step "tests: Windows x86_64 under Wine"
scripts/with-wine-session.sh "$root/build/mingw-x64/wineprefix" \
  ctest --preset mingw-x64 -j "$jobs" | tee -a "$summary" || status=1

step "fuzz"
scripts/fuzz.sh "${VXP_FUZZ_SECONDS:-60}" || status=1

# One closing line for both ctest runs: "N passed, N failed".
awk '/tests passed, [0-9]+ tests failed out of/ { failed += $4; total += $NF }
     END { printf "tests: %d passed, %d failed\n", total - failed, failed }' "$summary"
exit $status
