#!/usr/bin/env bash
# Installs every Debian 12 package that Quorvel needs to build, test, run and
# benchmark. Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
    libgl-dev libglx-dev libvulkan-dev
    # run
    libqt6webenginecore6-bin qt6-qpa-plugins shared-mime-info fonts-dejavu-core xdg-utils
    # tests and benchmarks
    xvfb xauth x11-utils hyperfine tree time firefox-esr chromium-headless-shell
    # install checks and the Debian package
    desktop-file-utils appstream dpkg-dev man-db
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -qq
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
