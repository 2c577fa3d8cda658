#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/kit-health.png: the editor with the "Kit Health" panel open on a kit made to show
# what the health check finds, on a private X server (Xvfb).
#   scripts/health-screenshot.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
work=$(mktemp -d)
plugin="$work/Zarvo"
"$build/tools/make-demo" "$work/demo" >/dev/null
samples="$work/demo/Zarvo/Demo Kit"
mkdir -p "$plugin/Takes"
touch "$plugin/Zarvo.dll"
cp "$samples/snare.wav" "$plugin/Takes/old snare.wav" # a copy no kit plays

# A first try at variation: a second snare take with the same window as the first, a soft
# layer that starts at 20, a kick layer louder than the hard one, a hat layer in 24 bits.
{
    printf 'vst samples,\nTakes,\nTakes,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick hard.wav,  1, 90, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav, 91,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,snare.wav, 81,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,rim.wav, 81,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,clap.aif, 20, 80, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 42,HAT,hat closed.wav,  1, 90, 42, 42, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 42,HAT,hat open.wav, 91,127, 42, 42, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    for name in "kick hard.wav" kick.wav snare.wav rim.wav clap.aif "hat closed.wav" "hat open.wav"; do
        case "$name" in kick*) pad=1 ;; hat*) pad=3 ;; *) pad=2 ;; esac
        printf ' %d,%s,\n' "$pad" "$samples/$name"
    done
    printf -- '-1\n\nPadsmith by Mervane'
} | sed 's/$/\r/' >"$plugin/Takes.txt"
printf '[General]\nZVDIR=%s\nFILE1=%s\nName=Takes.txt\n' "$plugin/" "$plugin/Takes.txt" \
    >"$work/padsmith.ini"

. scripts/private-x.sh
on_exit='rm -rf "$work"'
start_private_x 1600x1000
start_window_manager
start_editor --settings "$work/padsmith.ini"
sleep 4
window=$(editor_window)
# The pads keep their distance from the bottom edge as the window grows.
designed=$(xwininfo -id "$window" | awk '/Height:/ {print $2}')
xdotool windowmove "$window" 0 0 windowsize "$window" 1280 800 || true
sleep 2
# The panel opens with Ctrl+H; the snare pad shows its marked rows.
xdotool mousemove --window "$window" 300 40 click 1 key ctrl+h
sleep 1
xdotool mousemove --window "$window" 94 $((372 + 800 - designed)) click 1
sleep 2
mkdir -p docs
import -window "${window:-root}" docs/kit-health.png
echo "docs/kit-health.png"
