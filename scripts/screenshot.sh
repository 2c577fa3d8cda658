#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/screenshot.png and docs/pad-map.png: the editor on the demo kit, on a private X
# server (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

#   scripts/screenshot.sh [BUILD_DIR]   (default build/, built and prepared by scripts/run.sh)
build="${1:-build}"
demo="$PWD/build/demo"
rm -f "$demo/padsmith.ini" # fresh settings: the demo kit reopens
if [ "$build" = build ]; then
    scripts/run.sh --build-only
else
    "$build/tools/make-demo" "$demo" >/dev/null
    printf '[General]\nZVDIR=%s\nFILE1=%s\nName=Demo Kit.txt\n' "$demo/Zarvo/" \
        "$demo/Zarvo/Demo Kit.txt" >"$demo/padsmith.ini"
fi

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
DISPLAY="$display" "$build/apps/padsmith/padsmith" --settings "$demo/padsmith.ini" &
editor=$!
sleep 4

mkdir -p docs
# The editor's window alone, found by its title (no window manager draws a frame under Xvfb).
window=$(DISPLAY="$display" xwininfo -root -tree | awk '/"Padsmith - \[/ {print $1; exit}')
if [ -n "$window" ]; then
    DISPLAY="$display" import -window "$window" docs/screenshot.png
else
    DISPLAY="$display" import -window root docs/screenshot.png
fi
echo "docs/screenshot.png"

# The window made larger, with the velocity map and the waveform under the list: the first
# zone of the kick clicked (selected and played).
if [ -n "$window" ]; then
    DISPLAY="$display" xdotool windowmove "$window" 0 0 windowsize "$window" 1000 760
    sleep 2
    DISPLAY="$display" xdotool mousemove --window "$window" 120 107 click 1
    sleep 3
    DISPLAY="$display" import -window "$window" docs/pad-map.png
    echo "docs/pad-map.png"
fi
