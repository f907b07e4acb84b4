#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset, clang 14) and runs each one:
# once over every input of its corpus in fuzz/corpus/ (seeds and the crash
# inputs kept as regressions), then fuzzing for a bounded time from there.
# New inputs go to build/fuzz/corpus/, crashes to build/fuzz/crashes/.
# Usage: scripts/fuzz.sh [seconds of fuzzing per target, at most 60 in CI; default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

# Leaks are checked too, as in the tests (cmake/TavroTesting.cmake).
export LSAN_OPTIONS="detect_leaks=1:suppressions=$PWD/cmake/lsan-suppressions.txt:print_suppressions=0:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen

# target name, then the seconds one input may take before it counts as a hang
for entry in "picture_loading 30" "grid_calls 10"; do
  read -r target timeout <<< "$entry"
  binary=build/fuzz/fuzz/${target}_fuzzer
  work=build/fuzz/corpus/$target
  crashes=build/fuzz/crashes/$target
  log=build/fuzz/$target.log
  mkdir -p "$work" "$crashes"
  options=(-timeout="$timeout" -artifact_prefix="$crashes/")
  echo "== fuzz: $target, every corpus input, then ${seconds} s of fuzzing (log: $log)"
  if ! "$binary" "${options[@]}" -runs=0 "fuzz/corpus/$target" > "$log" 2>&1 ||
     ! "$binary" "${options[@]}" -max_total_time="$seconds" "$work" "fuzz/corpus/$target" >> "$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz: $target failed; the input is in $crashes/ (add it to fuzz/corpus/$target/ once fixed)" >&2
    exit 1
  fi
  grep -E "^#[0-9]+[[:space:]]+DONE" "$log" | tail -n 1 || true
done
