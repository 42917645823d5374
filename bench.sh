#!/usr/bin/env bash
# Builds in Release and runs every benchmark in bench/. Each prints lines of the form
#   BENCH <name> <value> <unit> target <= <goal>
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

ensure_packages "${CORVANTIS_RUN_PACKAGES[@]}" mdbtools
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
for bench in build/release/bench/*; do
    [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench"
done
