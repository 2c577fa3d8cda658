#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, makes the demo plug-in folder and opens its demo kit in the
# editor. The editor keeps its settings in build/demo/padsmith.ini: yours are left alone.
#   scripts/run.sh [--build-only]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
demo="$PWD/build/demo"
build/tools/make-demo "$demo" >/dev/null

# The plug-in folder ("ZVDIR") is the demo's. On the first run the demo kit is also the last
# kit opened, so the editor reopens it; later runs keep what the editor stored.
settings="$demo/padsmith.ini"
if [ ! -f "$settings" ]; then
    printf '[General]\nFILE1=%s\nName=Demo Kit.txt\n' "$demo/Zarvo/Demo Kit.txt" >"$settings"
fi
sed -i '/^ZVDIR=/d' "$settings"
sed -i "s|^\[General\]\$|[General]\nZVDIR=$demo/Zarvo/|" "$settings"
[ "${1:-}" = "--build-only" ] && exit 0
exec build/apps/padsmith/padsmith --settings "$settings"
