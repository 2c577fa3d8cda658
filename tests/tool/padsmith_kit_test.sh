#!/usr/bin/env bash
# End-to-end checks of the padsmith-kit command-line tool on a scratch plug-in folder.
#   padsmith_kit_test.sh PADSMITH_KIT MAKE_DEMO
set -uo pipefail
tool="$1"
make_demo="$2"
. "$(dirname "$0")/../checks.sh"
crlf() { sed 's/$/\r/'; }

# A demo plug-in folder: the demo kit shows, checks clean and lists its pads.
"$make_demo" "$work/demo" >/dev/null || fail "make-demo failed"
demo="$work/demo/Zarvo"
expect_exit 0 "$tool" show "$demo/Demo Kit.txt" --plugin-dir "$demo"
expect_in "Pad 1:" "$work/out"
expect_in "Vol.L/R (-12dB-+24dB)" "$work/out"
expect_exit 0 "$tool" show "$demo/Demo Kit.txt" --plugin-dir "$demo" --json
expect_in '"formatTag": "vst samples"' "$work/out"
expect_in '"gainLeft": 1' "$work/out"
[ "$(grep -c '"label"' "$work/out")" -eq 18 ] && pass || fail "json does not hold 18 pads"
expect_exit 0 "$tool" check "$demo/Demo Kit.txt"

# check: not a kit script, a double-defined note, a missing sample.
printf 'hello,\n' >"$work/notakit.txt"
expect_exit 2 "$tool" check "$work/notakit.txt"
plugin="$work/plugin"
mkdir -p "$plugin/ZARVO SAMPLES" "$work/lib/deep"
touch "$plugin/Zarvo.dll"
printf 'kick' >"$work/lib/kick.wav"
printf 'snare' >"$work/lib/deep/snare.wav"
{
    printf 'vst samples,\nDouble,\nZARVO SAMPLES,\n,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1, 64, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 36,SNARE,snare.wav, 64,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,%s,\n 2,%s,\n' "$work/lib/kick.wav" "$work/lib/deep/snare.wav"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/double.txt"
expect_exit 1 "$tool" check "$work/double.txt"
expect_in "double note C1: pad 1 row 1 (kick.wav) and pad 2 row 1 (snare.wav)" "$work/out"
# Every pair, also one whose zones each clash first with a zone of a lower pad.
{
    printf 'vst samples,\nTriple,\nZARVO SAMPLES,\n,\n\n'
    printf ' 1,  0, 0, 36,A,a.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 36,B,b.wav,  1, 64, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 36,C,c.wav, 60,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n-1\n\nPadsmith by Mervane'
} | crlf >"$work/triple.txt"
expect_exit 1 "$tool" check "$work/triple.txt"
expect_in "pad 1 row 1 (a.wav) and pad 2 row 1 (b.wav)" "$work/out"
expect_in "pad 1 row 1 (a.wav) and pad 3 row 1 (c.wav)" "$work/out"
expect_in "pad 2 row 1 (b.wav) and pad 3 row 1 (c.wav)" "$work/out"

# relink: samples moved; the new paths are found and written to --output only.
{
    printf 'vst samples,\nMoved,\nZARVO SAMPLES,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,snare.wav,  1,127, 38, 38, 2.00, 2.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,/gone/kick.wav,\n 2,/gone/sub/snare.wav,\n'
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/moved.txt"
cp "$work/moved.txt" "$work/moved.orig"
expect_exit 1 "$tool" check "$work/moved.txt"
expect_in "missing sample: pad 1 row 1" "$work/out"
expect_exit 0 "$tool" relink "$work/moved.txt" --search "$work/lib" --output "$work/relinked.txt"
expect_in "^/gone/kick.wav -> $work/lib/kick.wav$" "$work/out"
expect_in "/gone/sub/snare.wav -> $work/lib/deep/snare.wav" "$work/out"
expect_in " 2,$work/lib/deep/snare.wav," "$work/relinked.txt"
cmp -s "$work/moved.txt" "$work/moved.orig" && pass || fail "relink changed its input"
expect_exit 0 "$tool" check "$work/relinked.txt"

# install: shared samples and the script land in the plug-in folder.
expect_exit 0 "$tool" install "$work/relinked.txt" --plugin-dir "$plugin" --shared
[ -f "$plugin/ZARVO SAMPLES/kick.wav" ] && [ -f "$plugin/ZARVO SAMPLES/snare.wav" ] && pass ||
    fail "samples not copied into the shared folder"
[ -f "$plugin/relinked.txt" ] && pass || fail "script not copied into the plug-in folder"
# ... but never a kit with a double-defined note, and then nothing changes.
cp "$work/double.txt" "$work/double.orig"
expect_exit 1 "$tool" install "$work/double.txt" --plugin-dir "$plugin" --shared
cmp -s "$work/double.txt" "$work/double.orig" && pass || fail "refused install changed the kit"
[ ! -e "$plugin/double.txt" ] && pass || fail "refused install reached the plug-in folder"
# Own sample folder without --shared.
cp "$work/relinked.txt" "$work/own.txt"
expect_exit 0 "$tool" install "$work/own.txt" --plugin-dir "$plugin"
[ -f "$plugin/own/kick.wav" ] && pass || fail "samples not copied into the kit's folder"

# clean: only samples that no kit in the plug-in folder names.
printf 'old' >"$plugin/ZARVO SAMPLES/unused.wav"
expect_exit 0 "$tool" clean --plugin-dir "$plugin" --dry-run
expect_in "would delete .*unused.wav" "$work/out"
expect_not_in "kick.wav" "$work/out"
[ -f "$plugin/ZARVO SAMPLES/unused.wav" ] && pass || fail "dry run deleted a file"
expect_exit 0 "$tool" clean --plugin-dir "$plugin"
[ ! -e "$plugin/ZARVO SAMPLES/unused.wav" ] && pass || fail "unused sample not deleted"
[ -f "$plugin/ZARVO SAMPLES/kick.wav" ] && pass || fail "used sample deleted"
# A kit script that cannot be read stops the cleaning, and that is an error.
printf 'old' >"$plugin/ZARVO SAMPLES/unused.wav"
ln -s "$work/unplugged/live.txt" "$plugin/live.txt"
expect_exit 1 "$tool" clean --plugin-dir "$plugin"
expect_in "live.txt" "$work/err"
[ -f "$plugin/ZARVO SAMPLES/unused.wav" ] && pass || fail "cleaned past an unreadable kit"

# Usage errors.
expect_exit 2 "$tool" relink "$work/moved.txt"
expect_exit 2 "$tool" frobnicate

finish
