#!/usr/bin/env bash
# Builds the project and runs its main job: the meter command measuring its
# reference signal (or the files and options given) with the built Kalvo5.so.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
./build/tools/kalvo5-meter "$@"
