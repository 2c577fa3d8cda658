#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Note-on to sound, end to end: builds bench/note_latency and runs it with a private sound
# server (a null sink) and a private JACK server of 128-frame periods, and prints its table.
# The sound server and the program get real-time priority from RealtimeKit, as on a desktop
# (PADSMITH_RTKIT=0 lets root set it directly instead).
#   bench/note_latency.sh [NOTES] [--dropouts SECONDS]   NOTES a case (default 30); the
#                                                        dropout case alone, that long
# BUILD_DIR (default build-bench) may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${PADSMITH_SERVICES:-}" ]; then
    export PADSMITH_JACK_PERIOD="${PADSMITH_JACK_PERIOD:-128}"
    if [ "${PADSMITH_RTKIT:-1}" = 1 ]; then export PADSMITH_RTKIT=1; else unset PADSMITH_RTKIT; fi
    exec scripts/with-services.sh bench/note_latency.sh "$@"
fi
build="${BUILD_DIR:-build-bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPADSMITH_BENCH=ON >/dev/null
cmake --build "$build" --target note_latency
"$build/bench/note_latency" "$@"
