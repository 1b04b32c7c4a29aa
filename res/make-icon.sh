#!/usr/bin/env bash
# Draws icon 128 (a small monitor) at 48, 32, 24 and 16 pixels into res/Mirelka.ico.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 48x48 xc:none \
  -fill '#1f4e8c' -draw 'roundrectangle 2,5 45,35 4,4' \
  -fill '#9fd3f5' -draw 'rectangle 6,9 41,31' \
  -fill '#f2c230' -draw 'polygon 10,28 20,16 27,24 31,20 38,28' \
  -fill '#1f4e8c' -draw 'rectangle 20,35 27,40' -draw 'roundrectangle 11,40 36,44 2,2' \
  -define icon:auto-resize=48,32,24,16 Mirelka.ico
