#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/folder-kit-preview.png and docs/folder-kit.png: the demo library's "Folder Kit"
# (30 samples) handed to the editor as a dropped folder, the preview of its pads, and the kit
# it makes, on a private X server (Xvfb). Needs xdotool to press OK in the preview.
set -euo pipefail
cd "$(dirname "$0")/.."

#   scripts/screenshot-folder-kit.sh [BUILD_DIR]   (default build/)
build="${1:-build}"
demo="$PWD/build/demo"
"$build/tools/make-demo" "$demo" >/dev/null
# Fresh settings that open no kit: the folder makes the only one.
printf '[General]\nZVDIR=%s\n' "$demo/Zarvo/" >"$demo/folder-kit.ini"

. scripts/private-x.sh
start_private_x 1600x1000
start_window_manager
start_editor --settings "$demo/folder-kit.ini" "$demo/Library/Folder Kit"
sleep 5

mkdir -p docs
preview=$(xwininfo -root -tree | awk '/"New Kit from Folder"/ && !found {print $1; found = 1}')
import -window "${preview:-root}" docs/folder-kit-preview.png
xdotool key Return
sleep 3
window=$(editor_window)
# The size a laptop gives it, as the other pictures: the velocity map and the waveform show.
if [ -n "$window" ]; then
    xdotool windowmove "$window" 0 0 windowsize "$window" 1280 800 || true
    sleep 2
fi
import -window "${window:-root}" docs/folder-kit.png
echo "docs/folder-kit-preview.png docs/folder-kit.png"
