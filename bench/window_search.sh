#!/usr/bin/env bash
# Times the main window's search command against the same search without a
# window, so the window's share (letting events run while it scans, hiding
# and showing the list) is seen, and reports how long the window could not
# react and how fast the filled list scrolls.
#
#   bench/window_search.sh [medium|large] [BUILD_DIR] [CACHE_DIR]
#
# medium: 200,000 files in 10,000 folders; large: the 1,000,000-file tree of
# bench/run.sh large.
# BUILD_DIR: a Release build folder (default: build/release, configured and
# built here when the programs are missing). CACHE_DIR: where
# bench/make_tree.py keeps the tree (default: $QUORVEL_BENCH_CACHE or /tmp).
# Prints hyperfine's table and the ratio window / no window of the search
# alone (target: at most 1.1).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/.." && pwd)"
size="${1:-medium}"
build="${2:-$top/build/release}"
cache="${3:-${QUORVEL_BENCH_CACHE:-/tmp}}"
source "$here/common.sh"
tree="$(bench_tree "$size" "$cache")" || {
    echo "usage: bench/window_search.sh [medium|large] [BUILD_DIR] [CACHE_DIR]" >&2
    exit 2
}
ensure_release_build "$build" scan_bench window_search_bench
echo "tree: $tree"
"$build/bin/scan_bench" "$tree"
"$build/bin/window_search_bench" --scroll "$tree"
# The same search with the cancel button pressed after 500 ms.
"$build/bin/window_search_bench" "$tree" 500

# Each program also runs on an empty folder: its start-up (the window's
# takes about a tenth of a second) is taken off before the ratio.
empty="$(mktemp -d)"
json="$(mktemp)"
trap 'rm -rf "$json" "$empty"' EXIT
hyperfine --warmup 1 --runs "${RUNS:-5}" --export-json "$json" \
    -n "no window" "'$build/bin/scan_bench' '$tree' >/dev/null" \
    -n window "'$build/bin/window_search_bench' '$tree' >/dev/null" \
    -n "no window, empty folder" "'$build/bin/scan_bench' '$empty' >/dev/null" \
    -n "window, empty folder" "'$build/bin/window_search_bench' '$empty' >/dev/null"
python3 - "$json" <<'PY'
import json, sys
results = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
bare = results["no window"] - results["no window, empty folder"]
window = results["window"] - results["window, empty folder"]
print(f"search without start-up: no window {bare:.3f} s, window {window:.3f} s")
print(f"ratio window/no window: {window / bare:.2f}")
PY
