#!/usr/bin/env bash
# Sets up a Debian machine (installs what is missing), builds Corvantis in Release and starts it.
# Only installing needs root: run with sudo, it builds and starts the program as the user who
# called sudo, so build/ stays theirs and the settings go to their home folder.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

ensure_packages "${CORVANTIS_RUN_PACKAGES[@]}"
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    exec runuser -u "$SUDO_USER" -- ./run.sh "$@"
fi

# A build tree that an earlier run as root left behind cannot be written by a user.
first_unwritable() {
    if [ -d build/release ]; then
        find build/release ! -type l ! -writable -print -quit
    elif [ -e build ] && [ ! -w build ]; then
        echo build
    fi
}
unwritable=$(first_unwritable)
if [ -n "$unwritable" ]; then
    echo "Cannot write $unwritable (owned by $(stat -c %U "$unwritable"), left by a run as root?)."
    echo "Give the build back to yourself, then run this again:"
    echo "  sudo chown -R $(id -un): build"
    exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: Corvantis is a desktop program. To run it on a virtual display:"
    echo "  sudo apt-get install xvfb && xvfb-run -a ./run.sh"
    exit 1
fi
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
exec build/release/program/corvantis
