#!/usr/bin/env bash
# Takes the README's screenshot: starts the real program, built with its skin, on a private X
# server (Xvfb) with a sample list, and writes a PNG of its window.
#
#   tools/screenshot.sh [PROGRAM [OUTPUT]]
#
# PROGRAM defaults to build/release/program/corvantis (./run.sh builds it), OUTPUT to
# docs/screenshot.png. Needs xvfb, xdotool and imagemagick (for import).
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/release/program/corvantis}")
output=$(realpath -m "${2:-docs/screenshot.png}")
[ -x "$program" ] || { echo "No program at $program: build it first (./run.sh or cmake)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A sample list and count in a settings folder of our own: the user's settings stay untouched.
settings="$work/config/Pellamark/Corvantis"
mkdir -p "$settings"
printf '%s' "https://www.wikipedia.org;https://www.gutenberg.org;https://news.ycombinator.com;https://www.openstreetmap.org;https://www.debian.org;https://www.kernel.org;https://archive.org;https://www.qt.io" \
    >"$settings/Websites"
printf '5' >"$settings/No of Websites"

for display in $(seq 120 220); do
    [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ] && continue
    Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 1 50); do
        xdpyinfo -display ":$display" >/dev/null 2>&1 && break 2
        sleep 0.1
    done
    kill "${pids[-1]}" 2>/dev/null || true
    unset 'pids[-1]'
done
[ ${#pids[@]} -gt 0 ] || { echo "Could not start Xvfb" >&2; exit 1; }
export DISPLAY=":$display"

HOME="$work" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Corvantis$' | head -n 1)

# Select an entry and rest the pointer on a button, so the shot shows the skin's states.
read -r x y width height < <(xdotool getwindowgeometry --shell "$window" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
xdotool mousemove $((x + 120)) $((y + 64)) click 1
xdotool mousemove $((x + 400)) $((y + 197))
sleep 1

mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "Wrote $output (${width}x${height})"
