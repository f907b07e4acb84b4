#!/usr/bin/env bash
# How often tavro-faces answers right on a folder of people's photos:
# FOLDER/<person>/<photo>.jpg, the people in name order as face numbers 0,
# 1, ...; each person's first two photos become its face files "a" and "b",
# the rest are probes. Extra arguments go to tavro-faces (--find-face, say).
#   scripts/face-accuracy.sh [--on-wall] ../shared/faces-dev [--find-face]
# --on-wall first puts every photo on a 320 x 243 wall with ImageMagick, in
# grey, at its own place, size and light falling from one side or the other.
set -euo pipefail
tool=${TAVRO_FACES:-$(dirname "$0")/../build/default/tools/tavro-faces/tavro-faces}
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
onWall=false
[ "$1" = --on-wall ] && { onWall=true; shift; }
folder=$1; shift
if $onWall; then
  i=0
  for photo in "$folder"/*/*.jpg; do
    i=$((i + 1)); person=$(basename "$(dirname "$photo")"); mkdir -p "$work/wall/$person"
    light=("gray(30%)-gray(100%)" "gray(100%)-gray(40%)" "gray(80%)-gray(80%)")
    convert -size 320x243 "xc:gray($((90 + i * 71 % 100)))" \( "$photo" -resize $((75 + i * 37 % 40))% \) \
      -geometry +$((10 + i * 53 % 120))+$((i * 29 % 40)) -composite \
      \( -size 243x320 "gradient:${light[$((i % 3))]}" -rotate 90 \) -compose multiply -composite \
      -colorspace gray -quality 90 "$work/wall/$person/$(basename "$photo")"
  done
  folder=$work/wall
fi
faces=$work/faces; mkdir "$faces"
probes=(); expected=()
number=0
for person in "$folder"/*/; do
  photos=("$person"*.jpg)
  cp "${photos[0]}" "$faces/face${number}a.jpg"
  cp "${photos[1]}" "$faces/face${number}b.jpg"
  for photo in "${photos[@]:2}"; do probes+=("$photo"); expected+=("$number"); done
  number=$((number + 1))
done
answers=$("$tool" --faces "$faces" "$@" "${probes[@]}" 2>"$work/errors" | cut -f2)
right=$(paste <(printf '%s\n' "${expected[@]}") <(printf '%s\n' "$answers") | awk '$1 == $2' | wc -l)
echo "$right of ${#probes[@]} right ($(( 100 * right / ${#probes[@]} ))%) with ${*:-no options};" \
  "no face found in $(grep -c '^tavro-faces: no face found in' "$work/errors") pictures"
