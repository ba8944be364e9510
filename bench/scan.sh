#!/usr/bin/env bash
# Times the folder scan against find on the same tree, in one hyperfine run.
#
#   bench/scan.sh [BUILD_DIR] [CACHE_DIR]
#
# BUILD_DIR: a Release build folder that holds bin/scan_bench (default:
# build/release, configured and built here when missing). CACHE_DIR: where
# bench/make_tree.py keeps the 200,000-file / 10,000-folder tree (default:
# $QUORVEL_BENCH_CACHE or /tmp). Prints hyperfine's table and the ratio
# scan / find (target: at most 1.0).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/.." && pwd)"
build="${1:-$top/build/release}"
cache="${2:-${QUORVEL_BENCH_CACHE:-/tmp}}"

if [ ! -x "$build/bin/scan_bench" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target scan_bench -j2
fi
tree="$(python3 "$here/make_tree.py" --files 200000 --folders 10000 "$cache")"
echo "tree: $tree"
"$build/bin/scan_bench" "$tree"

json="$(mktemp)"
trap 'rm -f "$json"' EXIT
hyperfine --warmup 2 --runs "${RUNS:-10}" --export-json "$json" \
    -n find "find '$tree' -printf '%s %T@ %p\n' >/dev/null" \
    -n scan "'$build/bin/scan_bench' '$tree' >/dev/null"
python3 - "$json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
find, scan = results["find"], results["scan"]
print(f"find  mean {find['mean']:.3f} s  median {find['median']:.3f} s")
print(f"scan  mean {scan['mean']:.3f} s  median {scan['median']:.3f} s")
print(f"ratio scan/find: mean {scan['mean'] / find['mean']:.2f}, median {scan['median'] / find['median']:.2f}")
PY
