#!/usr/bin/env bash
# End-to-end checks of padsmith-kit's audio commands.
#   audio_commands_test.sh PADSMITH_KIT CORPUS_DIR
# Playback is checked only when a PulseAudio test sink runs (scripts/with-services.sh).
set -uo pipefail
tool="$1"
corpus="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { # expected-exit command...
    local expected=$1; shift
    "$@" >"$work/out" 2>"$work/err"
    local code=$?
    [ "$code" -eq "$expected" ] || { fail "'$*' exited $code, expected $expected"; cat "$work/out" "$work/err"; }
}

# info: one block a file, a blank line between, exit 1 when one is not a sample.
printf 'File Format:\tMicrosoft Wave\nAttributes:\tStereo 16 bit / 44 kHz\nLength:\t\t1ms / 128 bytes\n\nFile Format:\tApple AIFF\nAttributes:\tStereo 16 bit / 22 kHz\nLength:\t\t0ms / 16 bytes\n' >"$work/expected"
run 0 "$tool" info "$corpus/pcm16_stereo.wav" "$corpus/aiff16.aif"
cmp -s "$work/out" "$work/expected" || { fail "info output differs"; diff "$work/expected" "$work/out"; }
printf 'not audio' >"$work/notes.wav"
run 1 "$tool" info "$work/notes.wav" "$corpus/pcm16_stereo.wav"
grep -q "^File Format: ?$" "$work/out" || fail "no 'File Format: ?' for a text file"
grep -q "Microsoft Wave" "$work/out" || fail "info stopped at the unreadable file"
run 2 "$tool" info

# devices: the default output comes first as -1.
run 0 "$tool" devices
head -n1 "$work/out" | grep -q "^-1"$'\t' || fail "devices does not start with -1"

# play: usage errors and unreadable files fail; a short sample plays to its end.
run 2 "$tool" play
run 2 "$tool" play "$corpus/pcm8_mono.wav" --device
run 1 "$tool" play "$work/notes.wav"
if [ -n "${PADSMITH_TEST_SINK:-}" ]; then
    run 0 "$tool" play "$corpus/pcm24_stereo.wav"
    run 0 "$tool" play "$corpus/aiff24_odd.aif" --device 99
fi

[ "$failures" -eq 0 ] && echo "all audio command checks passed"
[ "$failures" -eq 0 ]
