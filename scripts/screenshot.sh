#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/screenshot.png, docs/pad-map.png and docs/cell-editing.png: the editor on the demo
# kit at 1280×800, on a private X server (Xvfb) with a window manager (openbox), as on a desktop.
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

. scripts/private-x.sh
# The size a laptop gives it: the velocity map and the waveform show under the zone list.
start_editor_at_1280x800 --settings "$demo/padsmith.ini"
mkdir -p docs
import -window "$window" docs/screenshot.png
echo "docs/screenshot.png"

# The first zone of the kick clicked (selected and played): its block lit on the map, its
# waveform below.
xdotool mousemove --window "$window" 120 107 click 1
sleep 3
import -window "$window" docs/pad-map.png
echo "docs/pad-map.png"

# Both kick zones selected (a click, then a Shift+click on the second row's velocity) and a
# velocity window typed into the cell, not yet committed.
xdotool mousemove --window "$window" 270 107 click 1
sleep 1
xdotool keydown shift
xdotool mousemove --window "$window" 270 124 click 1
xdotool keyup shift
sleep 0.5
xdotool type --delay 80 "90  127"
sleep 1
import -window "$window" docs/cell-editing.png
echo "docs/cell-editing.png"
