#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit on kits whose names have accents: written on Windows in its
# code page, or as UTF-8 by a Linux tool; the sample files on disk have UTF-8 names.
#   accented_kits_test.sh PADSMITH_KIT
set -uo pipefail
tool="$1"
. "$(dirname "$0")/../checks.sh"
export LC_ALL=C # patterns are matched as bytes
crlf() { sed 's/$/\r/'; }
expect_utf8() {
    if iconv -f UTF-8 -t UTF-8 "$1" >/dev/null 2>&1; then pass; else fail "$1 is not UTF-8"; fi
}

plugin="$work/plugin"
mkdir -p "$plugin/ZARVO SAMPLES" "$work/lib" "$work/kits" "$work/search/deep"
touch "$plugin/Zarvo.dll"
printf 'cafe' >"$work/lib/Café.wav"

# Rock.txt as the editor writes it on Windows: Müller, KÖCK and Café.wav in Windows-1252.
{
    printf 'vst samples,\nRock,\nZARVO SAMPLES,\nM\xfcller,\n\n'
    printf ' 1,  0, 0, 36,K\xd6CK,Caf\xe9.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,%s/lib/Caf\xe9.wav,\n' "$work"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf | head -c -1 >"$work/kits/Rock.txt"

expect_exit 0 "$tool" show "$work/kits/Rock.txt"
expect_utf8 "$work/out"
expect_in "Copyright: Müller" "$work/out"
expect_in "Pad 1: KÖCK" "$work/out"
expect_exit 0 "$tool" show "$work/kits/Rock.txt" --json
expect_utf8 "$work/out"
expect_in '"copyright": "Müller"' "$work/out"
expect_in "\"sourcePath\": \"$work/lib/Café.wav\"" "$work/out"
# Installed: the sample copy bears the UTF-8 name, the script keeps every byte.
cp "$work/kits/Rock.txt" "$work/original.txt"
expect_exit 0 "$tool" install "$work/kits/Rock.txt" --plugin-dir "$plugin" --shared
[ "$(cat "$plugin/ZARVO SAMPLES/Café.wav" 2>/dev/null)" = cafe ] && pass || fail "Café.wav not installed"
cmp -s "$plugin/Rock.txt" "$work/original.txt" && pass || fail "installed Rock.txt differs"

# Another code page reads other letters; an unknown one is refused.
expect_exit 0 "$tool" show "$work/kits/Rock.txt" --encoding Windows-1251
expect_in "Copyright: Mьller" "$work/out"
expect_in "Pad 1: KЦCK" "$work/out"
expect_exit 2 "$tool" show "$work/kits/Rock.txt" --encoding UTF-16
expect_in "unknown encoding UTF-16" "$work/err"
expect_in "Windows-1250" "$work/err"

# A UTF-8 kit, with a byte-order mark as a text editor leaves it; a sample whose name the
# code page cannot hold is reported by check.
write_wav "$work/lib/Łódź.wav"
{
    printf '\xef\xbb\xbfvst samples,\nPolish,\nZARVO SAMPLES,\nMüller,\n\n'
    printf ' 1,  0, 0, 36,KÖCK,Łódź.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,%s/lib/Łódź.wav,\n' "$work"
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/kits/Polish.txt"
expect_exit 0 "$tool" show "$work/kits/Polish.txt"
expect_in "Pad 1: KÖCK" "$work/out"
expect_exit 1 "$tool" check "$work/kits/Polish.txt"
expect_in 'code-page .*Pad 1, row 1, sample name "Łódź.wav": "Ł" (U+0141)' "$work/out"
expect_exit 0 "$tool" check "$work/kits/Polish.txt" --encoding Windows-1250
expect_exit 1 "$tool" install "$work/kits/Polish.txt" --plugin-dir "$plugin" --shared
expect_in '"Ł" (U+0141)' "$work/err"
[ -e "$plugin/Polish.txt" ] && fail "Polish.txt installed" || pass

# set: a cell typed into a Windows kit leaves its accented names as they were, and a UTF-8 kit
# with a byte-order mark is written in the code page without the mark.
expect_exit 0 "$tool" set "$work/kits/Rock.txt" --pad 1 --all --column Key --text 38 --output "$work/set.txt"
expect_in "$(printf ' 1,  0, 0, 38,K\xd6CK,Caf\xe9.wav,')" "$work/set.txt"
expect_in "$(printf '^M\xfcller,')" "$work/set.txt"
expect_exit 0 "$tool" set "$work/kits/Polish.txt" --pad 1 --all --column Key --text 38 \
    --output "$work/set-polish.txt" --encoding Windows-1250
[ "$(head -c 11 "$work/set-polish.txt")" = "vst samples" ] && pass || fail "mark written back"
expect_in "$(printf ' 1,  0, 0, 38,K\xd6CK,\xa3\xf3d\x9f.wav,')" "$work/set-polish.txt"
expect_exit 1 "$tool" set "$work/kits/Polish.txt" --pad 1 --all --column Key --text 38 \
    --output "$work/set-refused.txt"
expect_in '"Ł" (U+0141)' "$work/err"

# relink: a Windows path with an accented name is found under its UTF-8 name and written back
# in the code page; a file found in a folder the code page cannot name is refused.
mv "$work/lib/Café.wav" "$work/search/deep/Café.wav"
{
    printf 'vst samples,\nMoved,\nZARVO SAMPLES,\n,\n\n'
    printf ' 1,  0, 0, 36,K\xd6CK,Caf\xe9.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n 1,C:\\Samples\\Caf\xe9.wav,\n-1\n\nPadsmith by Mervane'
} | crlf >"$work/kits/Moved.txt"
expect_exit 0 "$tool" relink "$work/kits/Moved.txt" --search "$work/search" --output "$work/relinked.txt"
expect_in "C:\\\\Samples\\\\Café.wav -> $work/search/deep/Café.wav" "$work/out"
expect_in "$(printf ' 1,%s/search/deep/Caf\xe9.wav,' "$work")" "$work/relinked.txt"
expect_in "$(printf 'K\xd6CK,Caf\xe9.wav,')" "$work/relinked.txt"
mkdir -p "$work/Żółw"
mv "$work/search/deep/Café.wav" "$work/Żółw/Café.wav"
expect_exit 1 "$tool" relink "$work/kits/Moved.txt" --search "$work/Żółw" --output "$work/refused.txt"
expect_in '"Ż" (U+017B)' "$work/err"
[ -e "$work/refused.txt" ] && fail "relink wrote a path the code page cannot hold" || pass

finish
