#!/bin/bash
# Lists the 200,000-file tree to a page with quorvel-list and compares, in
# one hyperfine run, against `find -printf` (the floor: walk and print) and
# `tree -H --du -D` (another folder-to-HTML lister).
#
#   bench/list.sh [BUILD_DIR] [FILES]
#
# BUILD_DIR: a Release build folder (default: build/release, configured and
# built here when quorvel-list is missing). The tree comes from
# bench/make_tree.py and is cached under $QUORVEL_BENCH_CACHE (default /tmp).
# Prints the hyperfine table, the ratios and the page size per file.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
build=${1:-$top/build/release}
files=${2:-200000}
program=$build/bin/quorvel-list
command -v hyperfine >/dev/null || { echo "hyperfine is needed (scripts/install-deps.sh)" >&2; exit 2; }
source "$here/common.sh"
ensure_release_build "$build" quorvel-list
tree_dir=$(python3 "$here/make_tree.py" --files "$files" "${QUORVEL_BENCH_CACHE:-/tmp}")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

hyperfine --warmup 1 --runs "${RUNS:-5}" --export-json "$out/times.json" \
    -n find "find '$tree_dir' -printf '%s %T@ %p\n' > '$out/find.txt'" \
    -n quorvel-list "'$program' -q -o '$out/list.html' '$tree_dir'" \
    -n tree-H "tree -H . --du -s -D -o '$out/tree.html' '$tree_dir'"

listed=$(($(wc -l < "$out/find.txt")))
python3 - "$out/times.json" "$out/list.html" "$out/tree.html" "$listed" <<'PY'
import json, os, sys
times = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
entries = int(sys.argv[4])
page, tree_page = os.path.getsize(sys.argv[2]), os.path.getsize(sys.argv[3])
print(f"entries listed by find: {entries}")
for name in ("find", "quorvel-list", "tree-H"):
    print(f"{name:13s} {times[name]:8.3f} s  ({times[name] / times['find']:.2f} x find)")
print(f"quorvel-list / tree-H: {times['quorvel-list'] / times['tree-H']:.2f}")
print(f"page bytes per entry: quorvel-list {page / entries:.0f}, tree -H {tree_page / entries:.0f}")
PY
