#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The editor's command line without a window: help, version, wrong usage, and --uninstall on
# a private settings folder.
#   command_line_test.sh PADSMITH VERSION
set -uo pipefail
editor="$1"
version="$2"
. "$(dirname "$0")/../checks.sh"
# No display anywhere: these words must not need one.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config"
export TMPDIR="$work/tmp" # the single-instance lock of this test's editor
mkdir -p "$TMPDIR"

expect_exit 0 "$editor" --help
expect_in "^usage: padsmith \[--settings FILE\] \[KIT\]" "$work/out"
expect_in "--uninstall" "$work/out"
expect_in "^exit codes:" "$work/out"
expect_exit 0 "$editor" --version
expect_in "^Padsmith $version\$" "$work/out"
expect_exit 2 "$editor" --no-such-option
expect_in "unknown option --no-such-option" "$work/err"
expect_exit 2 "$editor" --yes
expect_exit 2 "$editor" --settings

# --uninstall: the settings file goes, after a yes; kits and samples are named and stay.
store="$XDG_CONFIG_HOME/Mervane/Padsmith.conf"
plugin="$work/Zarvo"
mkdir -p "$plugin/ZARVO SAMPLES" "$work/kits" "$XDG_CONFIG_HOME/Other"
touch "$plugin/Zarvo.dll" "$plugin/ZARVO SAMPLES/kick.wav" "$work/kits/mine.txt"
touch "$XDG_CONFIG_HOME/Other/other.conf" # another program's settings
write_store() {
    mkdir -p "$(dirname "$store")"
    printf '[General]\nZVDIR=%s/\nFILE1=%s\nflShared=8\n' "$plugin" "$work/kits/mine.txt" >"$store"
}
write_store

# No answer at all (end of input) and "n" keep everything.
expect_exit 1 "$editor" --uninstall </dev/null
expect_in "Nothing was removed" "$work/out"
[ -f "$store" ] && pass || fail "settings removed without a yes"
expect_exit 1 "$editor" --uninstall <<<n
[ -f "$store" ] && pass || fail "settings removed after a no"

expect_exit 0 "$editor" --uninstall <<<y
expect_in "Remove them?" "$work/out"
expect_in "Removed $store" "$work/out"
expect_in "$plugin/" "$work/out"
expect_in "$work/kits" "$work/out"
[ ! -e "$store" ] && pass || fail "settings file still there"
[ ! -e "$XDG_CONFIG_HOME/Mervane" ] && pass || fail "empty settings folder left behind"
[ -f "$plugin/Zarvo.dll" ] && [ -f "$plugin/ZARVO SAMPLES/kick.wav" ] && [ -f "$work/kits/mine.txt" ] &&
    pass || fail "a kit or sample file was touched"
[ -f "$XDG_CONFIG_HOME/Other/other.conf" ] && pass || fail "another program's settings touched"

# --yes asks nothing; a folder holding more than the settings file stays with the rest.
write_store
touch "$XDG_CONFIG_HOME/Mervane/Other.conf"
expect_exit 0 "$editor" --uninstall --yes </dev/null
expect_not_in "Remove them?" "$work/out"
[ ! -e "$store" ] && [ -f "$XDG_CONFIG_HOME/Mervane/Other.conf" ] && pass ||
    fail "--yes removed the wrong files"

# Nothing stored: nothing to do, still said where kits are.
expect_exit 0 "$editor" --uninstall --yes
expect_in "nothing to remove" "$work/out"
expect_in "Zarvo.dll" "$work/out"

# A store named with --settings is the one removed.
printf '[General]\nZVDIR=%s/\n' "$plugin" >"$work/private.ini"
expect_exit 0 "$editor" --uninstall --yes --settings "$work/private.ini"
[ ! -e "$work/private.ini" ] && [ -d "$work" ] && pass || fail "--settings store not removed"

finish
