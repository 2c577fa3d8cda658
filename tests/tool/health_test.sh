#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit check on a kit made to show what the health check finds,
# and of --fix writing the kit with the fixes of one kind.
#   health_test.sh PADSMITH_KIT
set -uo pipefail
tool="$1"
. "$(dirname "$0")/../checks.sh"
crlf() { sed 's/$/\r/'; }

plugin="$work/Zarvo"
mkdir -p "$plugin/Sick" "$work/lib"
touch "$plugin/Zarvo.dll"
write_wav "$work/lib/kick.wav" 4000
write_wav "$work/lib/snare a.wav" 4000
write_wav "$work/lib/snare b.wav" 4000
write_wav "$work/lib/snare soft.wav" 6000                           # louder than the hard takes
write_wav "$work/lib/hat.wav" 2000 24 '\x80\xbb\x00\x00' 2           # 48 kHz 24-bit stereo
write_wav "$work/lib/hat open.wav" 2000
write_wav "$work/lib/hat pedal.wav" 2000
printf 'not a sample' >"$work/lib/tom.wav"
cp "$work/lib/kick.wav" "$plugin/Sick/kick.wav"
write_wav "$work/lib/kick.wav" 5000                                 # edited after the copy
write_wav "$plugin/Sick/old crash.wav"
{
    printf 'vst samples,\nSick,\nSick,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,snare a.wav, 81,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,snare b.wav, 81,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,snare soft.wav, 20, 80, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 42,HAT,hat.wav,  1, 40, 42, 42, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 42,HAT,hat open.wav, 41, 90, 42, 42, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 42,HAT,hat pedal.wav, 91,127, 42, 42, 1.00, 1.00,  0,  0,\n'
    printf ' 4,  0, 0, 45,TOM,tom.wav,  1,127, 45, 45, 1.00, 1.00,  0,  0,\n'
    printf ' 5,  0, 0, 49,CRASH,crash.wav,  1,127, 49, 49, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,%s,\n' "$work/lib/kick.wav"
    printf ' 2,%s,\n 2,%s,\n 2,%s,\n' "$work/lib/snare a.wav" "$work/lib/snare b.wav" \
        "$work/lib/snare soft.wav"
    printf ' 3,%s,\n 3,%s,\n 3,%s,\n' "$work/lib/hat.wav" "$work/lib/hat open.wav" \
        "$work/lib/hat pedal.wav"
    printf ' 4,%s,\n 5,/gone/crash.wav,\n' "$work/lib/tom.wav"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/Sick.txt"
cp "$work/Sick.txt" "$work/Sick.orig"

# Every kind this kit shows, grouped by pad.
expect_exit 1 "$tool" check "$work/Sick.txt" --plugin-dir "$plugin"
expect_in "^Pad 2 (SNARE):" "$work/out"
expect_in "error   never-plays .*Row 2 can never play: row 1 plays D1 at 81–127 first" "$work/out"
expect_in "\[fix: Interleave Takes, Remove Row\]" "$work/out"
expect_in "warning velocity-gap .*Velocities 1–19 of D1 play nothing" "$work/out"
expect_in "warning level-order .*Row 3 (velocity 20–80, -2.5 dB) of D1 is louder than row 1" "$work/out"
expect_in "warning mixed-format .*Row 1 is 48 kHz 24-bit stereo among 44.1 kHz 16-bit mono" \
    "$work/out"
expect_in "error   unreadable-sample .*tom.wav is not a WAVE" "$work/out"
expect_in "error   missing-sample .*/gone/crash.wav is missing" "$work/out"
expect_in "warning stale-copy .*the copy of kick.wav in Sick differs" "$work/out"
expect_in "^Kit:" "$work/out"
expect_in "note    unused-file .*Sick/old crash.wav" "$work/out"
expect_exit 1 "$tool" check "$work/Sick.txt" --plugin-dir "$plugin" --json
expect_in '"kind": "never-plays"' "$work/out"
expect_in '"severity": "warning"' "$work/out"
expect_in '"pad": null' "$work/out"
# With sharing on, the kit's own folder is not looked at.
expect_exit 1 "$tool" check "$work/Sick.txt" --plugin-dir "$plugin" --shared
expect_not_in "unused-file" "$work/out"

# --fix writes the fixed kit, and the finding is gone; the input stays as it was.
expect_exit 1 "$tool" check "$work/Sick.txt" --plugin-dir "$plugin" --fix never-plays \
    --output "$work/fixed.txt"
expect_in "1 fix(es) of never-plays applied" "$work/err"
expect_not_in "never-plays" "$work/out"
expect_in " 2,  0, 0, 38,SNARE,snare a.wav, 81,103," "$work/fixed.txt"
expect_in " 2,  0, 0, 38,SNARE,snare b.wav,104,127," "$work/fixed.txt"
cmp -s "$work/Sick.txt" "$work/Sick.orig" && pass || fail "--output changed the kit itself"
for kind in velocity-gap level-order; do
    expect_exit 1 "$tool" check "$work/fixed.txt" --fix "$kind"
    expect_not_in "$kind" "$work/out"
done
expect_in " 2,  0, 0, 38,SNARE,snare soft.wav,104,127," "$work/fixed.txt"
# Nothing applies: nothing is written.
cp "$work/fixed.txt" "$work/fixed.before"
expect_exit 1 "$tool" check "$work/fixed.txt" --fix double-note
expect_in "no fix of double-note applies" "$work/err"
cmp -s "$work/fixed.txt" "$work/fixed.before" && pass || fail "a fix that applies nowhere wrote"

# Exit codes: warnings pass unless --strict; wrong usage is 2.
{
    printf 'vst samples,\nGappy,\nZARVO SAMPLES,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav, 30,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n 1,%s,\n-1\n\nPadsmith by Mervane' "$work/lib/kick.wav"
} | crlf >"$work/Gappy.txt"
expect_exit 0 "$tool" check "$work/Gappy.txt"
expect_in "velocity-gap" "$work/out"
expect_exit 1 "$tool" check "$work/Gappy.txt" --strict
expect_exit 2 "$tool" check "$work/Gappy.txt" --fix nonsense
expect_in "unknown kind nonsense" "$work/err"
expect_exit 2 "$tool" check "$work/Gappy.txt" --output "$work/x.txt"
# A kit read only in part is never written back by --fix.
sed 's/ 30,127/ 30,12x7/' "$work/Gappy.txt" >"$work/Part.txt"
cp "$work/Part.txt" "$work/Part.orig"
expect_exit 2 "$tool" check "$work/Part.txt" --fix velocity-gap
cmp -s "$work/Part.txt" "$work/Part.orig" && pass || fail "--fix wrote a kit read in part"

finish
