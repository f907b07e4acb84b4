#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  libopencv-dev opencv-data  # opencv-data: the frontal-face cascade of --find-face
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev  # the picture loader decodes and checks JPEG, PNG and GIF itself
  libexif-dev  # and reads the orientation of a JPEG from its EXIF block
  xvfb xauth
  imagemagick  # draws the picture of the tavro-edges example
  desktop-file-utils appstream man-db  # the installed-layout check: validators, manual pages
  dpkg-dev file  # cpack -G DEB works out the library dependencies
  librsvg2-bin  # scripts/render-icons.sh
  clang-14 libclang-rt-14-dev  # the fuzz targets: clang, libFuzzer and the sanitizer runtimes
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
