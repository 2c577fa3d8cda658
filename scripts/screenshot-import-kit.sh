#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/import-kit.png: a Hydrogen drumkit with FLAC samples brought in by File › Import
# Kit at 1280×800, with the report of what it could not carry over, on a private X server
# (Xvfb) with a window manager (openbox). Needs Debian's hydrogen-drumkits (not installed for
# the tests: 223 MB).
#   scripts/screenshot-import-kit.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
drumkit=/usr/share/hydrogen/data/drumkits/ElectricEmpireKit/drumkit.xml
if [ ! -f "$drumkit" ]; then
    echo "needs $drumkit (apt-get install hydrogen-drumkits)" >&2
    exit 1
fi
work=$(mktemp -d)
"$build/tools/make-demo" "$work/demo" >/dev/null
# Fresh settings that open no kit; the decoded samples go to a cache of this run.
printf '[General]\nZVDIR=%s\n' "$work/demo/Zarvo/" >"$work/padsmith.ini"
export XDG_CACHE_HOME="$work/cache"

. scripts/private-x.sh
on_exit='rm -rf "$work"'
start_editor_at_1280x800 --settings "$work/padsmith.ini"
# File › Import Kit..., the drumkit's path typed into the dialog.
xdotool mousemove --window "$window" 20 8 click 1
sleep 1
xdotool mousemove --window "$window" 70 141 click 1
sleep 2
xdotool type --delay 20 "$drumkit"
xdotool key Return
# The report comes once the samples are decoded: a window of its own over the editor's.
for _ in $(seq 60); do
    xwininfo -root -tree | grep -qE '"Padsmith": \("padsmith" "Padsmith"\)  [0-9]{3}x' && break
    sleep 0.5
done
sleep 1
left=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
top=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
mkdir -p docs
import -window root -crop "1280x800+$left+$top" +repage docs/import-kit.png
echo "docs/import-kit.png"
