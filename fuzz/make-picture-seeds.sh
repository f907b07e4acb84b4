#!/usr/bin/env bash
# Redraws the picture loader's seed corpus: small valid pictures in every
# format the loader meets, and the same pictures cut short or damaged.
# Crash inputs kept as regressions live beside them and are not redrawn.
set -euo pipefail
cd "$(dirname "$0")/corpus/picture_loading"
command -v convert >/dev/null || { echo "make-picture-seeds.sh: needs ImageMagick's convert" >&2; exit 1; }

face() { convert -size 24x20 gradient:'#202020-#e0e0e0' -fill '#f0c080' -draw 'circle 12 10 12 3' -strip "$@"; }
face BMP3:face.bmp
face -type Palette BMP3:face-palette.bmp
face -quality 80 face.jpg
face -quality 80 -interlace JPEG face-progressive.jpg
face -colorspace Gray -quality 80 face-grey.jpg
face face.png
face -type Palette PNG8:face-palette.png
face face.gif
# Formats Qt reads besides: one-bit BMP, PPM, XPM, XBM and icons.
face -monochrome BMP3:face-mono.bmp
face face.ppm
face face.xpm
face -monochrome face.xbm
face face.ico

# Cut at about half (the header and part of the pixels) and after the header.
for f in face.bmp face.jpg face-progressive.jpg face.png face.gif; do
  size=$(stat -c %s "$f")
  head -c $((size / 2)) "$f" > "cut-half-${f}"
done
head -c 60 face.bmp > cut-header-face.bmp
# A JPEG whose scan data is overwritten in the middle.
cp face.jpg damaged-scan-face.jpg
printf '\xff\xd9\x00\x17\xff\x00\x42' | dd of=damaged-scan-face.jpg bs=1 seek=$(( $(stat -c %s face.jpg) * 2 / 3 )) conv=notrunc status=none
# The same JPEGs with a frame header that claims 16384 x 4096 pixels: a few
# hundred bytes that ask for a picture of 64 million pixels.
claim_huge() {  # picture, frame marker (c0 baseline, c2 progressive), result
  local at
  at=$(LC_ALL=C grep -obUaP "\\xff\\x$2" "$1" | head -n 1 | cut -d: -f1)
  cp "$1" "$3"
  printf '\x10\x00\x40\x00' | dd of="$3" bs=1 seek=$((at + 5)) conv=notrunc status=none
}
claim_huge face.jpg c0 huge-claim-face.jpg
claim_huge face-progressive.jpg c2 huge-claim-face-progressive.jpg
