#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with the services the tests need, each private to this run, and stops them
# afterwards: a PulseAudio server with a null sink named "test" (audio playback tests) and a
# JACK server on its dummy driver (MIDI tests: virtual ports stand in for a keyboard).
set -euo pipefail

runtime=$(mktemp -d /tmp/padsmith-services.XXXXXX)
export XDG_RUNTIME_DIR="$runtime"
export PADSMITH_SERVICES=1
export PULSE_RUNTIME_PATH="$runtime/pulse"
pids=()

cleanup() {
    if command -v pulseaudio >/dev/null && [ -n "${PADSMITH_PULSE_STARTED:-}" ]; then
        pulseaudio --kill >/dev/null 2>&1 || true
    fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$runtime"
}
trap cleanup EXIT

if command -v pulseaudio >/dev/null; then
    if pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
        --load="module-null-sink sink_name=test" --load=module-native-protocol-unix \
        --log-target=stderr 2>"$runtime/pulse.log"; then
        export PADSMITH_PULSE_STARTED=1
        export PADSMITH_TEST_SINK=test
        for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
        pactl set-default-sink test >/dev/null 2>&1 || true
    else
        echo "with-services: PulseAudio did not start; the tests that need it are skipped." >&2
        if [ -s "$runtime/pulse.log" ]; then sed 's/^/    pulseaudio: /' "$runtime/pulse.log" >&2; fi
    fi
fi

# The JACK server comes from JACK 2 (jackd2) or JACK 1 (jackd1), whichever the machine has.
# JACK 2 waits with jack_wait; Debian's JACK 1 ships no client programs, so there the server
# is ready once its socket is there (jack_lsp, where some package brings it, also tells).
jack_ready() {
    if command -v jack_wait >/dev/null; then
        jack_wait -w -t 1 >/dev/null 2>&1
    elif command -v jack_lsp >/dev/null; then
        jack_lsp >/dev/null 2>&1
    else
        [ -S "${JACK_TMPDIR:-/dev/shm}/jack-$(id -u)/$JACK_DEFAULT_SERVER/jack_0" ]
    fi
}

if command -v jackd >/dev/null; then
    # Every JACK client of this run finds this server by its name and never starts one.
    export JACK_DEFAULT_SERVER="padsmith-$$"
    export JACK_NO_START_SERVER=1
    # PADSMITH_JACK_PERIOD sets the server's period in frames (the benchmarks want a short one).
    jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 44100 \
        ${PADSMITH_JACK_PERIOD:+-p "$PADSMITH_JACK_PERIOD"} >"$runtime/jack.log" 2>&1 &
    jack_pid=$!
    pids+=("$jack_pid")
    for _ in $(seq 50); do
        if jack_ready; then
            export PADSMITH_TEST_JACK=1
            break
        fi
        kill -0 "$jack_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "${PADSMITH_TEST_JACK:-}" ]; then
        echo "with-services: JACK did not start; the tests that need it are skipped." >&2
        if [ -s "$runtime/jack.log" ]; then sed 's/^/    jackd: /' "$runtime/jack.log" >&2; fi
    fi
fi

"$@"
