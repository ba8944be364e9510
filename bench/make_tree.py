#!/usr/bin/env python3
"""Makes the benchmark tree, reproducibly, and caches it.

make_tree.py [--files N] [--folders M] [CACHE_DIR]

Builds CACHE_DIR/quorvel-tree-<N>-<M>/ (CACHE_DIR: the argument, else
$QUORVEL_BENCH_CACHE, else /tmp) with M folders (a two-level tree: sqrt(M)
top folders, the rest spread below them) and N files spread evenly over
them, names mixed in case and extension, sizes set with truncate (sparse, so
the tree costs little disk). A finished tree carries a marker file and is
reused; the path is printed on stdout.
"""
import argparse
import os
import random
import sys

STEMS = ["file", "File", "data", "Report", "img", "_note", "zeta"]
ODD_STEMS = ["my file", "v1.2.3 notes", "résumé", "Ärger", "файл", "日本語"]
EXTENSIONS = ["txt", "TXT", "html", "c", "h", "cpp", "jpg", "png", "tar.gz", "md", "pdf", "log"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--files", type=int, default=200_000)
    parser.add_argument("--folders", type=int, default=10_000)
    parser.add_argument("--odd-names", action="store_true",
                        help="also names with blanks, extra dots and non-ASCII letters")
    parser.add_argument("cache", nargs="?", default=os.environ.get("QUORVEL_BENCH_CACHE", "/tmp"))
    args = parser.parse_args()

    suffix = "-odd" if args.odd_names else ""
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

    per_folder = args.files // len(folders)
    extra = args.files - per_folder * len(folders)
    for index, folder in enumerate(folders):
        count = per_folder + (1 if index < extra else 0)
        for f in range(count):
            ext = EXTENSIONS[rng.randrange(len(EXTENSIONS))]
            stem = rng.choice(STEMS + ODD_STEMS if args.odd_names else STEMS)
            path = os.path.join(folder, f"{stem}_{f:03d}.{ext}")
            with open(path, "wb") as handle:
                handle.truncate(rng.randrange(0, 1 << 20))
    with open(marker, "w") as handle:
        handle.write("complete\n")
    print(root)
    return 0


if __name__ == "__main__":
    sys.exit(main())
