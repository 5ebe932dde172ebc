#!/usr/bin/env bash
# Renders the application icon's PNG sizes from icons/zandor.svg into icons/<size>/.
# The PNGs are kept with the sources, so a package build needs no renderer; run this again
# after changing the drawing. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/icons"
sizes=(16 32 48 64 128 256)   # pixels, the hicolor theme's usual fixed sizes
for size in "${sizes[@]}"; do
  mkdir -p "$size"
  rsvg-convert --width "$size" --height "$size" --format png --output "$size/zandor.png" zandor.svg
done
echo "rendered ${sizes[*]} px from icons/zandor.svg"
