#!/usr/bin/env bash
# Installs the Debian 12 packages Dorivan builds, runs and tests with; does nothing when all are there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev libqt6opengl6-dev
    libsqlite3-dev libsqlitecpp-dev sqlite3 libicu-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-ipafont-gothic poppler-utils
    clang libclang-rt-14-dev
    dpkg-dev desktop-file-utils appstream lintian
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
