#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of the editor against a bare Qt window, both as whole processes on a private X server
# (Xvfb): the time from starting the process to its window being mapped, the median of RUNS
# starts each (default 15). The editor reopens a kit of 200 zones, as after a session's work.
# With --memory it also measures the editor's peak memory with a kit that holds a 400 MB sample
# and more samples than the cache's bound, against the same without the cache.
#   bench/startup_bench.sh [--memory]
# BUILD_DIR (default build-bench) may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build-bench}"
runs="${RUNS:-15}"
memory=0
[ "${1:-}" = "--memory" ] && memory=1

if [ -f "$build/CMakeCache.txt" ]; then
    cmake "$build" -DPADSMITH_BENCH=ON >/dev/null
else
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPADSMITH_BENCH=ON >/dev/null
fi
cmake --build "$build" --target padsmith bare_window make-demo >/dev/null

work="$(mktemp -d)"
# A display number no other server holds; the server stays up between the programs (without
# -noreset it restarts when the last one ends, and the next one may find it away).
number=$((200 + RANDOM % 500))
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
    number=$((number + 1))
done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do
    xwininfo -root >/dev/null 2>&1 && break
    sleep 0.2
done
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

"$build/tools/make-demo" "$work/demo" >/dev/null
python3 bench/startup_bench.py "$work" "$build" "$runs" "$memory"
