#!/bin/sh
# Builds the catalogue benchmark with the native-release preset and runs it.
# Needs the packages libsqlite3-dev and liblmdb-dev. Arguments go to
# catalog_bench (--scale S, --runs N, --only a|b, --engine E, --cache-kib K,
# --dir D).
set -e
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
cd "$src"
[ -f build/native-release/build.ninja ] || cmake --preset native-release >/dev/null
cmake --build build/native-release -j4 --target catalog_bench
exec build/native-release/bench/catalog/catalog_bench "$@"
