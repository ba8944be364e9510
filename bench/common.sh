# shellcheck shell=bash
# Sourced by the bench scripts after they set `top` (the repository) and
# `here` (bench/).

# ensure_release_build BUILD PROGRAM...: configures and builds BUILD as a
# Release build when any of the programs is missing from BUILD/bin.
ensure_release_build() {
    local build=$1
    shift
    local program
    for program in "$@"; do
        if [ ! -x "$build/bin/$program" ]; then
            cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
            cmake --build "$build" --target "$@" -j2 >/dev/null
            return
        fi
    done
}

# bench_tree SIZE CACHE_DIR: prints the path of the medium (200,000 files in
# 10,000 folders) or large (1,000,000 files in 60,000 folders, odd names)
# tree, made once by make_tree.py under CACHE_DIR.
bench_tree() {
    case $1 in
    medium) python3 "$here/make_tree.py" --files 200000 --folders 10000 "$2" ;;
    large) python3 "$here/make_tree.py" --files 1000000 --folders 60000 --odd-names "$2" ;;
    *) return 2 ;;
    esac
}
