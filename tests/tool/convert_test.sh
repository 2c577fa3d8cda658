#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit convert: an SFZ library into an installed kit, the kit out
# to SFZ and Hydrogen and back, dry runs, and what is never replaced.
#   convert_test.sh PADSMITH_KIT
set -uo pipefail
tool="$1"
. "$(dirname "$0")/../checks.sh"
export XDG_CACHE_HOME="$work/cache"

# A tiny 16-bit WAVE file whose data is the given text.
wave() {
    local data=$1 size=${#1}
    printf 'RIFF'; printf "\\x$(printf %02x $(((size + 36) & 255)))\\x00\\x00\\x00"
    printf 'WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00'
    printf 'data'; printf "\\x$(printf %02x "$size")\\x00\\x00\\x00"; printf '%s' "$data"
}
mkdir -p "$work/lib/kick" "$work/lib/snare" "$work/plug"
touch "$work/plug/Zarvo.dll"
wave "kick soft!" >"$work/lib/kick/soft.wav"
wave "kick hard!" >"$work/lib/kick/hard.wav"
wave "snare hit!" >"$work/lib/snare/hard.wav"
cat >"$work/lib/Drums.sfz" <<'SFZ'
<group> group_label=Kick key=36
<region> sample=kick/soft.wav hivel=90
<region> sample=kick/hard.wav lovel=91 volume=6
<group> group_label=Snare
<region> sample=snare\hard.wav key=d2 pan=-100 ampeg_attack=0.1
SFZ

# A dry run writes nothing and prints what would be lost.
expect_exit 0 "$tool" convert "$work/lib/Drums.sfz" "$work/plug/Drums.txt" --dry-run
expect_in "2 pad(s), 3 zone(s)" "$work/out"
expect_in "ampeg_attack (1 region)" "$work/out"
[ ! -e "$work/plug/Drums.txt" ] && pass || fail "a dry run wrote the kit"

# Into a kit script: written and installed, two files named hard.wav kept apart.
expect_exit 0 "$tool" convert "$work/lib/Drums.sfz" "$work/plug/Drums.txt"
expect_in $'36,Kick,soft.wav,  1, 90,' "$work/plug/Drums.txt"
expect_in $'36,Kick,hard.wav, 91,127, 36, 36, 2.00, 2.00,' "$work/plug/Drums.txt"
expect_in $'38,Snare,snare hard.wav,  1,127, 38, 38, 1.00, 0.25,' "$work/plug/Drums.txt"
cmp -s "$work/plug/Drums/snare hard.wav" "$work/lib/snare/hard.wav" && pass ||
    fail "the snare was not installed under its own name"
expect_exit 1 "$tool" convert "$work/lib/Drums.sfz" "$work/plug/Drums.txt"
expect_in "exists (--force replaces it)" "$work/err"
# What the kit plays from the conversion is kept beside it; the cache keeps nothing.
expect_in "Drums sources/" "$work/plug/Drums.txt"
leftovers=$(find "$work/cache" -type f 2>/dev/null | wc -l)
[ "$leftovers" -eq 0 ] && pass || fail "the conversion left $leftovers file(s) in the cache"
# Named from another folder, the kept sources are where the script says.
(cd "$work" && "$tool" convert lib/Drums.sfz plug/Rel.txt >/dev/null) && pass || fail "relative OUT"
expect_in "$work/plug/Rel sources/" "$work/plug/Rel.txt"

# Out to SFZ and to Hydrogen, and back: the same zones.
expect_exit 0 "$tool" convert "$work/plug/Drums.txt" "$work/sfz/Drums.sfz"
expect_in "sample=hard.wav key=36 lovel=91 hivel=127 volume=6.02 pan=0.00" "$work/sfz/Drums.sfz"
expect_exit 0 "$tool" convert "$work/plug/Drums.txt" "$work/h2/Drums" --name "My Drums"
expect_in "<name>My Drums</name>" "$work/h2/Drums/drumkit.xml"
expect_exit 0 "$tool" convert "$work/plug/Drums.txt" "$work/Drums.h2drumkit"
for back in "$work/sfz/Drums.sfz" "$work/h2/Drums" "$work/Drums.h2drumkit"; do
    expect_exit 0 "$tool" convert "$back" "$work/plug/Back.txt" --force
    expect_in $'36,Kick,hard.wav, 91,127, 36, 36, 2.00, 2.00,' "$work/plug/Back.txt"
    expect_in $'38,Snare,snare hard.wav,  1,127, 38, 38, 1.00, 0.25,' "$work/plug/Back.txt"
done

# Wrong usage.
expect_exit 2 "$tool" convert "$work/lib/kick/soft.wav" "$work/x.txt"
expect_exit 2 "$tool" convert "$work/lib/Drums.sfz" "$work/x.txt" --keys loud
expect_exit 2 "$tool" convert "$work/Drums.h2drumkit" "$work/x.txt" --max-entries 0
expect_exit 2 "$tool" convert "$work/plug/Drums.txt" "$work/again.txt"
expect_exit 1 "$tool" convert "$work/nothing.sfz" "$work/x.txt"
finish
