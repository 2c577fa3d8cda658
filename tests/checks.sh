# Shared helpers of the end-to-end shell tests; source it after `set -uo pipefail`.
# Gives a scratch folder $work (removed on exit), counted checks, and `finish` for the result.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passes=0
failures=0

pass() { passes=$((passes + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect_exit CODE COMMAND...: runs the command into $work/out and $work/err.
expect_exit() {
    local expected=$1; shift
    "$@" >"$work/out" 2>"$work/err"
    local code=$?
    if [ "$code" -eq "$expected" ]; then pass; else
        fail "'$*' exited $code, expected $expected"; cat "$work/out" "$work/err"; fi
}
expect_in() { # pattern file
    if grep -q -- "$1" "$2"; then pass; else fail "'$1' not in $2"; cat "$2"; fi
}
expect_not_in() {
    if grep -q -- "$1" "$2"; then fail "'$1' unexpectedly in $2"; else pass; fi
}
finish() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
