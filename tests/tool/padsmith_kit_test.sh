#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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
write_wav "$work/lib/kick.wav" 4000
write_wav "$work/lib/deep/snare.wav" 3000
{
    printf 'vst samples,\nDouble,\nZARVO SAMPLES,\n,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1, 64, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 36,SNARE,snare.wav, 64,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,%s,\n 2,%s,\n' "$work/lib/kick.wav" "$work/lib/deep/snare.wav"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/double.txt"
expect_exit 1 "$tool" check "$work/double.txt"
expect_in "error   double-note .*Row 1 and pad 2 row 1 both define C1" "$work/out"
# Every pair, also one whose zones each clash first with a zone of a lower pad; the pairs of a
# zone are one finding.
{
    printf 'vst samples,\nTriple,\nZARVO SAMPLES,\n,\n\n'
    printf ' 1,  0, 0, 36,A,a.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 36,B,b.wav,  1, 64, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 36,C,c.wav, 60,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n-1\n\nPadsmith by Mervane'
} | crlf >"$work/triple.txt"
expect_exit 1 "$tool" check "$work/triple.txt"
expect_in "Row 1 and 2 zones of other pads (pad 2 row 1 and pad 3 row 1) define C1 at 1–127" \
    "$work/out"
expect_in "Row 1 and pad 3 row 1 both define C1 at 1–64" "$work/out"

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
expect_in "missing-sample .*Row 1: the sample /gone/kick.wav is missing" "$work/out"
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

# Kits read only in part: check says where, install refuses without --force, clean stops.
part="$work/part"
mkdir -p "$part/plugin/ZARVO SAMPLES"
touch "$part/plugin/Zarvo.dll"
{
    printf 'vst samples,\nPart,\nZARVO SAMPLES,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0,1000,SNARE,snare.wav,  1,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 42,HAT,hat.wav,  1,127, 42, 42, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,%s,\n 2,%s,\n 3,/gone/hat.wav,\n' "$work/lib/kick.wav" "$work/lib/deep/snare.wav"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$part/fourdigit.txt"
sed 's/^Me,/Me/' "$part/fourdigit.txt" | sed 's/1000/ 38/' >"$part/nocomma.txt"
sed 's/1000/ 38/' "$part/fourdigit.txt" | head -n 6 >"$part/truncated.txt"
for kit in fourdigit nocomma truncated; do
    cp "$part/$kit.txt" "$part/$kit.orig"
    expect_exit 2 "$tool" check "$part/$kit.txt"
    expect_in "read in part: .*line" "$work/out"
    expect_exit 1 "$tool" install "$part/$kit.txt" --plugin-dir "$part/plugin" --shared
    cmp -s "$part/$kit.txt" "$part/$kit.orig" && pass || fail "install rewrote $kit.txt"
    [ ! -e "$part/plugin/$kit.txt" ] && pass || fail "$kit.txt reached the plug-in folder"
    # Nor do the commands that edit a kit write it back.
    expect_exit 1 "$tool" copy-pad "$part/$kit.txt" --pad 1 5
    expect_exit 1 "$tool" set "$part/$kit.txt" --pad 1 --all --column Group --text 3
    cmp -s "$part/$kit.txt" "$part/$kit.orig" && pass || fail "an edit rewrote $kit.txt"
done
expect_exit 2 "$tool" check "$part/fourdigit.txt"
expect_in "Only 1 of 3 zone lines could be read: line 7" "$work/out"
expect_exit 1 "$tool" relink "$part/fourdigit.txt" --search "$work/lib" --output "$part/out.txt"
[ ! -e "$part/out.txt" ] && pass || fail "relink wrote a kit read in part"
# With --force what was read is installed, and the kick keeps its recorded path.
cp "$part/fourdigit.txt" "$part/plugin/forced.txt"
expect_exit 0 "$tool" install "$part/plugin/forced.txt" --plugin-dir "$part/plugin" --shared --force
expect_in " 1,$work/lib/kick.wav," "$part/plugin/forced.txt"
cp "$part/fourdigit.txt" "$part/plugin/live.txt"
printf 'x' >"$part/plugin/ZARVO SAMPLES/snare.wav"
expect_exit 1 "$tool" clean --plugin-dir "$part/plugin" --dry-run
expect_in "live.txt was read only in part" "$work/err"
expect_not_in "would delete" "$work/out"
[ -f "$part/plugin/ZARVO SAMPLES/snare.wav" ] && pass || fail "cleaned past a kit read in part"

# A file name with a comma or a leading blank: the header names the folder really used.
cp "$work/relinked.txt" "$work/Rock, Live.txt"
expect_exit 0 "$tool" install "$work/Rock, Live.txt" --plugin-dir "$plugin"
[ -f "$plugin/Rock  Live/kick.wav" ] && pass || fail "samples not in the folder the header names"
sed -n 2,3p "$work/Rock, Live.txt" | tr -d '\r' >"$work/names"
printf 'Rock  Live,\nRock  Live,\n' | cmp -s - "$work/names" && pass || fail "header names $(cat "$work/names")"
cp "$work/relinked.txt" "$work/ .txt"
expect_exit 1 "$tool" install "$work/ .txt" --plugin-dir "$plugin"

# Samples that cannot be copied make install fail and are named.
expect_exit 1 "$tool" install "$work/moved.txt" --plugin-dir "$plugin"
expect_in "moved/kick.wav" "$work/err"

# Relative paths on the command line become absolute paths in the kit.
mkdir -p "$work/rel/plug"
touch "$work/rel/plug/Zarvo.dll"
{
    printf 'vst samples,\nRel,\nRel,\n,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 0.30, 1.00,  0,  0,\n'
    printf -- '-1\n\n-1\n\n'
} | crlf >"$work/rel/Rel.txt"
mkdir -p "$work/rel/plug/Rel" && cp "$work/lib/kick.wav" "$work/rel/plug/Rel/"
(cd "$work/rel" && "$tool" install Rel.txt --plugin-dir plug >/dev/null 2>&1)
expect_in "^ 1,/.*/rel/plug/Rel/kick.wav," "$work/rel/Rel.txt"
cp "$work/moved.orig" "$work/rel/moved.txt"
(cd "$work" && "$tool" relink rel/moved.txt --search lib --output rel/relinked.txt >/dev/null)
expect_in "^ 1,/.*/lib/kick.wav," "$work/rel/relinked.txt"
expect_not_in "^ 1,lib/" "$work/rel/relinked.txt"
# A path relative to the script's folder is found there and written back absolute; a renamed
# sample whose source moved is found by its sample name, but not in the plug-in folder.
mkdir -p "$work/rel/own" "$work/rel/plug/Other" && cp "$work/lib/kick.wav" "$work/rel/own/kick.wav"
cp "$work/lib/kick.wav" "$work/rel/own/snare.wav"
cp "$work/lib/kick.wav" "$work/rel/plug/Other/tom.wav"
{
    printf 'vst samples,\nRenamed,\nRenamed,\n,\n\n'
    printf ' 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,snare.wav,  1,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 41,TOM,tom.wav,  1,127, 41, 41, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,own/kick.wav,\n 2,/gone/snare_old.wav,\n 3,/gone/tom_old.wav,\n'
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/rel/renamed.txt"
(cd "$work/rel" && "$tool" relink renamed.txt --search . --output renamed-out.txt \
    --plugin-dir plug >/dev/null 2>&1)
expect_in "^ 1,$work/rel/own/kick.wav," "$work/rel/renamed-out.txt"
expect_in "^ 2,$work/rel/own/snare.wav," "$work/rel/renamed-out.txt"
expect_in "^ 3,<???> /gone/tom_old.wav," "$work/rel/renamed-out.txt"
# Gains are shown with the precision the script has.
expect_exit 0 "$tool" show "$work/rel/Rel.txt" --json
expect_in '"gainLeft": 0.3,' "$work/out"

# Usage errors.
expect_exit 2 "$tool" relink "$work/moved.txt"
expect_exit 2 "$tool" frobnicate

finish
