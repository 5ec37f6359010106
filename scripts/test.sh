#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs every test.
#   scripts/test.sh              release build in build/, warnings as errors
#   scripts/test.sh --sanitize   the engine, framework, plug-in (state,
#                                presets), platform and meter tests under
#                                AddressSanitizer and UndefinedBehaviorSanitizer,
#                                in build-asan/
#   scripts/test.sh --tsan       the tests that run threads, under
#                                ThreadSanitizer, in build-tsan/
# The sanitizer builds embed the editor's artwork and the manual that the
# release build's generators made, instead of building and running the
# generators again under the sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

config=release
[ "${1:-}" = "--sanitize" ] && config=sanitize
[ "${1:-}" = "--tsan" ] && config=tsan

configure_release() { cmake -S . -B build -G Ninja -DKALVO5_WERROR=ON; }

if [ "$config" = release ]; then
  configure_release
  cmake --build build
  bash scripts/check-format.sh
  bash scripts/check-layers.sh links build
  ctest --test-dir build --output-on-failure -j2
  exit 0
fi

# The generated files, from the release build (made there if still missing).
configure_release >/dev/null
cmake --build build --target kalvo5_artwork_bitmaps kalvo5_manual_pdf
sanitized() {
  cmake -S . -B "$1" -G Ninja -DKALVO5_WERROR=ON -DKALVO5_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKALVO5_SANITIZE="$2" -DKALVO5_GENERATED_RESOURCES="$PWD/build" "${@:3}"
}

if [ "$config" = tsan ]; then
  # Only what runs threads: the framework (timer, queues), the plug-in
  # object with its concurrency tests, the preset reader and update check
  # threads, and the editor refreshing beside the audio thread. Each
  # suppression is explained in the file.
  sanitized build-tsan thread
  cmake --build build-tsan --target framework_tests plugin_tests kalvo5_editor_tests
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan-suppressions.txt"
  ctest --test-dir build-tsan --output-on-failure -j2 \
    -R '^(ThreadSafety|Timer|PluginBase|PluginTest|Kalvo5EditorThreads|UserPresets|UpdateCheckTask|SnapshotChannel|MemoryWorker)\.'
  exit 0
fi

# Everything that parses, measures or hosts; the editor's pixels are tested
# in the release build only.
# At -O1, as AddressSanitizer is usually run: a quarter less compile time.
sanitized build-asan address,undefined -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG"
cmake --build build-asan --target engine_tests framework_tests plugin_tests platform_tests tools_tests vst2_tests
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-asan --output-on-failure -j2 -L '^(engine|framework|plugin|platform|tools|vst2)$'
