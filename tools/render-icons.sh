#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG source (needs rsvg-convert, Debian
# package librsvg2-bin). The PNGs are committed, so the build does not need this tool.
set -euo pipefail
cd "$(dirname "$0")/../assets/icons"
for size in 32 48 128 256; do
    rsvg-convert --width "$size" --height "$size" --output "corvantis-$size.png" corvantis.svg
done
