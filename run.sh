#!/usr/bin/env bash
# Sets up a Debian machine (installs what is missing), builds Corvantis in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

ensure_packages "${CORVANTIS_RUN_PACKAGES[@]}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: Corvantis is a desktop program. To run it on a virtual display:"
    echo "  apt-get install xvfb && xvfb-run ./run.sh"
    exit 1
fi
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
exec build/release/program/corvantis
