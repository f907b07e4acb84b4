#!/usr/bin/env bash
# Includes run down the floors only: a room includes from itself and the
# rooms below it, never from one above. Prints each include that runs up.
set -euo pipefail
cd "$(dirname "$0")/.."
floors=(platform imaging face files pictures finding drawing widgets capture app tools)
declare -A level
for i in "${!floors[@]}"; do level[${floors[$i]}]=$i; done

status=0
for room in "${floors[@]}"; do
  while IFS=: read -r file _ include; do
    target=${include#*\"}; target=${target%%/*}
    [ -n "${level[$target]+set}" ] || continue  # a system or same-folder header
    if (( level[$target] > level[$room] )); then
      echo "$file includes ${include#*#include } from a floor above $room/"
      status=1
    fi
  done < <(grep -rn '^#include "' "$room" --include='*.h' --include='*.cpp' || true)
done
exit $status
