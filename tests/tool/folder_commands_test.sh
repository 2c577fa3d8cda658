#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit new (a kit from a folder of samples) and add-samples (a
# drop onto a pad), on the demo library's "Folder Kit" of 30 samples.
#   folder_commands_test.sh PADSMITH_KIT MAKE_DEMO
set -uo pipefail
tool="$1"
make_demo="$2"
. "$(dirname "$0")/../checks.sh"

"$make_demo" "$work/demo" >/dev/null || fail "make-demo failed"
folder="$work/demo/Library/Folder Kit"
plugin="$work/demo/Zarvo"
ls -R "$folder" >"$work/before"

# --dry-run prints the pads and writes nothing: 30 samples on 18 pads, on General MIDI keys.
expect_exit 0 "$tool" new "$work/Folder.txt" --from "$folder" --dry-run
[ ! -e "$work/Folder.txt" ] && pass || fail "--dry-run wrote the kit"
expect_in '^ 1  Kick         36 C1    1-56     Kicks/Kick_Soft_01.wav' "$work/out"
expect_in '^ 1                        94-127   Kicks/Kick_Hard_01.wav' "$work/out"
expect_in '^ 3                        94-127   Snare/SN v10.wav' "$work/out"
expect_in '^ 5  Closed Hat   42 f#1   1-56     HH closed-pp.aif' "$work/out"
expect_in '^17  Cowbell      56 g#2   1-127    Perc/Cowbell.wav' "$work/out"
[ "$(wc -l <"$work/out")" -eq 30 ] && pass || fail "not one line per sample"

# Installed into the plug-in folder: the script and a copy of every sample; the library stays.
expect_exit 0 "$tool" new "$work/Folder.txt" --from "$folder" --plugin-dir "$plugin"
expect_in "wrote $work/Folder.txt: 18 pads" "$work/out"
expect_exit 0 "$tool" check "$work/Folder.txt"
[ "$(ls "$plugin/Folder" | wc -l)" -eq 30 ] && pass || fail "not every sample was copied"
[ -f "$plugin/Folder.txt" ] && pass || fail "the script is not beside Zarvo.dll"
ls -R "$folder" >"$work/after"
cmp -s "$work/before" "$work/after" && pass || fail "the sample folder was changed"

# KIT exists: refused without --force; a folder without playable samples: exit 1.
expect_exit 1 "$tool" new "$work/Folder.txt" --from "$folder"
expect_in "exists" "$work/err"
expect_exit 0 "$tool" new "$work/Folder.txt" --from "$folder" --force
mkdir -p "$work/empty" && printf 'ID3' >"$work/empty/song.mp3"
expect_exit 1 "$tool" new "$work/None.txt" --from "$work/empty"
expect_in "not a sample the plug-in can play: song.mp3" "$work/err"
expect_exit 2 "$tool" new "$work/None.txt"
expect_exit 2 "$tool" new "$work/None.txt" --from "$work/missing"

# add-samples: in file-name order onto an empty pad, and with --layers shared as layers. The
# files get names of their own: a name another sample of the kit holds is refused.
cp "$folder/Snare/SN v10.wav" "$work/SD v10.wav"
cp "$folder/Snare/SN v2.wav" "$work/SD v2.wav"
expect_exit 0 "$tool" delete-pad "$work/Folder.txt" --pad 18 --output "$work/Added.txt"
expect_exit 0 "$tool" add-samples "$work/Added.txt" --pad 18 "$work/SD v10.wav" \
    "$work/SD v2.wav"
