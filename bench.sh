#!/usr/bin/env bash
# Builds in Release with the benchmarks, in build/bench/ (build/release/ stays what ./run.sh
# built), and runs every benchmark program in bench/. Each prints lines of the form
#   BENCH <name> <value> <unit> target <op> <goal>
# All of them run; the script then lists the figures that missed their target and exits
# non-zero when one did, or when a benchmark program failed.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

ensure_packages "${CORVANTIS_RUN_PACKAGES[@]}" mdbtools
# bench_paced_hand_off drives a real chromium on an X server and under a headless weston.
ensure_packages xvfb x11-utils chromium firefox-esr dbus-daemon weston libglib2.0-bin kde-cli-tools exo-utils
start_xvfb
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen

# missed_targets: reads BENCH lines and prints each one whose value misses its target.
missed_targets() {
    awk '$1 == "BENCH" && $5 == "target" {
        value = $3 + 0; goal = $7 + 0
        if ($6 == "<=") met = value <= goal
        else if ($6 == ">=") met = value >= goal
        else if ($6 == "<") met = value < goal
        else if ($6 == ">") met = value > goal
        else met = 0
        if (!met) print
    }'
}

log=$(mktemp)
at_exit 'rm -f "$log"'
failed=()
missed=""
for bench in build/bench/bench/*; do
    # The build folder also holds CMake's own folders, which pass [ -x ].
    [ -f "$bench" ] && [ -x "$bench" ] || continue
    name=$(basename "$bench")
    echo "== $name"
    status=0
    "$bench" 2>&1 | tee "$log" || status=${PIPESTATUS[0]}
    [ "$status" -eq 0 ] || failed+=("$name (exit status $status)")
    missed+=$(missed_targets <"$log")$'\n'
done

status=0
if [ ${#failed[@]} -gt 0 ]; then
    echo "== Benchmark programs that failed:"
    printf '%s\n' "${failed[@]}"
    status=1
fi
missed=$(sed '/^$/d' <<<"$missed")
if [ -n "$missed" ]; then
    echo "== Figures that missed their target:"
    echo "$missed"
    status=1
fi
exit "$status"
