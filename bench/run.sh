#!/usr/bin/env bash
# Measures Quorvel's command-line listing against common tools on cached
# trees, all in the same run:
#
#   bench/run.sh [small|large|large-suffixes]
#
#   small:          about 20,000 files in 2,000 folders
#   large:          1,000,000 files in 60,000 folders, twice: names with
#                   blanks, dots and non-ASCII letters over a dozen suffixes;
#                   then names over about 100,000 distinct suffixes (upper
#                   case, non-ASCII, double and versioned ones among them)
#   large-suffixes: only the second large tree
#
# Each tree (sparse files of varied sizes) is made once by bench/make_tree.py
# under $QUORVEL_BENCH_CACHE (default /tmp). quorvel-list is built in
# build/release when it is missing. Prints, for each tree, a table of medians
# over $RUNS runs (default 5 small, 3 large), each as a ratio against find,
# with the mean user time and the peak memory of each command (from
# /usr/bin/time -v), and quorvel-list's bytes per listed entry above its
# empty-folder baseline. "scan alone" is bench/scan_bench: the search without
# any output. Last, the folders that a search that is not recursive and
# matches nothing opens (strace, when there).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
size=${1:-small}
case $size in
small) files=20000 folders=2000 runs=${RUNS:-5} trees=(--odd-names) ;;
large) files=1000000 folders=60000 runs=${RUNS:-3} trees=(--odd-names --many-suffixes) ;;
large-suffixes) files=1000000 folders=60000 runs=${RUNS:-3} trees=(--many-suffixes) ;;
*) echo "usage: bench/run.sh [small|large|large-suffixes]" >&2; exit 2 ;;
esac
build=${QUORVEL_BENCH_BUILD:-$top/build/release}
program=$build/bin/quorvel-list
scan_bench=$build/bin/scan_bench
for tool in hyperfine tree /usr/bin/time python3; do
    command -v "$tool" >/dev/null || { echo "bench/run.sh needs $tool (scripts/install-deps.sh)" >&2; exit 2; }
done
source "$here/common.sh"
ensure_release_build "$build" quorvel-list scan_bench

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/empty"

peak() { # peak resident set size in KiB of one run of the command
    /usr/bin/time -v bash -c "$1" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
}

measure() { # one tree, by make_tree.py's option for it
    local tree
    tree=$(python3 "$here/make_tree.py" --files "$files" --folders "$folders" "$1")
    local find_cmd="find '$tree' -printf '%s %T@ %p\n' >/dev/null"
    local du_cmd="du -s '$tree' >/dev/null"
    local page_cmd="'$program' -q -o '$out/page.html' '$tree'"
    local text_cmd="'$program' -q --text --with-files -o '$out/list.txt' '$tree'"
    local csv_cmd="'$program' -q --format csv -o '$out/list.csv' '$tree'"
    local tree_cmd="tree -H . --du -s -D -o '$out/tree.html' '$tree'"
    local scan_cmd="'$scan_bench' '$tree' >/dev/null"

    echo "tree: $tree ($files files, $folders folders, $1); $runs runs each; $(nproc) cores"
    hyperfine --style basic --warmup 1 --runs "$runs" --export-json "$out/times.json" \
        -n find "$find_cmd" -n "du -s" "$du_cmd" -n "quorvel-list page" "$page_cmd" \
        -n "quorvel-list --text" "$text_cmd" -n "quorvel-list --format csv" "$csv_cmd" \
        -n "scan alone" "$scan_cmd" \
        -n "tree -H" "$tree_cmd" >"$out/hyperfine.log"
    {
        echo "find $(peak "$find_cmd")"
        echo "du -s $(peak "$du_cmd")"
        echo "quorvel-list page $(peak "$page_cmd")"
        echo "quorvel-list --text $(peak "$text_cmd")"
        echo "quorvel-list --format csv $(peak "$csv_cmd")"
        echo "scan alone $(peak "$scan_cmd")"
        echo "tree -H $(peak "$tree_cmd")"
        echo "baseline $(peak "'$program' -q -o '$out/empty.html' '$out/empty'")"
    } >"$out/peaks.txt"
    local listed
    listed=$(find "$tree" | wc -l)

    python3 - "$out/times.json" "$out/peaks.txt" "$listed" "$out/page.html" <<'PY'
import json, os, sys
results = json.load(open(sys.argv[1]))["results"]
times = {r["command"]: r["median"] for r in results}
user = {r["command"]: r["user"] for r in results}
peaks = {}
for line in open(sys.argv[2]):
    name, _, kib = line.strip().rpartition(" ")
    peaks[name] = int(kib)
listed = int(sys.argv[3])
print()
print("| command | median (s) | x find | user (s) | peak memory (MiB) |")
print("|---|---:|---:|---:|---:|")
for name, median in times.items():
    print(f"| {name} | {median:.2f} | {median / times['find']:.2f} | {user[name]:.2f} "
          f"| {peaks[name] / 1024:.0f} |")
above = (peaks["quorvel-list page"] - peaks["baseline"]) * 1024 / listed
print()
print(f"entries: {listed}; quorvel-list page: {above:.0f} bytes per entry above its "
      f"empty-folder baseline ({peaks['baseline'] / 1024:.0f} MiB); "
      f"page {os.path.getsize(sys.argv[4]) / listed:.0f} bytes per entry")
PY
    if command -v strace >/dev/null; then
        strace -f -e trace=openat -o "$out/trace" "$scan_bench" "$tree" '*.no-such-suffix' --flat \
            >/dev/null
        echo "folders opened by a search that is not recursive and matches nothing:" \
            "$(grep -c 'O_DIRECTORY' "$out/trace")"
    fi
}

for kind in "${trees[@]}"; do
    measure "$kind"
    echo
done
