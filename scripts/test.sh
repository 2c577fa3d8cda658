#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test with CTest.
#   scripts/test.sh          the normal build (build/)
#   scripts/test.sh asan     the AddressSanitizer/UBSan build with the fuzz targets (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
scripts/with-services.sh ctest --preset "$preset" -j"$(nproc)"
