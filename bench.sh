#!/usr/bin/env bash
# Builds in Release with the benchmarks and runs every one of them. Each prints lines of the form
#   BENCH <name> <value> <unit> target <= <goal>
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

ensure_packages "${CORVANTIS_RUN_PACKAGES[@]}" mdbtools
cmake --preset release -DCORVANTIS_BENCH=ON >/dev/null
cmake --build --preset release -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
for bench in build/release/bench/*; do
    [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench"
done
