#!/usr/bin/env bash
# Redraws the example of the README: a simple drawn face and the views
# tavro-edges writes for it, in docs/tavro-edges/.
# Usage: tools/tavro-edges/make-example.sh [path of the tavro-edges binary]
set -euo pipefail
cd "$(dirname "$0")/../.."
tool=${1:-build/default/tools/tavro-edges/tavro-edges}
out=docs/tavro-edges
mkdir -p "$out"
command -v convert >/dev/null || { echo "make-example.sh: needs ImageMagick's convert (scripts/install-deps.sh installs it)" >&2; exit 1; }
[ -x "$tool" ] || { echo "make-example.sh: no tavro-edges at $tool; build it first or pass its path" >&2; exit 1; }

convert -size 200x200 xc:'#101010' \
  -fill '#c8c8c8' -draw 'ellipse 100 105 66 84 0 360' \
  -fill '#101010' -draw 'ellipse 74 85 12 7 0 360' -draw 'ellipse 126 85 12 7 0 360' \
  -fill '#808080' -draw 'polygon 100 95 90 130 110 130' \
  -fill '#101010' -draw 'rectangle 75 150 125 158' \
  -strip "$out/face.png"

"$tool" "$out/face.png" --grid 64x64 --out "$out"
