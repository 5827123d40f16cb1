#!/usr/bin/env bash
# fuzz.sh [seconds]  — builds the libFuzzer targets (clang, ASan+UBSan) and runs
# each for the given time (default 60), all in parallel, from seed corpora that
# the folders' fuzz/make_seeds.py scripts generate. A crash fails the run and
# leaves the reproducer in build/fuzz/artifacts/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j "$(nproc)" || exit 1

out=$root/build/fuzz
mkdir -p "$out/artifacts" "$out/seeds" "$out/corpus" "$out/logs"

# Seeds: every <folder>/fuzz/make_seeds*.py <dir> writes seeds into the folder's
# seed directory, optionally per target in <dir>/<target>/ (target name without _fuzz).
rm -rf "$out/seeds"
for script in $(find . -path ./build -prune -o -path '*/fuzz/make_seeds*.py' -print | sort); do
  folder=$(dirname "$(dirname "$script")")
  dest=$out/seeds/${folder#./}
  mkdir -p "$dest"
  /usr/bin/python3 "$script" "$dest" || { echo "seed script failed: $script"; exit 1; }
done

targets=$(find "$out" -maxdepth 4 -type f -name '*_fuzz' -perm -u+x | grep -v '/corpus/' | sort)
[ -n "$targets" ] || { echo "fuzz: no targets"; exit 0; }

pids=()
names=()
for t in $targets; do
  name=$(basename "$t")
  base=${name%_fuzz}
  rel=$(dirname "${t#$out/}")           # e.g. imaging/codecs
  seeds=$out/seeds/$rel                 # from <rel>/fuzz/make_seeds.py
  for sub in "$name" "$base" "${base#*_}"; do
    if [ -d "$seeds/$sub" ]; then seeds=$seeds/$sub; break; fi
  done
  corpus=$out/corpus/$name
  rm -rf "$corpus"; mkdir -p "$corpus"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
       -artifact_prefix="$out/artifacts/$name-" "${dirs[@]}" >"$out/logs/$name.log" 2>&1 &
  pids+=($!)
  names+=("$name")
done

status=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz ${names[$i]}: ok ($(grep -c . "$out/logs/${names[$i]}.log") log lines)"
  else
    echo "fuzz ${names[$i]}: FAILED"; tail -40 "$out/logs/${names[$i]}.log"; status=1
  fi
done
exit $status
