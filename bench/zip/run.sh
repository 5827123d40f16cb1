#!/usr/bin/env bash
# Builds the zip benchmark in the native-release preset and runs it.
#   bench/zip/run.sh [--work DIR] [--out DIR] [--runs N]
# Needs unzip, 7z (p7zip-full) and bsdtar (libarchive-tools) besides zip and
# Debian's python3 with PIL. --out on a disk folder times extraction to disk
# instead of tmpfs.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorantix-ccache}

for tool in zip unzip 7z bsdtar; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is not installed" >&2; exit 1; }
done
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target zip_bench | tail -n 5
exec build/native-release/bench/zip/zip_bench "$@"
