#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit's audio commands.
#   audio_commands_test.sh PADSMITH_KIT CORPUS_DIR
# Playback is checked only when a PulseAudio test sink runs (scripts/with-services.sh).
set -uo pipefail
tool="$1"
corpus="$2"
. "$(dirname "$0")/../checks.sh"

# info: one block a file, each line led by its file when there are several; exit 1 when one
# is not a sample.
wav="$corpus/pcm16_stereo.wav"
aif="$corpus/aiff16.aif"
printf 'File Format:\tMicrosoft Wave\nAttributes:\tStereo 16 bit / 44 kHz\nLength:\t\t1ms / 128 bytes\n' >"$work/expected"
expect_exit 0 "$tool" info "$wav"
cmp -s "$work/out" "$work/expected" || { fail "info output differs"; diff "$work/expected" "$work/out"; }
printf '%s: File Format:\tMicrosoft Wave\n%s: Attributes:\tStereo 16 bit / 44 kHz\n%s: Length:\t\t1ms / 128 bytes\n%s: File Format:\tApple AIFF\n%s: Attributes:\tStereo 16 bit / 22 kHz\n%s: Length:\t\t0ms / 16 bytes\n' \
    "$wav" "$wav" "$wav" "$aif" "$aif" "$aif" >"$work/expected"
expect_exit 0 "$tool" info "$wav" "$aif"
cmp -s "$work/out" "$work/expected" || { fail "info output differs"; diff "$work/expected" "$work/out"; }
printf 'not audio' >"$work/notes.wav"
expect_exit 1 "$tool" info "$work/notes.wav" "$corpus/pcm16_stereo.wav"
grep -q "^$work/notes.wav: File Format: ?$" "$work/out" && pass ||
    fail "no 'File Format: ?' for a text file"
grep -q "Microsoft Wave" "$work/out" && pass || fail "info stopped at the unreadable file"
expect_in "notes.wav is not a WAVE or AIFF sample" "$work/err"
expect_exit 2 "$tool" info
# Special files are no samples: a device never ends, a pipe would wait for a writer.
mkfifo "$work/pipe.wav"
expect_exit 1 timeout 20 "$tool" info /dev/zero "$work/pipe.wav"
[ "$(grep -c ": File Format: ?$" "$work/out")" -eq 2 ] && pass || fail "special files not refused"
expect_exit 1 timeout 20 "$tool" play "$work/pipe.wav"

# devices: the default output comes first as -1.
expect_exit 0 "$tool" devices
head -n1 "$work/out" | grep -q "^-1"$'\t' && pass || fail "devices does not start with -1"

# play: usage errors and unreadable files fail; a short sample plays to its end.
expect_exit 2 "$tool" play
expect_exit 2 "$tool" play "$corpus/pcm8_mono.wav" --device
expect_exit 1 "$tool" play "$work/notes.wav"
if [ -n "${PADSMITH_TEST_SINK:-}" ]; then
    expect_exit 0 "$tool" play "$corpus/pcm24_stereo.wav"
    expect_exit 0 "$tool" play "$corpus/aiff24_odd.aif" --device 99
fi

finish
