#!/bin/sh
# Takes the README's pictures: starts the quorvel-screenshots tool on a
# virtual X display (xvfb-run) with a small demo tree made here; the tool
# opens the main window, searches the tree, writes its page and saves the
# tabs "search result", "htm/txt options" and "htm preview" and the info
# window as PNG files.
#
#   scripts/screenshot.sh [TOOL] [OUT_FOLDER]
#
# TOOL defaults to build/release/tools/quorvel-screenshots, OUT_FOLDER to
# docs/screenshots. The window's preferences, settings and export folder are
# the tool's own, in a temporary folder; nothing of the user's is read or
# written.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$repo/build/release/tools/quorvel-screenshots}
out=${2:-$repo/docs/screenshots}
[ -x "$tool" ] || { echo "no tool at $tool (build it first)" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (apt-get install xvfb)" >&2; exit 1; }

# A fixed place, so the pictures show the same folder path on every run.
work=${TMPDIR:-/tmp}/kiv
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT INT TERM

# The demo tree: a small project with a few kinds of files.
tree=$work/demo
mkdir -p "$tree/src/ui" "$tree/docs" "$tree/images" "$tree/data"
printf 'int main() { return 0; }\n' >"$tree/src/main.cpp"
printf '#pragma once\n' >"$tree/src/util.h"
head -c 2600 /dev/zero >"$tree/src/util.cpp"
head -c 5400 /dev/zero >"$tree/src/ui/window.cpp"
printf '#pragma once\n' >"$tree/src/ui/window.h"
head -c 12000 /dev/zero >"$tree/docs/manual.html"
printf 'Read me first.\n' >"$tree/docs/readme.txt"
head -c 48000 /dev/zero >"$tree/images/logo.png"
head -c 150000 /dev/zero >"$tree/images/photo.jpg"
head -c 9000 /dev/zero >"$tree/data/table.csv"
printf 'Notes\n' >"$tree/notes.txt"
touch -d '2024-03-05 14:07:09' "$tree" "$tree"/* "$tree"/*/* "$tree"/src/ui/*

mkdir -p "$out" "$work/home" "$work/config" "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
# The web engine's sandbox cannot run as root.
if [ "$(id -u)" = 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
    XDG_RUNTIME_DIR=$work/runtime LC_ALL=C.UTF-8 TZ=UTC \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$tool" "$tree" "$out"

for name in search-result htm-txt-options htm-preview info-window; do
    [ -s "$out/$name.png" ] || { echo "missing $out/$name.png" >&2; exit 1; }
    echo "$out/$name.png"
done
