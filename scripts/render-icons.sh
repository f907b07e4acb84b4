#!/usr/bin/env bash
# Renders the PNG icons from data/icons/tavro-cam.svg with rsvg-convert
# (Debian package librsvg2-bin, which install-deps brings). Commit the
# results after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../data/icons"

if ! command -v rsvg-convert >/dev/null; then
  echo "rsvg-convert is missing: run scripts/install-deps.sh (it brings librsvg2-bin)" >&2
  exit 1
fi
for size in 48 128; do
  mkdir -p "${size}x${size}"
  rsvg-convert --width "$size" --height "$size" tavro-cam.svg --output "${size}x${size}/tavro-cam.png"
  echo "wrote data/icons/${size}x${size}/tavro-cam.png"
done
