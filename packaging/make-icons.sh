#!/usr/bin/env bash
# Renders the program's icon at the sizes the desktop looks for (needs rsvg-convert from
# librsvg2-bin). The PNG files are kept in the repository; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/icons"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" ru.velmor.kkt.svg -o "ru.velmor.kkt-$size.png"
done
