#!/usr/bin/env bash
# Times the page's filter box keystroke by keystroke on the pages of the
# 200,000-file tree, in table and in toggle mode, in two Chromiums: Qt
# WebEngine (the preview's engine, filter_box_bench) and Debian's
# chromium-headless-shell (bench/filter_box_chromium.py):
#
#   bench/filter_box.sh [BUILD_DIR] [CACHE_DIR]
#
# BUILD_DIR: a Release build folder (default: build/release, configured and
# built here when the programs are missing). CACHE_DIR: where
# bench/make_tree.py keeps the tree (default: $QUORVEL_BENCH_CACHE or /tmp).
# For each keystroke each prints the count the page shows, the
# script's time, the script with the style and layout work it causes, and
# the time until the next frame (target: at most 100 ms).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/.." && pwd)"
build="${1:-$top/build/release}"
cache="${2:-${QUORVEL_BENCH_CACHE:-/tmp}}"

source "$here/common.sh"
ensure_release_build "$build" quorvel-list filter_box_bench
tree="$(bench_tree medium "$cache")"
pages="$(mktemp -d)"
trap 'rm -rf "$pages"' EXIT
export QT_QPA_PLATFORM=offscreen
# The web engine's sandbox does not run as root.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
for toggle in False True; do
    page="$pages/toggle-$toggle.html"
    "$build/bin/quorvel-list" -q --set bgFilterBox=True --set "bgToggle=$toggle" \
        --set bgLink=True -o "$page" "$tree"
    echo "== bgToggle=$toggle ($(du -h "$page" | cut -f1)), Qt WebEngine"
    # A renderer that runs out of memory on the page ends only this part.
    "$build/bin/filter_box_bench" "$page" 2>/dev/null || echo "(Qt WebEngine could not load the page)"
    echo "== bgToggle=$toggle, chromium-headless-shell"
    python3 "$here/filter_box_chromium.py" "$page"
done
