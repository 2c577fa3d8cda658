#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# padsmith-kit's help: the overview, each command's own help (what it does, its options and
# exit codes), the version, and wrong usage.
#   help_test.sh PADSMITH_KIT VERSION
set -uo pipefail
tool="$1"
version="$2"
. "$(dirname "$0")/../checks.sh"

expect_exit 0 "$tool" --help
cp "$work/out" "$work/overview"
expect_in "^usage: padsmith-kit COMMAND" "$work/overview"
expect_exit 0 "$tool" help
cmp -s "$work/out" "$work/overview" && pass || fail "help and --help differ"
expect_exit 2 "$tool" # no command: the overview on stderr
expect_in "^usage: padsmith-kit COMMAND" "$work/err"
expect_exit 0 "$tool" --version
expect_in "^padsmith-kit $version\$" "$work/out"

# Every command listed has a usage line, a description, and exit codes; options are
# documented when its usage has any.
commands=$(sed -n '/^commands:/,/^$/s/^  \([a-z-]\+\) .*/\1/p' "$work/overview")
[ "$(echo "$commands" | wc -w)" -ge 8 ] && pass || fail "commands missing: $commands"
for command in $commands; do
    expect_in "^  padsmith-kit $command\b" "$work/overview"
    expect_exit 0 "$tool" help "$command"
    expect_in "^usage: padsmith-kit $command\b" "$work/out"
    [ "$(sed -n 3p "$work/out")" != "" ] && pass || fail "$command has no description"
    expect_in "^exit codes:" "$work/out"
    expect_in "^  0  " "$work/out"
    usage=$(head -n 1 "$work/out")
    if [[ "$usage" == *" --"* ]]; then
        expect_in "^options:" "$work/out"
        sed -n '/^options:/,/^$/p' "$work/out" >"$work/options"
        for option in $(grep -o -- "--[a-z-]*" <<<"$usage" | sort -u); do
            expect_in "^  $option\b" "$work/options"
        done
    fi
    cp "$work/out" "$work/help"
    expect_exit 0 "$tool" "$command" --help
    cmp -s "$work/out" "$work/help" && pass || fail "$command --help differs from help $command"
    # An option the command does not know is refused with its usage line, before any file is
    # looked at or made.
    expect_exit 2 "$tool" "$command" --no-such-option "$work/never-made"
    expect_in "unknown option --no-such-option" "$work/err"
    expect_in "^usage: padsmith-kit $command\b" "$work/err"
    [ ! -e "$work/never-made" ] && pass || fail "$command made a file for an unknown option"
done

expect_exit 2 "$tool" help no-such-command
expect_in "unknown command 'no-such-command'" "$work/err"
expect_exit 2 "$tool" no-such-command
expect_exit 2 "$tool" help show check

finish
