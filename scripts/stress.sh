#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the tests labelled "stress" (the sample cache, preview playback and MIDI, which run
# threads and callbacks) several rounds in a row in an existing build, two at a time, so that a
# crash or a race that shows once in many runs gets its chances.
#   scripts/stress.sh [PRESET [ROUNDS]]     the default preset, 5 rounds
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
rounds="${2:-5}"

scripts/with-services.sh ctest --preset "$preset" -L stress --repeat until-fail:"$rounds" \
    -j"$(nproc)"
