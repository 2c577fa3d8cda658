#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit's cell edits: set and spread-velocity.
#   cell_commands_test.sh PADSMITH_KIT CELL_TEXTS
set -uo pipefail
tool="$1"
table="$2"
. "$(dirname "$0")/../checks.sh"
crlf() { sed 's/$/\r/'; }

# Pad 1: three layers on C1; pad 2: a snare on D1; pad 5: a soft hit on E1.
{
    printf 'vst samples,\nCells,\nCells,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,k1.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 1,  0, 0, 36,KICK,k2.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 1,  0, 0, 36,KICK,k3.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 38,SNARE,s.wav,  1,127, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 5,  0, 0, 40,HIT,h.wav,  1, 30, 40, 40, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    printf ' 1,/lib/k1.wav,\n 1,/lib/k2.wav,\n 1,/lib/k3.wav,\n 2,/lib/s.wav,\n 5,/lib/h.wav,\n'
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/kit.txt"
cp "$work/kit.txt" "$work/kit.orig"
kit="$work/kit.txt"

# A typed text goes through the cell's rules; --output leaves the kit itself alone.
expect_exit 0 "$tool" set "$kit" --pad 1 --rows 1,3 --column Velocity --text "127  1" \
    --output "$work/out.txt"
expect_in "pad 1 row 1: Velocity   1 - 127" "$work/out"
cmp -s "$kit" "$work/kit.orig" && pass || fail "set with --output changed the kit"
expect_exit 0 "$tool" set "$kit" --pad 2 --rows 1 --column "key range" --text "G8  C-2" \
    --output "$work/out.txt"
expect_in " 2,  0, 0, 38,SNARE,s.wav,  1,127,  0,127," "$work/out.txt"
expect_in " 1,/lib/k3.wav," "$work/out.txt" # recorded paths stay as they were
expect_in "^Cells,$(printf '\r')$" "$work/out.txt"
expect_exit 0 "$tool" set "$kit" --pad 1 --all --column Vol --text "+20" --output "$work/out.txt"
[ "$(grep -c ' 6.00, 6.00,' "$work/out.txt")" -eq 3 ] && pass || fail "Vol not set on every row"
expect_exit 0 "$tool" set "$kit" --pad 1 --rows 2 --column Group --text 70
expect_in "pad 1 row 2: Group 63" "$work/out"
expect_in " 1,  0, 0, 36,KICK,k2.wav,  1,127, 36, 36, 1.00, 1.00, 63,  0," "$kit"

# A key that another pad plays in an overlapping window stops the commit and writes nothing.
cp "$kit" "$work/kit.before"
expect_exit 1 "$tool" set "$kit" --pad 1 --all --column Key --text E1 --output "$work/refused.txt"
expect_in "Double defined NOTE in your drum set! Pad 1 row 1" "$work/err"
expect_in "pad 5 row 1" "$work/err"
[ ! -e "$work/refused.txt" ] && pass || fail "a refused set wrote its output"
cmp -s "$kit" "$work/kit.before" && pass || fail "a refused set changed the kit"
# A key of the same pad's zones is fine.
expect_exit 0 "$tool" set "$kit" --pad 1 --rows 1 --column Key --text "c#1"
expect_in "pad 1 row 1: Key c#1" "$work/out"

# The table of typed texts the editor's cells are held against: `set` reads each the same way,
# and a text that spells nothing is an error that writes nothing.
{
    printf 'vst samples,\nTyped,\nTyped,\nMe,\n\n'
    printf ' 1,  0, 0, 36,KICK,k1.wav, 20, 30,  0,127, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n 1,/lib/k1.wav,\n-1\n\nPadsmith by Mervane'
} | crlf >"$work/typed.txt"
while IFS=$'\t' read -r column text expected; do
    case "$column" in '#'* | '') continue ;; esac
    cp "$work/typed.txt" "$work/typed.kit"
    if [ "$expected" = refused ]; then
        expect_exit 1 "$tool" set "$work/typed.kit" --pad 1 --rows 1 --column "$column" \
            --text "$text"
        expect_in "\"$text\" is no value" "$work/err"
        cmp -s "$work/typed.kit" "$work/typed.txt" && pass ||
            fail "$column '$text': a refused text changed the kit"
    else
        expect_exit 0 "$tool" set "$work/typed.kit" --pad 1 --rows 1 --column "$column" \
            --text "$text"
        shown="$(cat "$work/out")"
        [[ "$shown" == *" $expected" ]] && pass ||
            fail "$column '$text' shows '$shown', not '$expected'"
    fi
