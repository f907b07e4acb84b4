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
# PBM, PGM and PPM, binary and ASCII (16-bit samples, and 8-bit ones).
face face.ppm
face -compress none face-ascii.ppm
face -depth 8 face-8bit.ppm
face -colorspace Gray face.pgm
face -colorspace Gray -compress none face-ascii.pgm
face -monochrome face.pbm
face -monochrome -compress none face-ascii.pbm
# Formats Qt reads besides: one-bit BMP, XPM, XBM and icons.
face -monochrome BMP3:face-mono.bmp
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
# JPEGs with an EXIF block after their start: turned upright by orientation
# 6 (a little-endian TIFF header, one directory entry), and a block cut
# inside its directory.
with_exif() {  # picture, the block's bytes after "Exif\0\0" as printf escapes, result
  local length=$(( $(printf "$2" | wc -c) + 8 ))
  { printf '\xff\xd8\xff\xe1'; printf "$(printf '\\x%02x\\x%02x' $((length >> 8)) $((length & 255)))"
    printf 'Exif\0\0'; printf "$2"; tail -c +3 "$1"; } > "$3"
}
with_exif face.jpg 'II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0' exif-turned-face.jpg
with_exif face-progressive.jpg 'II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x08\0\0\0\0\0\0\0' exif-turned-face-progressive.jpg
with_exif face.jpg 'MM\0*\0\0\0\x08\0\x05\x01\x12\0\x03' exif-cut-face.jpg
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
claim_huge exif-turned-face.jpg c0 huge-claim-exif-turned-face.jpg
# Cut PNM files: a binary one short of its rows, an ASCII one in its samples.
for f in face.pgm face-ascii.ppm; do
  size=$(stat -c %s "$f")
  head -c $((size / 2)) "$f" > "cut-half-${f}"
done
