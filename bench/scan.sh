#!/usr/bin/env bash
# Times the folder scan against find on the same tree, in one hyperfine run,
# and shows that a search that is not recursive and matches nothing opens
# only the search folder.
#
#   bench/scan.sh [medium|large] [BUILD_DIR] [CACHE_DIR]
#
# medium: 200,000 files in 10,000 folders; large: the 1,000,000-file tree of
# bench/run.sh large. BUILD_DIR: a Release build folder that holds
# bin/scan_bench (default: build/release, configured and built here when
# missing). CACHE_DIR: where bench/make_tree.py keeps the tree (default:
# $QUORVEL_BENCH_CACHE or /tmp). Prints hyperfine's table and the ratio
# scan / find (target: at most 0.6).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/.." && pwd)"
size="${1:-medium}"
build="${2:-$top/build/release}"
cache="${3:-${QUORVEL_BENCH_CACHE:-/tmp}}"
source "$here/common.sh"
tree="$(bench_tree "$size" "$cache")" || {
    echo "usage: bench/scan.sh [medium|large] [BUILD_DIR] [CACHE_DIR]" >&2
    exit 2
}
ensure_release_build "$build" scan_bench
echo "tree: $tree"
"$build/bin/scan_bench" "$tree"

json="$(mktemp)"
trace="$(mktemp)"
trap 'rm -f "$json" "$trace"' EXIT
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

# Not recursive, nothing matches: the folders opened (strace, when there).
if command -v strace >/dev/null; then
    strace -f -e trace=openat -o "$trace" "$build/bin/scan_bench" "$tree" '*.no-such-suffix' --flat
    echo "folders opened by a search that is not recursive and matches nothing:" \
        "$(grep -c 'O_DIRECTORY' "$trace")"
fi
