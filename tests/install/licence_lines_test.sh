#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file of the project names its licence in an SPDX line among its first three
# lines, so that a file taken out of the tree still says under which terms it may be used.
#   licence_lines_test.sh SOURCE_DIR
set -uo pipefail
. "$(dirname "$0")/../checks.sh"
cd "$1" || exit 1

# The files of the tree (new ones too, before they are committed); without git, a walk.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard >"$work/files"
else
    find . -type f -not -path './.git/*' -not -path './build*' | sed 's|^\./||' >"$work/files"
fi

source_file() {
    case "$1" in
    fuzz/corpus/* | data/copyright.in) return 1 ;; # test data; the copyright file has no comments
    *.cpp | *.h | *.c | *.cmake | *.in | CMakeLists.txt | */CMakeLists.txt | *.sh | *.py) return 0 ;;
    *.desktop | *.xml | *.svg | *.qrc | *.1 | *.supp) return 0 ;;
    esac
    head -c 2 "$1" | grep -q '^#!' # a script without an extension
}

checked=0
while IFS= read -r file; do
    [ -f "$file" ] && source_file "$file" || continue
    checked=$((checked + 1))
    if head -n 3 "$file" | grep -q 'SPDX-License-Identifier: [A-Za-z]'; then pass; else
        fail "$file has no SPDX-License-Identifier line at its top"; fi
done <"$work/files"
[ "$checked" -gt 100 ] && pass || fail "only $checked source files found in $1"

finish
