#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit's pad commands: copy-pad, move-pad, delete-pad and
# rename-pad, on a scratch kit.
#   pad_commands_test.sh PADSMITH_KIT
set -uo pipefail
tool="$1"
. "$(dirname "$0")/../checks.sh"
crlf() { sed 's/$/\r/'; }

mkdir -p "$work/lib"
for sample in kick snare; do printf '%s' "$sample" >"$work/lib/$sample.wav"; done
# Rock: a kick on pad 1, a snare on pad 2.
{
    printf 'vst samples,\nRock,\nRock,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,snare.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n 1,%s,\n 2,%s,\n' "$work/lib/kick.wav" "$work/lib/snare.wav"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/Rock.txt"
cp "$work/Rock.txt" "$work/Rock.orig"

# copy-pad onto a pad with zones swaps the two pads, names and paths included.
expect_exit 0 "$tool" copy-pad "$work/Rock.txt" --pad 1 2 --output "$work/swapped.txt"
cmp -s "$work/Rock.txt" "$work/Rock.orig" && pass || fail "copy-pad --output changed KIT"
expect_in $'^ 1,  0, 0, 38,SNARE,snare.wav,' "$work/swapped.txt"
expect_in $'^ 2,  0, 0, 36,KICK,kick.wav,' "$work/swapped.txt"
expect_in $'^ 2,'"$work/lib/kick.wav"$',\r$' "$work/swapped.txt"
# ... onto an empty pad it would define the kick's note twice: refused, nothing written.
expect_exit 1 "$tool" copy-pad "$work/Rock.txt" --pad 1 5
expect_in "Double defined NOTE" "$work/err"
expect_in "double note C1: pad 1 row 1 (kick.wav) and pad 5 row 1 (kick.wav)" "$work/err"
cmp -s "$work/Rock.txt" "$work/Rock.orig" && pass || fail "a refused copy wrote the kit"

# A kit read only in part is written only with --force, with what was read.
head -c 120 "$work/Rock.txt" >"$work/Cut.txt"
cp "$work/Cut.txt" "$work/Cut.orig"
expect_exit 1 "$tool" rename-pad "$work/Cut.txt" --pad 1 BOOM
expect_in "read only in part" "$work/err"
cmp -s "$work/Cut.txt" "$work/Cut.orig" && pass || fail "a kit read in part was written"
expect_exit 0 "$tool" rename-pad "$work/Cut.txt" --pad 1 BOOM --force --output "$work/Forced.txt"
expect_in $'^ 1,  0, 0, 36,BOOM,kick.wav,' "$work/Forced.txt"

# move-pad onto an empty pad, then onto the snare: the snare leaves the kit.
expect_exit 0 "$tool" move-pad "$work/Rock.txt" --pad 1 5
expect_in $'^ 5,  0, 0, 36,KICK,kick.wav,' "$work/Rock.txt"
expect_not_in $'^ 1,' "$work/Rock.txt"
expect_exit 0 "$tool" move-pad "$work/Rock.txt" --pad 5 2
expect_in "pad 2: KICK, 1 zones" "$work/out"
expect_not_in "snare" "$work/Rock.txt"
[ -f "$work/lib/snare.wav" ] && pass || fail "move-pad deleted a sample"

# rename-pad names the pad in every zone line; delete-pad empties it.
expect_exit 0 "$tool" rename-pad "$work/Rock.txt" --pad 2 "Big Kick"
expect_in $'^ 2,  0, 0, 36,Big Kick,kick.wav,' "$work/Rock.txt"
expect_exit 0 "$tool" delete-pad "$work/Rock.txt" --pad 2
expect_not_in "kick.wav" "$work/Rock.txt"
expect_in $'^Rock,\r$' "$work/Rock.txt"

# Only the pads a command changes are written anew: the header, the other pads' lines (their
# own spacing, zone names and missing samples) and the end stay byte for byte as read.
{
    printf 'vst samples,\nOdd,\nOdd Samples,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1, 64, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 1,  0, 0, 36,KICK HARD,gone.wav, 65,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf '3,0,0,40,HAT,snare.wav,1,127,40,40,1.00,1.00,0,0,\n'
    printf -- '-1\n\n 1,%s,\n 1,%s,\n 3,%s,\n' "$work/lib/kick.wav" "$work/lib/gone.wav" \
        "$work/lib/snare.wav"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/Odd.txt"
cp "$work/Odd.txt" "$work/Odd.orig"
hat=$' 3,  0, 0, 40,Hat,snare.wav,  1,127, 40, 40, 1.00, 1.00,  0,  0,\r'
expect_exit 0 "$tool" rename-pad "$work/Odd.txt" --pad 3 Hat
sed "s|^3,0,0,40,HAT.*|$hat|" "$work/Odd.orig" >"$work/expected"
cmp -s "$work/Odd.txt" "$work/expected" && pass ||
    { fail "rename-pad rewrote more than pad 3"; diff "$work/expected" "$work/Odd.txt"; }
# A pad moved onto an empty one goes in its place among the pads, zone and path lines alike.
expect_exit 0 "$tool" move-pad "$work/Odd.txt" --pad 3 7 --output "$work/Moved.txt"
{
    head -n 7 "$work/expected"
    printf '%s\n' "${hat/ 3,/ 7,}"
    sed -n '9,12p' "$work/expected"
    printf ' 7,%s,\r\n' "$work/lib/snare.wav"
    sed -n '14,$p' "$work/expected"
} >"$work/expected.move"
cmp -s "$work/Moved.txt" "$work/expected.move" && pass ||
    { fail "move-pad rewrote more than pads 3 and 7"; diff "$work/expected.move" "$work/Moved.txt"; }
# An empty pad has no line to keep a name in.
cp "$work/Odd.txt" "$work/Odd.now"
expect_exit 1 "$tool" rename-pad "$work/Odd.txt" --pad 9 Tom
expect_in "pad 9 has no zones" "$work/err"
cmp -s "$work/Odd.txt" "$work/Odd.now" && pass || fail "rename-pad of an empty pad wrote the kit"

# Usage errors change nothing.
cp "$work/Rock.txt" "$work/Rock.now"
expect_exit 2 "$tool" copy-pad "$work/Rock.txt" --pad 1 1
expect_exit 2 "$tool" move-pad "$work/Rock.txt" --pad 1 19
expect_exit 2 "$tool" rename-pad "$work/Rock.txt" --pad 1 "A,B"
expect_exit 2 "$tool" delete-pad "$work/Rock.txt"
expect_exit 1 "$tool" delete-pad "$work/none.txt" --pad 1
cmp -s "$work/Rock.txt" "$work/Rock.now" && pass || fail "a refused command wrote the kit"

finish
