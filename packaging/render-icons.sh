#!/usr/bin/env bash
# Renders the icon's PNG sizes from tessaly.svg (run after changing the SVG; the PNGs are
# committed, so building needs no SVG renderer). Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 64 128 256; do
  mkdir -p "icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" tessaly.svg -o "icons/${size}x${size}/tessaly.png"
done
