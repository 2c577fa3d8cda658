#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs the Google Benchmark programs and prints each measurement as a ratio to its
# floor: a benchmark "X" is measured against "X_floor" of the same program.
#   scripts/bench.sh                 every benchmark program in bench/*.cmake
#   scripts/bench.sh relink_bench    only the named programs
# BUILD_DIR (default build-bench) and REPETITIONS (default 5) may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
# The preview benchmark needs a sound server: run inside the private one of the tests.
[ -n "${PADSMITH_SERVICES:-}" ] || exec scripts/with-services.sh scripts/bench.sh "$@"
build="${BUILD_DIR:-build-bench}"
repetitions="${REPETITIONS:-5}"

if [ "$#" -gt 0 ]; then
    programs=("$@")
else
    mapfile -t programs < <(sed -n 's/^padsmith_benchmark(\([A-Za-z0-9_]*\).*/\1/p' bench/*.cmake)
fi
if [ "${#programs[@]}" -eq 0 ]; then
    echo "no benchmark programs" >&2
    exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPADSMITH_BENCH=ON >/dev/null
cmake --build "$build" --target "${programs[@]}"

status=0
for program in "${programs[@]}"; do
    binary="$(find "$build/bench" -type f -name "$program" -perm -u+x | head -n 1)"
    if [ -z "$binary" ]; then
        echo "$program: not built" >&2
        status=1
        continue
    fi
    json="$(mktemp)"
    "$binary" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
        --benchmark_format=json >"$json"
    python3 - "$program" "$json" <<'PY' || status=1
import json, re, sys

program, path = sys.argv[1], sys.argv[2]
with open(path) as f:
    runs = json.load(f)["benchmarks"]
# Median wall time of each benchmark, in milliseconds.
factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
median = {}
fastest = {}  # where a benchmark asks for it ("min"): the fastest repetition
memory = {}  # the peak memory of a whole process, where a benchmark measures one
for run in runs:
    # A fixed iteration count shows in the name ("x/iterations:40"): it is not part of it.
    name = re.sub(r"(/iterations:\d+)?(/manual_time)?$", "", run["run_name"])
    aggregate = run.get("aggregate_name", "median")
    if aggregate in ("median", "min"):
        (median if aggregate == "median" else fastest)[name] = \
            run["real_time"] * factor[run.get("time_unit", "ns")]
    if aggregate == "median" and "peak_MiB" in run:
        memory[name] = run["peak_MiB"]
failed = False
for name, time in median.items():
    # The floor of "x/4500" is "x_floor/4500": the same arguments.
    base, slash, args = name.partition("/")
    if base.endswith("_floor"):
        continue
    floor = median.get(base + "_floor" + slash + args)
    if floor is None:
        print(f"{program}: {name} {time:.2f} ms (no floor)")
        continue
    line = f"{program}: {name} {time:.2f} ms / floor {floor:.2f} ms = {time / floor:.2f} x"
    best, bestFloor = fastest.get(name), fastest.get(base + "_floor" + slash + args)
    if best and bestFloor:
        line += f"; fastest {best:.2f} / {bestFloor:.2f} ms = {best / bestFloor:.2f} x"
    if name in memory:
        line += f"; peak {memory[name]:.0f} / {memory.get(base + '_floor' + slash + args, 0):.0f} MiB"
    print(line)
PY
    rm -f "$json"
done
exit "$status"