# The empty pad is named and keyed as the folder import would: another snare, on the next key
# no pad plays (D1 and E1 are the kit's).
expect_in $'^18,  0, 0, 43,Snare 2,SD v2.wav,  1,127,' "$work/Added.txt"
expect_in $'^18,  0, 0, 43,Snare 2,SD v10.wav,  1,127,' "$work/Added.txt"
expect_in "the next free key, G1 (43)" "$work/out"
expect_exit 0 "$tool" add-samples "$work/Added.txt" --pad 18 "$work/SD v2.wav" --layers
expect_in $'^18,  0, 0, 43,Snare 2,SD v2.wav,  1, 56,' "$work/Added.txt"
expect_in $'^18,  0, 0, 43,Snare 2,SD v2.wav, 57, 93,' "$work/Added.txt"
expect_in $'^18,  0, 0, 43,Snare 2,SD v10.wav, 94,127,' "$work/Added.txt"
mkdir -p "$work/other" && cp "$folder/Snare/SN v2.wav" "$work/other/"
expect_exit 1 "$tool" add-samples "$work/Added.txt" --pad 18 "$work/other/SN v2.wav"
expect_in "already the name of another sample" "$work/err"
expect_exit 1 "$tool" add-samples "$work/Added.txt" --pad 18 "$work/empty/song.mp3"
expect_in "not a sample the plug-in can play" "$work/err"

# new --force over an installed kit: the new samples replace the old copies of their names.
mkdir -p "$work/lib1" "$work/lib2" "$work/zv" && touch "$work/zv/Zarvo.dll"
write_wav "$work/lib1/Kick.wav" 1000
write_wav "$work/lib2/Kick.wav" 7000
expect_exit 0 "$tool" new "$work/zv/Two.txt" --from "$work/lib1" --plugin-dir "$work/zv"
expect_exit 0 "$tool" new "$work/zv/Two.txt" --from "$work/lib2" --plugin-dir "$work/zv" --force
cmp -s "$work/lib2/Kick.wav" "$work/zv/Two/Kick.wav" && pass || fail "new --force kept the old copy"

# add-samples on the script the plug-in reads copies the sample, as install does.
expect_exit 0 "$tool" add-samples "$work/zv/Two.txt" --pad 18 "$work/SD v2.wav"
cmp -s "$work/SD v2.wav" "$work/zv/Two/SD v2.wav" && pass ||
    fail "add-samples changed an installed kit without copying its sample"

# A folder whose name a path line cannot hold is refused, with and without a plug-in folder;
# a name that only reads as itself in the code page ("Ã©") reads back as written.
mkdir -p "$work/Drums, acoustic" "$work/Ã©"
write_wav "$work/Drums, acoustic/Kick.wav"
write_wav "$work/Ã©/Kick.wav"
for plugin_dir in "" "$work/zv"; do
    expect_exit 1 "$tool" new "$work/zv/Comma.txt" --from "$work/Drums, acoustic" \
        ${plugin_dir:+--plugin-dir "$plugin_dir"}
    expect_in "Drums, acoustic/Kick.wav: Its path holds a comma" "$work/err"
    [ ! -e "$work/zv/Comma.txt" ] && [ ! -e "$work/zv/Comma" ] && pass ||
        fail "a kit with a comma in a source path was written"
done
expect_exit 0 "$tool" new "$work/Accent.txt" --from "$work/Ã©"
expect_exit 0 "$tool" show "$work/Accent.txt" --json
expect_in "\"sourcePath\": \"$work/Ã©/Kick.wav\"" "$work/out"

# relink never cuts a path found too long for its line: refused, the file named, nothing written.
deep="$work/search/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})"
mkdir -p "$deep" && write_wav "$deep/Lost.wav"
printf 'vst samples,\r\nLost,\r\nLost,\r\n,\r\n\r\n 1,  0, 0, 36,LOST,Lost.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n-1\r\n\r\n 1,%s,\r\n-1\r\n\r\nPadsmith by Mervane' \
    "$work/gone/Lost.wav" >"$work/Lost.txt"
expect_exit 1 "$tool" relink "$work/Lost.txt" --search "$work/search" --output "$work/Found.txt"
expect_in "Found.txt was not written. $deep/Lost.wav: Its path is longer" "$work/err"
[ ! -e "$work/Found.txt" ] && pass || fail "relink wrote a cut path"

finish
