#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the screenshot scripts: a private X server (Xvfb) and the editor on it.
#   start_private_x WIDTHxHEIGHT   starts the server on a display no other server holds and
#                                  exports DISPLAY; it and the editor stop when the script ends
#   start_window_manager           starts openbox on it, as a desktop has a window manager
#   start_editor ARGUMENTS...      starts the editor of $build with its arguments
#   editor_window                  prints the editor's window id (empty while it has none)
#   start_editor_at_1280x800 ARGUMENTS...
#                                  all of the above on a 1600×1000 screen, the editor's window
#                                  moved to the top left and sized 1280×800 (the size of the
#                                  README's pictures) and its id in `window`
# The script sets `build` and may add its own clean-up in `on_exit` (a command string).

private_x_server=""
private_x_editor=""
private_x_manager=""
on_exit=""

stop_private_x() {
    [ -n "$private_x_editor" ] && kill "$private_x_editor" 2>/dev/null || true
    [ -n "$private_x_manager" ] && kill "$private_x_manager" 2>/dev/null || true
    [ -n "$private_x_server" ] && kill "$private_x_server" 2>/dev/null || true
    [ -n "$on_exit" ] && eval "$on_exit" || true
}

start_private_x() {
    local number=$((200 + RANDOM % 500))
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
        number=$((number + 1))
    done
    export DISPLAY=":$number"
    # -noreset: the server stays up when its last client goes, for the next one.
    Xvfb "$DISPLAY" -screen 0 "${1}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    private_x_server=$!
    trap stop_private_x EXIT
    for _ in $(seq 100); do
        xwininfo -root >/dev/null 2>&1 && break
        sleep 0.2
    done
    export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
}

start_window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    private_x_manager=$!
    # Ready once it has claimed the screen: the root window then lists it as its manager.
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.2
    done
}

start_editor() {
    "$build/apps/padsmith/padsmith" "$@" &
    private_x_editor=$!
}

# The editor's own window (inside the manager's frame), found by its title. awk reads to the
# end: a pipe closed early would fail the caller under pipefail.
editor_window() {
    xwininfo -root -tree | awk '/"Padsmith - \[/ && !found {print $1; found = 1}'
}

start_editor_at_1280x800() {
    start_private_x 1600x1000
    start_window_manager
    start_editor "$@"
    sleep 4
    window=$(editor_window)
    if [ -z "$window" ]; then
        echo "no editor window" >&2
        exit 1
    fi
    xdotool windowmove "$window" 0 0 windowsize "$window" 1280 800
    sleep 2
}
