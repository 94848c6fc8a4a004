#!/usr/bin/env bash
# Renders the PNG icons in resources/ from their SVG sources. The PNGs are committed, so neither
# the build nor the program needs an SVG renderer; run this after changing an SVG.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../resources"

# The program's icon: the 16-pixel size has its own drawing on the pixel grid.
for size in 16 22 24 32 48 64 128 256; do
  source=icons/snapvale2.svg
  if ((size == 16)); then source=icons/snapvale2-16.svg; fi
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$source" -o "hicolor/${size}x${size}/apps/snapvale2.png"
done

# The tree's row icons, at their size and at twice it for scaled screens.
for name in drive date file; do
  rsvg-convert -w 16 -h 16 "icons/$name.svg" -o "icons/$name.png"
  rsvg-convert -w 32 -h 32 "icons/$name.svg" -o "icons/$name@2x.png"
done
