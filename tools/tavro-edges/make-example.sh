#!/usr/bin/env bash
# Redraws the example of the README: a simple drawn face, 4:3 as most photos
# are, and the views tavro-edges writes for it with its default grid
# (128 x 96 cells here), in docs/tavro-edges/.
# Usage: tools/tavro-edges/make-example.sh [path of the tavro-edges binary]
set -euo pipefail
cd "$(dirname "$0")/../.."
tool=${1:-build/default/tools/tavro-edges/tavro-edges}
out=docs/tavro-edges
mkdir -p "$out"
command -v convert >/dev/null || { echo "make-example.sh: needs ImageMagick's convert (scripts/install-deps.sh installs it)" >&2; exit 1; }
[ -x "$tool" ] || { echo "make-example.sh: no tavro-edges at $tool; build it first or pass its path" >&2; exit 1; }

convert -size 240x180 xc:'#101010' \
  -fill '#c8c8c8' -draw 'ellipse 120 94 58 74 0 360' \
  -fill '#101010' -draw 'ellipse 97 76 11 6 0 360' -draw 'ellipse 143 76 11 6 0 360' \
  -fill '#808080' -draw 'polygon 120 85 111 116 129 116' \
  -fill '#101010' -draw 'rectangle 98 134 142 141' \
  -strip "$out/face.png"

"$tool" "$out/face.png" --out "$out"
