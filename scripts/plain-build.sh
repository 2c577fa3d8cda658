#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The build a user makes without the presets: plain CMake, Release, the system's GCC and the
# default generator, warnings not turned into errors. Then every test, the installed tree and
# the Debian package included.
#   scripts/plain-build.sh [BUILD_DIR]     (default build-plain/)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-plain}"

scripts/install-deps.sh
CC=gcc CXX=g++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
scripts/with-services.sh ctest --test-dir "$build" -j"$(nproc)" --output-on-failure
