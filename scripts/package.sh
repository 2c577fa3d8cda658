#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds (the default preset, Release) and makes the Debian package
# build/padsmith_<version>_<architecture>.deb. Install it with
#   sudo apt-get install ./build/padsmith_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
(cd build && cpack -G DEB)
ls build/padsmith_*.deb
