#!/usr/bin/env bash
# Makes liedkorb.ico, the program icon of the Windows program, from the same
# drawing as the Linux desktop icon, so both programs look alike. Run it after
# changing the drawing; the .ico is kept in the repository so that a build
# needs neither tool. Needs rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 24 32 48 256)
for size in "${sizes[@]}"; do
  rsvg-convert -w "$size" -h "$size" ../linux/liedkorb.svg -o "$work/$size.png"
done
sizes=("${sizes[@]/%/.png}")
# ImageMagick stores the 256-pixel image as PNG inside the icon and the
# small ones as bitmaps, which every Windows version reads.
/usr/bin/convert "${sizes[@]/#/$work/}" liedkorb.ico
