#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/groove.png: the demo kit playing the demo rock beat, the pads and the kick's
# velocity map lit by its notes, at 1280×800 on a private X server (Xvfb) with a window manager
# (openbox). The groove is handed to the
# running editor as a second start with the file would hand it (as a drop on the window).
set -euo pipefail
cd "$(dirname "$0")/.."

#   scripts/screenshot-groove.sh [BUILD_DIR]   (default build/)
build="${1:-build}"
demo="$PWD/build/demo"
"$build/tools/make-demo" "$demo" >/dev/null
printf '[General]\nZVDIR=%s\nFILE1=%s\nName=Demo Kit.txt\n' "$demo/Zarvo/" \
    "$demo/Zarvo/Demo Kit.txt" >"$demo/groove.ini"

. scripts/private-x.sh
start_editor_at_1280x800 --settings "$demo/groove.ini"
"$build/apps/padsmith/padsmith" --settings "$demo/groove.ini" "$demo/Grooves/Rock Beat.mid" &
# A few pictures a little apart in the second bar; the one with the most pads lit is kept (a pad
# stays lit for a moment after its note).
sleep 2.6
shots=$(mktemp -d)
on_exit="rm -rf '$shots'"
for shot in 1 2 3 4 5 6 7 8; do
    import -window "$window" "$shots/$shot.png"
    sleep 0.07
done
# Lit pads show their pressed picture, brighter than the resting one: the brightest pad row wins.
best=$(for shot in "$shots"/*.png; do
    printf '%s %s\n' "$(convert "$shot" -crop 500x140+10+645 -colorspace Gray -format '%[fx:mean]' info:)" "$shot"
done | sort -rn | head -n 1 | cut -d' ' -f2)
mkdir -p docs
cp "$best" docs/groove.png
echo "docs/groove.png"
