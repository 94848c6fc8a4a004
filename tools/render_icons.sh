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

# The Windows icon (resources/windows/snapvale2.ico, in the program's resources): the same
# drawings, each size stored as PNG, which every Windows since Vista reads.
mkdir -p windows
python3 - hicolor windows/snapvale2.ico <<'PYTHON'
import struct, sys
folder, out = sys.argv[1], sys.argv[2]
sizes = [16, 24, 32, 48, 64, 128, 256]
images = [open(f"{folder}/{s}x{s}/apps/snapvale2.png", "rb").read() for s in sizes]
head = struct.pack("<HHH", 0, 1, len(sizes))
offset = len(head) + 16 * len(sizes)
entries = b""
for size, data in zip(sizes, images):
    # Width and height 0 stand for 256; 32 bits per pixel; the PNG's bytes and where they start.
    entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open(out, "wb").write(head + entries + b"".join(images))
PYTHON
