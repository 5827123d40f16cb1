#!/usr/bin/env bash
# A folder of 10,000 images (empty files of varied sizes and times: the list
# reads names, sizes and times only) listed into a sorted item list and
# re-sorted by each key under Wine, beside `ls -f | sort` on the same folder.
#
#   bench/lists/run.sh [files] [runs]      (defaults 10000 and 3)
#
# The build folder defaults to the preset's (build/mingw-x64), reconfigured
# with -DVXP_BENCH=ON; VXP_BENCH_WIN_BUILD chooses another.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win=${VXP_BENCH_WIN_BUILD:-$root/build/mingw-x64}
files=${1:-10000}
runs=${2:-3}

cmake -S "$root" -B "$win" -DVXP_BENCH=ON >/dev/null &&
  cmake --build "$win" --target list_sort_probe >/dev/null || {
  echo "run.sh: building in $win failed" >&2
  exit 1
}
probe=$(find "$win" -name list_sort_probe.exe | head -n 1)
work=$(mktemp -d "${TMPDIR:-/tmp}/vxp-bench-lists-XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work/pics" "$files" <<'PY'
import os, random, sys
folder, n = sys.argv[1], int(sys.argv[2])
os.makedirs(folder)
rng = random.Random(10000)
kinds = ['.jpg', '.bmp', '.png', '.gif', '.tif']
for i in range(n):
    path = os.path.join(folder, 'photo %05d%s' % (rng.randrange(10**5), kinds[i % 5]))
    while os.path.exists(path):
        path = path[:-4] + '_' + path[-4:]
    with open(path, 'wb') as f:
        f.truncate(rng.randrange(1 << 20))
    t = 1.6e9 + rng.randrange(10**8)
    os.utime(path, (t, t))
PY

best=""
for _ in $(seq "$runs"); do
  s=$( { TIMEFORMAT=%R; time (ls -f "$work/pics" | sort >/dev/null); } 2>&1 )
  if [ -z "$best" ] || awk "BEGIN{exit !($s < $best)}"; then best=$s; fi
done
echo "ls -f | sort          ${best} s (best of $runs)"
"$root/scripts/with-wine-session.sh" "$win/wineprefix" wine "$probe" "Z:${work//\//\\}\\pics" "$runs"