done <"$table"

# A row named twice is set and listed once.
expect_exit 0 "$tool" set "$kit" --pad 1 --rows 2,1,2 --column Voices --text 4
[ "$(wc -l <"$work/out")" -eq 2 ] && pass || fail "--rows 2,1,2 listed $(cat "$work/out")"

# Wrong arguments change nothing.
cp "$kit" "$work/kit.before"
expect_exit 2 "$tool" set "$kit" --pad 19 --all --column Key --text C3
expect_exit 2 "$tool" set "$kit" --pad 1 --rows 4 --column Key --text C3
expect_in "row numbers from 1 to 3 of pad 1" "$work/err"
expect_exit 2 "$tool" set "$kit" --pad 1 --rows 1,x --column Key --text C3
expect_exit 2 "$tool" set "$kit" --pad 3 --rows 1 --column Key --text C3
expect_exit 2 "$tool" set "$kit" --pad 1 --rows 1 --all --column Key --text C3
expect_exit 2 "$tool" set "$kit" --pad 1 --all --column Sample --text x.wav
expect_exit 2 "$tool" set "$kit" --pad 1 --all --column Pitch --text 3
expect_exit 2 "$tool" set "$kit" --pad 1 --all --column Key
cmp -s "$kit" "$work/kit.before" && pass || fail "a refused command changed the kit"
printf 'hello,\n' >"$work/notakit.txt"
expect_exit 1 "$tool" set "$work/notakit.txt" --pad 1 --all --column Key --text C3
expect_in "not a kit script" "$work/err"

# A kit read only in part is never written back: the lines that could not be read would go.
sed 's/ 2,  0, 0, 38,SNARE/ 2,  0, 0,1000,SNARE/' "$work/kit.orig" >"$work/part.txt"
cp "$work/part.txt" "$work/part.before"
expect_exit 1 "$tool" set "$work/part.txt" --pad 1 --all --column Voices --text 3
expect_in "part.txt was not changed: Only 3 of 5 zone lines could be read: line 9" "$work/err"
expect_exit 1 "$tool" spread-velocity "$work/part.txt" --pad 1 --output "$work/part.out"
cmp -s "$work/part.txt" "$work/part.before" && [ ! -e "$work/part.out" ] && pass ||
    fail "a kit read in part was written"

# spread-velocity sorts by key and spreads each key's layers.
{
    printf 'vst samples,\nSpread,\nSpread,\n,\n\n'
    for key in 36 38 36 36; do
        printf ' 3,  0, 0, %3d,TOMS,t%d.wav,  5,  6, 36, 36, 1.00, 1.00,  0,  0,\n' "$key" "$key"
    done
    printf -- '-1\n\n-1\n\nPadsmith by Mervane'
} | crlf >"$work/spread.txt"
expect_exit 0 "$tool" spread-velocity "$work/spread.txt" --pad 3
expect_in "pad 3 row 3: t36.wav C1  94 - 127" "$work/out"
expect_in "pad 3 row 4: t38.wav D1   1 - 127" "$work/out"
expect_in " 3,  0, 0, 36,TOMS,t36.wav, 57, 93," "$work/spread.txt"
# A script without path lines gets none: its samples stay where the plug-in looks for them.
expect_not_in "t38.wav,"$'\r'"$" "$work/spread.txt"
[ "$(grep -c -- '^-1' "$work/spread.txt")" -eq 2 ] && pass || fail "spread-velocity changed the ends"
expect_exit 0 "$tool" spread-velocity "$work/spread.txt" --pad 4
expect_exit 2 "$tool" spread-velocity "$work/spread.txt"
expect_exit 2 "$tool" spread-velocity "$work/spread.txt" --pad 3 --column Key

finish
