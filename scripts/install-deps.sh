#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian/Ubuntu packages that building and testing Padsmith need, if missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libgl-dev libfontconfig-dev
    librtmidi-dev libsoxr-dev
    libpugixml-dev libarchive-dev libsndfile1-dev
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    clang libclang-rt-14-dev
    pulseaudio pulseaudio-utils
    jackd2
    xvfb x11-apps imagemagick fonts-dejavu-core
    desktop-file-utils appstream shared-mime-info libglib2.0-bin dpkg-dev file man-db lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
