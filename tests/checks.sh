# SPDX-License-Identifier: GPL-3.0-or-later
# Shared helpers of the end-to-end shell tests; source it after `set -uo pipefail`.
# Gives a scratch folder $work (removed on exit), counted checks, and `finish` for the result.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passes=0
failures=0

pass() { passes=$((passes + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect_exit CODE COMMAND...: runs the command into $work/out and $work/err.
expect_exit() {
    local expected=$1; shift
    "$@" >"$work/out" 2>"$work/err"
    local code=$?
    if [ "$code" -eq "$expected" ]; then pass; else
        fail "'$*' exited $code, expected $expected"; cat "$work/out" "$work/err"; fi
}
expect_in() { # pattern file
    if grep -q -- "$1" "$2"; then pass; else fail "'$1' not in $2"; cat "$2"; fi
}
expect_not_in() {
    if grep -q -- "$1" "$2"; then fail "'$1' unexpectedly in $2"; else pass; fi
}
finish() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
# write_wav FILE [LEVEL [BITS [RATE_BYTES [CHANNELS]]]]: a tiny WAVE sample of four frames
# peaking at LEVEL (a 16-bit value in hex, "4000" is half scale), 16 or 24 bits, mono or
# stereo, at 44.1 kHz unless RATE_BYTES (four little-endian bytes as \x.. escapes) says else.
write_wav() {
    local file=$1 level=${2:-4000} bits=${3:-16} rate=${4:-'\x44\xac\x00\x00'} channels=${5:-1}
    local hi="\\x${level:0:2}" lo="\\x${level:2:2}" frame
    if [ "$bits" = 24 ]; then frame="\\x00$lo$hi"; else frame="$lo$hi"; fi
    [ "$channels" = 2 ] && frame="$frame$frame"
    local align=$((bits / 8 * channels))
    local size=$((4 * align))
    {
        printf 'RIFF'; printf "\\x$(printf %02x $((36 + size)))\\x00\\x00\\x00"
        printf 'WAVEfmt \x10\x00\x00\x00\x01\x00'
        printf "\\x0$channels\\x00$rate"
        printf '\x00\x00\x00\x00' # bytes per second: not needed by the readers
        printf "\\x0$align\\x00\\x$(printf %02x "$bits")\\x00"
        printf 'data'; printf "\\x$(printf %02x $size)\\x00\\x00\\x00"
        printf "$frame$frame$frame$frame"
    } >"$file"
}
