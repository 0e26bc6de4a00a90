#!/usr/bin/env bash
# Renders the program's artwork from the SVG sources beside this script (needs rsvg-convert).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for name in splash-dark splash-bright; do
  rsvg-convert "$here/$name.svg" -o "$here/../images/$name.png"
done
mkdir -p "$here/../images/icons"
for svg in "$here"/icons/*.svg; do
  name=$(basename "$svg" .svg)
  rsvg-convert -w 16 -h 16 "$svg" -o "$here/../images/icons/$name.png"
  # Twice the size for high-density screens; Qt's icons pick it by the name.
  rsvg-convert -w 32 -h 32 "$svg" -o "$here/../images/icons/$name@2x.png"
done
# The application icon at the sizes the desktop's icon theme and the window use.
mkdir -p "$here/../images/app"
for size in 16 22 24 32 48 64 128 256 512; do
  rsvg-convert -w $size -h $size "$here/quorix4.svg" -o "$here/../images/app/quorix4-$size.png"
done
mkdir -p "$here/../images/logos"
for svg in "$here"/logos/*.svg; do
  rsvg-convert "$svg" -o "$here/../images/logos/$(basename "$svg" .svg).png"
done
for name in qmessagebox-info qmessagebox-info-brightmode; do
  rsvg-convert "$here/$name.svg" -o "$here/../images/$name.png"
done
