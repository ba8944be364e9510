#!/usr/bin/env python3
"""Makes the benchmark tree, reproducibly, and caches it.

make_tree.py [--files N] [--folders M] [--odd-names | --many-suffixes
             [--suffixes S]] [CACHE_DIR]

Builds CACHE_DIR/quorvel-tree-<N>-<M>[-odd|-suffixes]/ (CACHE_DIR: the
argument, else $QUORVEL_BENCH_CACHE, else /tmp) with M folders (a two-level
tree: sqrt(M) top folders, the rest spread below them) and N files spread
evenly over them, names mixed in case and extension, sizes set with truncate
(sparse, so the tree costs little disk). --odd-names adds names with blanks,
extra dots and non-ASCII letters; --many-suffixes also draws each file's
suffix from a pool of S (default 100,000) distinct ones: random letters and
digits, some in upper case or ending in a non-ASCII letter, some doubled
("x7.tar.gz") or after a version ("so.12.x7", which the MIME database takes
for a shared library), a few plain known ones. A finished tree carries a
marker file and is reused; the path is printed on stdout.
"""
import argparse
import os
import random
import sys

STEMS = ["file", "File", "data", "Report", "img", "_note", "zeta"]
ODD_STEMS = ["my file", "v1.2.3 notes", "résumé", "Ärger", "файл", "日本語"]
EXTENSIONS = ["txt", "TXT", "html", "c", "h", "cpp", "jpg", "png", "tar.gz", "md", "pdf", "log"]
SUFFIX_LETTERS = "abcdefghijklmnopqrstuvwxyz0123456789"
SUFFIX_ODD_LETTERS = "äöüéßøæçñж語"


def suffix_pool(rng, count):
    """count distinct suffixes (without the leading dot), reproducibly."""
    pool = []
    seen = set()
    while len(pool) < count:
        kind = rng.randrange(100)
        length = rng.randint(1, 8)
        word = "".join(rng.choice(SUFFIX_LETTERS) for _ in range(length))
        if kind < 10:
            word = word.upper()
        elif kind < 15:
            word += rng.choice(SUFFIX_ODD_LETTERS)
        elif kind < 20:
            word += "." + rng.choice(EXTENSIONS)
        elif kind < 25:
            word = f"so.{rng.randrange(100)}.{word}"
        elif kind < 28:
            word = rng.choice(EXTENSIONS)
        if word in seen:
            continue
        seen.add(word)
        pool.append(word)
    return pool


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--files", type=int, default=200_000)
    parser.add_argument("--folders", type=int, default=10_000)
    parser.add_argument("--odd-names", action="store_true",
                        help="also names with blanks, extra dots and non-ASCII letters")
    parser.add_argument("--many-suffixes", action="store_true",
                        help="suffixes from a pool of SUFFIXES distinct ones, odd stems")
    parser.add_argument("--suffixes", type=int, default=100_000,
                        help="how many distinct suffixes --many-suffixes draws from")
    parser.add_argument("cache", nargs="?", default=os.environ.get("QUORVEL_BENCH_CACHE", "/tmp"))
    args = parser.parse_args()

    suffix = "-suffixes" if args.many_suffixes else "-odd" if args.odd_names else ""
    if args.many_suffixes and args.suffixes != 100_000:
        suffix += f"-{args.suffixes}"
    root = os.path.join(args.cache, f"quorvel-tree-{args.files}-{args.folders}{suffix}")
    marker = os.path.join(root, ".complete")
    if os.path.exists(marker):
        print(root)
        return 0
    if os.path.exists(root):
        import shutil
        shutil.rmtree(root)
    os.makedirs(root)

    rng = random.Random(20261206)
    top = max(1, int(args.folders ** 0.5))
    folders = []
    for t in range(top):
        folders.append(os.path.join(root, f"Top{t:03d}"))
    below = args.folders - len(folders)
    for i in range(below):
        parent = folders[i % top]
        folders.append(os.path.join(parent, f"sub_{i:05d}"))
    for folder in folders:
        os.makedirs(folder, exist_ok=True)

    pool = suffix_pool(rng, args.suffixes) if args.many_suffixes else EXTENSIONS
    stems = STEMS + ODD_STEMS if args.odd_names or args.many_suffixes else STEMS
    per_folder = args.files // len(folders)
    extra = args.files - per_folder * len(folders)
    for index, folder in enumerate(folders):
        count = per_folder + (1 if index < extra else 0)
        for f in range(count):
            ext = pool[rng.randrange(len(pool))]
            stem = rng.choice(stems)
            path = os.path.join(folder, f"{stem}_{f:03d}.{ext}")
            with open(path, "wb") as handle:
                handle.truncate(rng.randrange(0, 1 << 20))
    with open(marker, "w") as handle:
        handle.write("complete\n")
    print(root)
    return 0


if __name__ == "__main__":
    sys.exit(main())
