#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with the services the tests need, each private to this run, and stops them
# afterwards: a PulseAudio server with a null sink named "test" (audio playback tests) and a
# JACK server on its dummy driver (MIDI tests: virtual ports stand in for a keyboard).
# The sound server asks for real-time scheduling as a desktop's does. With PADSMITH_RTKIT=1
# (the benchmarks) it gets it the way a desktop user's server does: a private system bus with
# polkit and RealtimeKit is started, and the sound server and the command run without the
# right to set real-time scheduling themselves, so both ask RealtimeKit.
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

# As a user without real-time rights: the process may not set real-time scheduling itself.
unprivileged=()
if [ -n "${PADSMITH_RTKIT:-}" ]; then
    rtkit=/usr/libexec/rtkit-daemon
    polkit=/usr/lib/polkit-1/polkitd
    if [ -x "$rtkit" ] && [ -x "$polkit" ] && command -v dbus-daemon >/dev/null &&
        command -v setpriv >/dev/null; then
        cat >"$runtime/system-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$runtime/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
  <includedir>/usr/share/dbus-1/system.d</includedir>
</busconfig>
CONF
        dbus-daemon --config-file="$runtime/system-bus.conf" --nofork >"$runtime/bus.log" 2>&1 &
        pids+=($!)
        export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$runtime/system-bus"
        for _ in $(seq 50); do [ -S "$runtime/system-bus" ] && break; sleep 0.1; done
        # polkitd runs as its own user, which must reach the bus's socket.
        chmod 711 "$runtime"
        "$polkit" --no-debug >"$runtime/polkit.log" 2>&1 &
        pids+=($!)
        # rtkit-daemon bounds its own file size to 0: its messages go to syslog, not a file.
        "$rtkit" --no-canary --no-chroot >/dev/null 2>&1 &
        pids+=($!)
        for _ in $(seq 50); do
            dbus-send --system --print-reply --reply-timeout=500 \
                --dest=org.freedesktop.RealtimeKit1 \
                /org/freedesktop/RealtimeKit1 org.freedesktop.DBus.Properties.Get \
                string:org.freedesktop.RealtimeKit1 string:MaxRealtimePriority >/dev/null 2>&1 &&
                break
            sleep 0.1
        done
        if [ "$(id -u)" = 0 ]; then
            unprivileged=(setpriv --inh-caps=-sys_nice --bounding-set=-sys_nice)
        fi
    else
        echo "with-services: PADSMITH_RTKIT needs rtkit, polkitd, dbus-daemon and setpriv." >&2
    fi
fi

if command -v pulseaudio >/dev/null; then
    # Real-time scheduling and a raised priority, as the server asks for them on a desktop
    # (named here, whatever the machine's daemon.conf says).
    if "${unprivileged[@]}" pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
        --realtime=yes --high-priority=yes --log-level=info \
        --load="module-null-sink sink_name=test" --load=module-native-protocol-unix \
        --log-target=file:"$runtime/pulse-daemon.log" 2>"$runtime/pulse.log"; then
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

"${unprivileged[@]}" "$@"
