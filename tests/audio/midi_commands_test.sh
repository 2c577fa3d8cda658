#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit's MIDI commands.
#   midi_commands_test.sh PADSMITH_KIT MIDI_SEND
# midi-monitor is checked only when a JACK test server runs (scripts/with-services.sh); a
# virtual port of midi_send plays the keyboard.
set -uo pipefail
tool="$1"
send="$2"
. "$(dirname "$0")/../checks.sh"
crlf() { sed 's/$/\r/'; }

# Note 36 is split by velocity over pads 1 and 2; pad 3's zone answers note 38 at every
# velocity (upper bound 0); pad 4 repeats note 36 low, which pad 1 shadows.
mkdir -p "$work/lib"
for name in soft loud any late; do printf 'x' >"$work/lib/$name.wav"; done
{
    printf 'vst samples,\nSplit,\nZARVO SAMPLES,\n,\n\n'
    printf ' 1,  0, 0, 36,SOFT,soft.wav,  1, 64, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 2,  0, 0, 36,LOUD,loud.wav, 65,127, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf ' 3,  0, 0, 38,ANY,any.wav,  0,  0, 38, 38, 1.00, 1.00,  0,  0,\n'
    printf ' 4,  0, 0, 36,LATE,late.wav,  1, 30, 36, 36, 1.00, 1.00,  0,  0,\n'
    printf -- '-1\n\n'
    for pad in 1:soft 2:loud 3:any 4:late; do printf ' %s,%s,\n' "${pad%%:*}" "$work/lib/${pad#*:}.wav"; done
    printf -- '-1\n\nPadsmith by Mervane'
} | crlf >"$work/split.txt"

expect_exit 0 "$tool" trigger "$work/split.txt" 36 100
expect_in "^pad 2 row 1 (loud.wav): $work/lib/loud.wav$" "$work/out"
expect_exit 0 "$tool" trigger "$work/split.txt" C1 20
expect_in "^pad 1 row 1 (soft.wav)" "$work/out"
expect_exit 0 "$tool" trigger "$work/split.txt" 38 127
expect_in "^pad 3 row 1 (any.wav)" "$work/out"
# A note-on of velocity 0 is a key's release: nothing plays.
expect_exit 1 "$tool" trigger "$work/split.txt" 38 0
expect_in "note-off" "$work/err"
expect_exit 1 "$tool" trigger "$work/split.txt" 37 100
expect_exit 2 "$tool" trigger "$work/split.txt" 36 128
expect_exit 2 "$tool" trigger "$work/split.txt" 36
expect_exit 1 "$tool" trigger "$work/nokit.txt" 36 100

# wait_for PATTERN FILE: up to 15 seconds for a line to show up.
wait_for() {
    for _ in $(seq 150); do grep -q -- "$1" "$2" && return 0; sleep 0.1; done
    return 1
}

# The MIDI system is named in any letter case; a name that is none is refused with the names.
expect_exit 2 env PADSMITH_MIDI_API=jak "$tool" midi-monitor
expect_in 'PADSMITH_MIDI_API names no MIDI system: "jak" (accepted: .*jack' "$work/err"
# Whatever systems this machine lacks, their libraries' complaints stay off stderr.
env -u PADSMITH_MIDI_API timeout -s INT 3 "$tool" midi-monitor >/dev/null 2>"$work/quiet.err"
expect_not_in "ALSA lib\|MidiInAlsa\|jack server\|Cannot connect" "$work/quiet.err"

if [ -n "${PADSMITH_TEST_JACK:-}" ]; then
    export PADSMITH_MIDI_API=JACK
    "$tool" midi-monitor --kit "$work/split.txt" >"$work/monitor" 2>"$work/monitor.err" &
    monitor=$!
    wait_for "no input port yet" "$work/monitor" && pass || fail "midi-monitor did not start"
    # The keyboard is plugged in after the start: the monitor finds it on its own.
    "$send" keys 36:100 36:0 38:7 >/dev/null 2>&1 &
    keyboard=$!
    wait_for "^port opened: .*keys" "$work/monitor" && pass || fail "the new port was not opened"
    wait_for "C1 (36) velocity 100 -> pad 2 row 1 (loud.wav)" "$work/monitor" && pass ||
        fail "note 36 did not arrive or played the wrong zone"
    wait_for "D1 (38) velocity 7 -> pad 3 row 1 (any.wav)" "$work/monitor" && pass ||
        fail "note 38 did not arrive"
    expect_not_in "velocity 0" "$work/monitor"
    kill "$keyboard"
    wait "$keyboard" 2>/dev/null
    wait_for "^port closed: .*keys" "$work/monitor" && pass || fail "the vanished port stayed"
    kill -INT "$monitor"
    wait "$monitor" && pass || fail "midi-monitor did not end cleanly on an interrupt"
    [ -s "$work/monitor.err" ] && { fail "midi-monitor wrote to stderr"; cat "$work/monitor.err"; }
fi

finish
