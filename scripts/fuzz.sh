#!/usr/bin/env bash
# Fuzzes the parsers that take bytes from outside the plug-in: host state
# chunks and preset files. Builds the libFuzzer targets with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-fuzz/, or
# $FUZZ_BUILD), writes their seed corpus from the plug-in's own state chunks
# and factory presets, replays every input that once failed
# (fuzz/regressions/), then fuzzes each target for $FUZZ_SECONDS (default 30).
# A finding stops the script with the input saved in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${FUZZ_BUILD:-build-fuzz}
seconds=${FUZZ_SECONDS:-30}

# The manual the plug-in carries comes from the release build's generator.
cmake -S . -B build -G Ninja -DKALVO5_WERROR=ON >/dev/null
cmake --build build --target kalvo5_manual_pdf kalvo5_artwork_bitmaps
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKALVO5_GENERATED_RESOURCES="$PWD/build" \
  -DKALVO5_FUZZ=ON -DKALVO5_TESTS=OFF -DKALVO5_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO5_SANITIZE=address,undefined
cmake --build "$build" --target fuzz_state_chunk fuzz_preset_file kalvo5_fuzz_seeds

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/state" "$seeds/file"
"$build/fuzz/kalvo5_fuzz_seeds" "$seeds/state" "$seeds/file"

for pair in state:fuzz_state_chunk file:fuzz_preset_file; do
  kind=${pair%%:*}
  target="$build/fuzz/${pair#*:}"
  regressions=(fuzz/regressions/"$kind"/*)
  if [ -e "${regressions[0]}" ]; then
    "$target" "${regressions[@]}"
  fi
  corpus=$(mktemp -d)
  "$target" -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/${pair#*:}-" "$corpus" "$seeds/$kind"
  rm -rf "$corpus"
done
