#!/usr/bin/env bash
# Renders the program's artwork from the SVG sources beside this script (needs rsvg-convert).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for name in splash-dark splash-bright; do
  rsvg-convert "$here/$name.svg" -o "$here/../images/$name.png"
done
