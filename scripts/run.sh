#!/usr/bin/env bash
# Installs what is missing, builds the release build and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target tavro-cam
exec ./build/default/app/tavro-cam "$@"
