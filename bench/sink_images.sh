#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Images and aliases at the sink: builds bench/sink_images and runs it with a private sound
# server (a null sink), and prints its table. Exits non-zero when the 80 dB goal is missed.
# BUILD_DIR (default build-bench) may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${PADSMITH_SERVICES:-}" ]; then
    exec scripts/with-services.sh bench/sink_images.sh "$@"
fi
build="${BUILD_DIR:-build-bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPADSMITH_BENCH=ON >/dev/null
cmake --build "$build" --target sink_images
"$build/bench/sink_images"
