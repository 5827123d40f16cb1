#!/bin/sh
# Builds the catalogue benchmark natively in Release and runs it. Needs the
# packages libsqlite3-dev and liblmdb-dev. Arguments go to catalog_bench
# (--scale S, --runs N, --only a|b, --engine E, --sqlite-cache-kib K, --dir D).
set -e
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=${VXP_BENCH_BUILD:-$src/build/catalog-bench-release}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVXP_BENCH=ON \
    -DVXP_TESTS=OFF >/dev/null
cmake --build "$build" --target catalog_bench
exec "$build/bench/catalog/catalog_bench" "$@"
