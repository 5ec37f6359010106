#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs every test.
#   scripts/test.sh              release build in build/, warnings as errors
#   scripts/test.sh --sanitize   unit tests under AddressSanitizer and
#                                UndefinedBehaviorSanitizer, in build-asan/
#   scripts/test.sh --tsan       the tests that run threads, under
#                                ThreadSanitizer, in build-tsan/
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

config=release
[ "${1:-}" = "--sanitize" ] && config=sanitize
[ "${1:-}" = "--tsan" ] && config=tsan

if [ "$config" = tsan ]; then
  # Only what runs threads: the framework (timer, queues), the plug-in
  # object with its concurrency test and the editor refreshing beside the
  # audio thread. Each suppression is explained in the file.
  build=build-tsan
  cmake -S . -B "$build" -G Ninja -DKALVO5_WERROR=ON -DKALVO5_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO5_SANITIZE=thread
  cmake --build "$build" --target framework_tests plugin_tests kalvo5_editor_tests
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan-suppressions.txt"
  ctest --test-dir "$build" --output-on-failure -j2 -R '^(ThreadSafety|Timer|PluginBase|PluginTest|Kalvo5EditorThreads|UserPresets|UpdateCheckTask)\.'
  exit 0
fi

if [ "$config" = release ]; then
  build=build
  cmake -S . -B "$build" -G Ninja -DKALVO5_WERROR=ON
else
  build=build-asan
  cmake -S . -B "$build" -G Ninja -DKALVO5_WERROR=ON -DKALVO5_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVO5_SANITIZE=address,undefined
  export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi

cmake --build "$build"
bash scripts/check-format.sh
ctest --test-dir "$build" --output-on-failure -j2
