#!/usr/bin/env bash
# How often tavro-faces answers right on a folder of people's photos:
# FOLDER/<person>/<photo>.jpg, the people in name order as face numbers 0,
# 1, ...; each person's first two photos become its face files "a" and "b",
# the rest are probes. Extra arguments go to tavro-faces (--find-face, say).
#   scripts/face-accuracy.sh ../shared/faces-dev [--find-face]
set -euo pipefail
folder=$1; shift
tool=${TAVRO_FACES:-$(dirname "$0")/../build/default/tools/tavro-faces/tavro-faces}
faces=$(mktemp -d); trap 'rm -rf "$faces"' EXIT
probes=(); expected=()
number=0
for person in "$folder"/*/; do
  photos=("$person"*.jpg)
  cp "${photos[0]}" "$faces/face${number}a.jpg"
  cp "${photos[1]}" "$faces/face${number}b.jpg"
  for photo in "${photos[@]:2}"; do probes+=("$photo"); expected+=("$number"); done
  number=$((number + 1))
done
errors=$faces/errors
answers=$("$tool" --faces "$faces" "$@" "${probes[@]}" 2>"$errors" | cut -f2)
right=$(paste <(printf '%s\n' "${expected[@]}") <(printf '%s\n' "$answers") | awk '$1 == $2' | wc -l)
echo "$right of ${#probes[@]} right ($(( 100 * right / ${#probes[@]} ))%) with ${*:-no options};" \
  "no face found in $(grep -c '^tavro-faces: no face found in' "$errors") pictures"
