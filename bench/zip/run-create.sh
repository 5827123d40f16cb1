#!/usr/bin/env bash
# Builds the zip creation benchmark in the native-release preset and runs it.
#   bench/zip/run-create.sh [--out DIR] [--runs N] [--megabytes M]
# Needs zip, unzip and 7z (p7zip-full).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorantix-ccache}

for tool in zip unzip 7z; do
  command -v "$tool" >/dev/null || { echo "run-create.sh: $tool is not installed" >&2; exit 1; }
done
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target zip_create_bench | tail -n 5
exec build/native-release/bench/zip/zip_create_bench "$@"
