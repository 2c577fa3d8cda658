#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private X server (Xvfb) with a window manager (openbox), as on a desktop:
# size hints, maximising and the minimum size are enforced there, not under Qt's offscreen
# platform or a bare X server.
#   scripts/with-desktop.sh [--size WIDTHxHEIGHT] COMMAND [ARGUMENTS...]
set -euo pipefail
size=1600x1000
if [ "${1:-}" = --size ]; then
    size="$2"
    shift 2
fi
. "$(dirname "$0")/private-x.sh"
start_private_x "$size"
start_window_manager
QT_QPA_PLATFORM=xcb "$@"
