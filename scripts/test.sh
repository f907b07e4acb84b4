#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build,
# then the AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)
for preset in default asan; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests"
  ctest --preset "$preset"
done
# The fuzz targets: every corpus input, then a bounded run of each.
bash scripts/fuzz.sh
