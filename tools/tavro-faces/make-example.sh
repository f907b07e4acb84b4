#!/usr/bin/env bash
# Redraws the --explain example of the README: twenty drawn faces (an "a" and
# a "b" picture each), a probe of face 12 drawn a little differently, and the
# match picture tavro-faces writes for it into docs/tavro-faces/.
# Usage: tools/tavro-faces/make-example.sh [path of the tavro-faces binary]
set -euo pipefail
cd "$(dirname "$0")/../.."
tool=${1:-build/default/tools/tavro-faces/tavro-faces}
out=docs/tavro-faces
command -v convert >/dev/null || { echo "make-example.sh: needs ImageMagick's convert (scripts/install-deps.sh installs it)" >&2; exit 1; }
[ -x "$tool" ] || { echo "make-example.sh: no tavro-faces at $tool; build it first or pass its path" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# face N: eyes, nose and mouth placed and sized by N; SHIFT moves the whole
# face, LIGHT sets the skin's grey.
draw_face() {
  local n=$1 shift=$2 light=$3 file=$4
  local eye=$((30 + n % 5 * 3)) gap=$((14 + n / 5 * 4)) mouth=$((12 + n % 4 * 5)) chin=$((40 + n % 3 * 4))
  convert -size 100x100 xc:'#202020' \
    -fill "rgb($light,$light,$light)" -draw "ellipse $((50 + shift)) $((52 + shift)) 34 $chin 0 360" \
    -fill '#181818' -draw "ellipse $((50 - gap + shift)) $((eye + 12 + shift)) 6 4 0 360" \
    -draw "ellipse $((50 + gap + shift)) $((eye + 12 + shift)) 6 4 0 360" \
    -fill '#707070' -draw "polygon $((50 + shift)) $((50 + shift)) $((45 + shift)) $((64 + shift)) $((55 + shift)) $((64 + shift))" \
    -fill '#181818' -draw "rectangle $((50 - mouth + shift)) $((74 + shift)) $((50 + mouth + shift)) $((78 + shift))" \
    -strip "$file"
}

for n in $(seq 0 19); do
  draw_face "$n" 0 200 "$work/face${n}a.jpg"
  draw_face "$n" 2 190 "$work/face${n}b.jpg"
done
draw_face 12 1 180 "$work/visitor.jpg"

mkdir -p "$out"
tool=$(realpath "$tool")
out=$(realpath "$out")
cd "$work"
"$tool" --faces . --scores --min-margin 0.25 --explain "$out" visitor.jpg
