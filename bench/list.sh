#!/bin/bash
# Lists the 200,000-file tree to a page with quorvel-list and compares, in
# one hyperfine run, against `find -printf` (the floor: walk and print) and
# `tree -H --du -D` (another folder-to-HTML lister).
#
#   bench/list.sh [BUILD_DIR] [FILES]
#
# BUILD_DIR holds bin/quorvel-list (default: build-release; configure it with
# -DCMAKE_BUILD_TYPE=Release). The tree comes from bench/make_tree.py and is
# cached. Prints the hyperfine table, the ratios and the page size per file.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build-release}
files=${2:-200000}
program=$build/bin/quorvel-list
[ -x "$program" ] || { echo "no $program; build the quorvel-list target first" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "hyperfine is needed" >&2; exit 2; }

if [ -f "$here/make_tree.py" ]; then
    tree_dir=$(python3 "$here/make_tree.py" --files "$files")
else
    # A plain stand-in: FILES empty files over 100 x 100 folders, made once.
    tree_dir=${QUORVEL_BENCH_CACHE:-/tmp}/quorvel-list-tree-$files
    if [ ! -e "$tree_dir/.complete" ]; then
        rm -rf "$tree_dir"
        python3 - "$tree_dir" "$files" <<'PY'
import os, sys
root, files = sys.argv[1], int(sys.argv[2])
folders = [os.path.join(root, f"Top{t:02d}", f"sub_{s:02d}") for t in range(100) for s in range(100)]
for i in range(files):
    folder = folders[i % len(folders)]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"File_{i:06d}.{('txt', 'c', 'jpg', 'log')[i % 4]}"), "wb") as f:
        f.truncate(i * 37 % 100000)
open(os.path.join(root, ".complete"), "w").close()
PY
    fi
fi
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
