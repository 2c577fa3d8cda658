#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit's instrument commands: export-instrument, import-instrument
# and pad-kit, on scratch kits.
#   instrument_commands_test.sh PADSMITH_KIT
set -uo pipefail
tool="$1"
. "$(dirname "$0")/../checks.sh"
crlf() { sed 's/$/\r/'; }
unchanged() { # file copy what
    cmp -s "$1" "$2" && pass || fail "$3 changed $1"
}

mkdir -p "$work/lib" "$work/plugin" "$work/moved/deep"
printf 'soft' >"$work/lib/snare soft.wav"
printf 'hard' >"$work/lib/snare hard.wav"
printf 'kick' >"$work/lib/kick.wav"
# Rock: the snare on pad 12, two layers, the soft one at -12 dB.
{
    printf 'vst samples,\nRock,\nRock,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf '12,  0, 0, 38,Snare,snare soft.wav,  1, 99,  0,  0, 0.25, 2.00,  0,  0,\n'
    printf '12,  0, 0, 38,Snare,snare hard.wav,100,127,  0,  0, 1.00, 2.00,  2,  3,\n'
    printf -- '-1\n\n'
    printf ' 1,%s,\n12,%s,\n12,%s,\n' "$work/lib/kick.wav" "$work/lib/snare soft.wav" \
        "$work/lib/snare hard.wav"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/Rock.txt"
# Jazz: only a kick on pad 1.
{
    printf 'vst samples,\nJazz,\nJazz,\nMe,\n\n'
    printf ' 1,  0, 0, 35,BD,kick.wav,  1,127, 35, 35, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n 1,%s,\n-1\n\nPadsmith by Mervane' "$work/lib/kick.wav"
} | crlf >"$work/Jazz.txt"
cp "$work/Rock.txt" "$work/Rock.orig"
cp "$work/Jazz.txt" "$work/Jazz.orig"

# export-instrument: the pad's zones, one-decimal gains, CR LF, the kit untouched.
expect_exit 0 "$tool" export-instrument "$work/Rock.txt" --pad 12 --output "$work/snare.zvi"
expect_in "exported pad 12 (Snare, 2 zones)" "$work/out"
expect_in $'^Zarvo Drumkit instrument,\r$' "$work/snare.zvi"
expect_in $'^12,  0, 0, 38,Snare,snare soft.wav,  1, 99,  0,  0, 0.3, 2.0,  0,  0,'"$work/lib/snare soft.wav"$',\r$' "$work/snare.zvi"
[ "$(tail -c 23 "$work/snare.zvi")" = $'\r\n\r\nPadsmith by Mervane' ] && pass || fail "bad file end"
unchanged "$work/Rock.txt" "$work/Rock.orig" "export-instrument"
# An existing file is replaced only with --force.
printf 'mine' >"$work/taken.zvi"
expect_exit 2 "$tool" export-instrument "$work/Rock.txt" --pad 12 --output "$work/taken.zvi"
[ "$(cat "$work/taken.zvi")" = mine ] && pass || fail "export replaced a file unasked"
expect_exit 0 "$tool" export-instrument "$work/Rock.txt" --pad 12 --output "$work/taken.zvi" --force
cmp -s "$work/taken.zvi" "$work/snare.zvi" && pass || fail "--force did not replace"
# An empty pad is not exported, not even over an existing file with --force.
expect_exit 1 "$tool" export-instrument "$work/Rock.txt" --pad 5 --output "$work/taken.zvi" --force
expect_in "pad 5 has no zones" "$work/err"
cmp -s "$work/taken.zvi" "$work/snare.zvi" && pass || fail "an empty pad replaced an instrument"

# import-instrument into pad 3 of Jazz, written to --output: Jazz itself stays.
expect_exit 0 "$tool" import-instrument "$work/Jazz.txt" --pad 3 "$work/snare.zvi" \
    --output "$work/Jazz2.txt"
expect_in "imported 2 zones into pad 3 (Snare)" "$work/out"
unchanged "$work/Jazz.txt" "$work/Jazz.orig" "import-instrument --output"
expect_in $'^ 3,  0, 0, 38,Snare,snare soft.wav,  1, 99,  0,  0, 0.30, 2.00,  0,  0,\r$' "$work/Jazz2.txt"
expect_in $'^ 3,'"$work/lib/snare hard.wav"$',\r$' "$work/Jazz2.txt"
expect_in $'^Jazz,\r$' "$work/Jazz2.txt"
# ... and into pad 1, which has a zone: appended after it, in place.
expect_exit 0 "$tool" import-instrument "$work/Jazz.txt" --pad 1 "$work/snare.zvi"
expect_in "into pad 1 (BD)" "$work/out"
[ "$(grep -c $'^ 1,  0, 0, 3[58],BD,' "$work/Jazz.txt")" -eq 3 ] && pass ||
    fail "zones not appended to pad 1"
cp "$work/Jazz.orig" "$work/Jazz.txt"

# A sample that moved is found under --search, or reported missing without it.
sed "s#$work/lib/snare hard.wav#/gone/snare hard.wav#" "$work/snare.zvi" >"$work/moved.zvi"
mv "$work/lib/snare hard.wav" "$work/moved/deep/"
expect_exit 0 "$tool" import-instrument "$work/Jazz.txt" --pad 3 "$work/moved.zvi" \
    --search "$work/moved" --output "$work/Jazz3.txt"
expect_in $'^ 3,'"$work/moved/deep/snare hard.wav"$',\r$' "$work/Jazz3.txt"
expect_exit 0 "$tool" import-instrument "$work/Jazz.txt" --pad 3 "$work/moved.zvi" \
    --output "$work/Jazz4.txt"
expect_in "missing sample: /gone/snare hard.wav" "$work/out"

# A file read only in part: refused with the line named, or imported in part with --force.
head -c 180 "$work/snare.zvi" >"$work/cut.zvi"
expect_exit 1 "$tool" import-instrument "$work/Jazz.txt" --pad 3 "$work/cut.zvi"
expect_in "line 3 could not be read" "$work/err"
unchanged "$work/Jazz.txt" "$work/Jazz.orig" "a refused import"
expect_exit 0 "$tool" import-instrument "$work/Jazz.txt" --pad 3 "$work/cut.zvi" --force \
    --output "$work/Jazz5.txt"
expect_in "imported 1 zones" "$work/out"
expect_in "line 3 could not be read" "$work/err"
# Unreadable files, and a kit that would define a note twice, change nothing.
expect_exit 1 "$tool" import-instrument "$work/Jazz.txt" --pad 3 "$work/none.zvi"
sed 's/ 38,Snare/ 35,Snare/' "$work/snare.zvi" >"$work/clash.zvi"
expect_exit 1 "$tool" import-instrument "$work/Jazz.txt" --pad 3 "$work/clash.zvi"
expect_in "Double defined NOTE" "$work/err"
expect_in "double note B0: pad 1 row 1 (kick.wav) and pad 3 row 1 (snare soft.wav)" "$work/err"
unchanged "$work/Jazz.txt" "$work/Jazz.orig" "an import with a double note"

# pad-kit: "Rock Snare.txt" in the plug-in folder, one pad, no path section, its samples in a
# folder of its own; a sample whose source is gone is named, and the exit code says so.
expect_exit 1 "$tool" pad-kit "$work/Rock.txt" --pad 12 --plugin-dir "$work/plugin"
expect_in "not copied: Rock Snare/snare hard.wav" "$work/err"
printf 'hard' >"$work/lib/snare hard.wav"
kit="$work/plugin/Rock Snare.txt"
expect_in $'^Rock Snare,\r$' "$kit"
[ "$(cat "$work/plugin/Rock Snare/snare soft.wav")" = soft ] && pass || fail "pad kit sample"
[ -f "$kit" ] && pass || fail "no Rock Snare.txt"
expect_in $'^12,  0, 0, 38,Snare,snare soft.wav,  1, 99,  0,  0, 0.25, 2.00,  0,  0,\r$' "$kit"
expect_not_in "$work/lib" "$kit"
[ "$(tail -c 25 "$kit")" = $'-1\r\n\r\nPadsmith by Mervane' ] && pass || fail "path section written"
[ "$(grep -c ',' "$kit")" -eq 6 ] && pass || fail "more than one pad written"
cp "$kit" "$work/padkit.orig"
# Never over an existing file without --force.
expect_exit 1 "$tool" pad-kit "$work/Jazz.txt" --pad 3 --plugin-dir "$work/plugin"
expect_in "has no zones" "$work/err"
printf 'vst samples,\nRock Snare,\n' >"$kit"
expect_exit 1 "$tool" pad-kit "$work/Rock.txt" --pad 12 --plugin-dir "$work/plugin"
expect_in "exists; --force replaces it" "$work/err"
[ "$(head -c 11 "$kit")" = "vst samples" ] && [ "$(wc -l <"$kit")" -eq 2 ] && pass ||
    fail "pad-kit replaced a kit unasked"
expect_exit 0 "$tool" pad-kit "$work/Rock.txt" --pad 12 --plugin-dir "$work/plugin" --force
unchanged "$kit" "$work/padkit.orig" "pad-kit --force"
[ "$(cat "$work/plugin/Rock Snare/snare hard.wav")" = hard ] && pass || fail "pad kit sample"
# A pad name with separators stays inside the plug-in folder.
sed 's/,Snare,/,..\/AC\/DC,/' "$work/Rock.txt" >"$work/Hostile.txt"
expect_exit 0 "$tool" pad-kit "$work/Hostile.txt" --pad 12 --plugin-dir "$work/plugin"
[ -f "$work/plugin/Hostile .. AC DC.txt" ] && pass || fail "hostile name not cleaned"
[ "$(find "$work" -name '*DC*' -not -path "$work/plugin/*" | wc -l)" -eq 0 ] && pass ||
    fail "wrote outside the plug-in folder"

# A kit read only in part gives no instrument and no pad kit without --force.
sed 's/^ 1,  0, 0, 36,KICK/ 1,  0, 0,1036,KICK/' "$work/Rock.txt" >"$work/Broken.txt"
expect_exit 1 "$tool" export-instrument "$work/Broken.txt" --pad 12 --output "$work/broken.zvi"
expect_exit 1 "$tool" pad-kit "$work/Broken.txt" --pad 12 --plugin-dir "$work/plugin"
[ ! -e "$work/broken.zvi" ] && [ ! -e "$work/plugin/Broken Snare.txt" ] && pass ||
    fail "a kit read in part was written from"

# Usage errors.
expect_exit 2 "$tool" export-instrument "$work/Rock.txt" --pad 19 --output "$work/x.zvi"
expect_exit 2 "$tool" export-instrument "$work/Rock.txt" --output "$work/x.zvi"
expect_exit 2 "$tool" import-instrument "$work/Jazz.txt" --pad 0 "$work/snare.zvi"
expect_exit 2 "$tool" pad-kit "$work/Rock.txt" --pad 12
expect_exit 2 "$tool" pad-kit "$work/Rock.txt" --pad 12 --plugin-dir "$work/nowhere"
[ ! -e "$work/x.zvi" ] && pass || fail "a refused command wrote a file"

finish
