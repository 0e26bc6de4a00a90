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
done
mkdir -p "$here/../images/logos"
for svg in "$here"/logos/*.svg; do
  rsvg-convert "$svg" -o "$here/../images/logos/$(basename "$svg" .svg).png"
done
for name in qmessagebox-info qmessagebox-info-brightmode; do
  rsvg-convert "$here/$name.svg" -o "$here/../images/$name.png"
done
