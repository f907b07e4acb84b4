#!/usr/bin/env bash
# Installs what is missing, builds the release build and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target tavro-cam
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "Built build/default/app/tavro-cam, but there is no display to open it on." >&2
  echo "Without a desktop, run it under Xvfb: xvfb-run -a build/default/app/tavro-cam" >&2
  exit 1
fi
exec ./build/default/app/tavro-cam "$@"
