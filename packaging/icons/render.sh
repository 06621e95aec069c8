#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from its SVG. Run after
# changing travimetra.svg and commit the results (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" travimetra.svg -o "travimetra-$size.png"
done
