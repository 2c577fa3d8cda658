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

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
editor=""
cleanup() {
    [ -n "$editor" ] && kill "$editor" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
DISPLAY="$display" "$build/apps/padsmith/padsmith" --settings "$demo/folder-kit.ini" \
    "$demo/Library/Folder Kit" &
editor=$!
sleep 5

mkdir -p docs
DISPLAY="$display" import -window root -trim docs/folder-kit-preview.png
DISPLAY="$display" xdotool key Return
sleep 3
window=$(DISPLAY="$display" xwininfo -root -tree | awk '/"Padsmith - \[/ {print $1; exit}')
DISPLAY="$display" import -window "${window:-root}" docs/folder-kit.png
echo "docs/folder-kit-preview.png docs/folder-kit.png"
