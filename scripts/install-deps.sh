#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian/Ubuntu packages that building and testing Padsmith need, if missing.
# It never removes or downgrades a package you have: apt runs with --no-remove, and where a
# dependency may be met by one of several packages (JACK 1 or JACK 2, PulseAudio or PipeWire),
# the one already installed is named, so apt never has to choose.
#   install-deps.sh              install what is missing
#   install-deps.sh --list       print the packages this machine would be asked for
#   install-deps.sh --simulate   ask apt (as a dry run) for every package; fail if apt would
#                                remove one
set -euo pipefail
mode="${1:-install}"

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev libfontconfig-dev
    librtmidi-dev libsoxr-dev libpulse-dev libdbus-1-dev
    libpugixml-dev libarchive-dev libsndfile1-dev
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    clang libclang-rt-14-dev
    pulseaudio-utils rtkit
    xvfb x11-apps x11-utils xdotool wmctrl openbox imagemagick fonts-dejavu-core
    hydrogen-data libxml2-utils
    desktop-file-utils appstream shared-mime-info libglib2.0-bin dpkg-dev file man-db lintian
)

# JACK: librtmidi-dev depends on "libjack-dev | libjack-jackd2-dev", and JACK 1 and JACK 2
# conflict. Keep whichever the machine has; JACK 2 (the one musicians use) where it has none.
if installed jackd1 || installed libjack0 || installed libjack-dev; then
    packages+=(jackd1 libjack-dev)
else
    packages+=(jackd2 libjack-jackd2-dev)
fi

# The sound server: a machine whose PulseAudio clients talk to PipeWire keeps it; the tests
# start their own private PulseAudio only where PulseAudio is what the machine runs.
if ! installed pipewire-pulse; then
    packages+=(pulseaudio)
fi

case "$mode" in
--list)
    printf '%s\n' "${packages[@]}"
    exit 0
    ;;
--simulate)
    # Every package, installed or not: what apt would do if asked for the whole list now.
    out=$(LC_ALL=C apt-get install --simulate --no-remove --no-install-recommends \
        "${packages[@]}" 2>&1) || {
        echo "$out" >&2
        echo "install-deps: apt cannot install the list without removing a package" >&2
        exit 1
    }
    # apt never downgrades unless a version is asked for; a removal is what to watch.
    if grep -E '^(Remv|Purg) ' <<<"$out" >&2; then
        echo "install-deps: apt would remove the packages above" >&2
        exit 1
    fi
    exit 0
    ;;
install) ;;
*)
    echo "usage: install-deps.sh [--list | --simulate]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
if ! $sudo apt-get install -y -qq --no-remove --no-install-recommends "${missing[@]}"; then
    cat >&2 <<EOF
install-deps: apt could not install these packages without removing one you have, and
nothing was removed. Install them by hand, choosing what replaces what yourself:
    apt-get install ${missing[*]}
EOF
    exit 1
fi
